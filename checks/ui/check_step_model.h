#pragma once

#include "checks/formula_explanation.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <optional>

// The steps of one failing formula as a read-only table: the side, then each
// step's fields as velq8-cli check --explain prints them (ExplanationText),
// the left side's terms first. Empty for no explanation (a missing account).
class CheckStepModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { Side = 0, Code, Name, Period, Operator, Amount, Running, Note, ColumnCount };

    explicit CheckStepModel(QObject *parent = nullptr);

    void setExplanation(const std::optional<FormulaExplanation> &explanation);
    const std::optional<FormulaExplanation> &explanation() const { return m_explanation; }
    static QString columnTitle(int column);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    std::optional<FormulaExplanation> m_explanation;
    QList<QStringList> m_lines;   // the texts of each step, side first
};
