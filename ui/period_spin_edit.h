#pragma once

#include <QSpinBox>

// The year or month spin edit of a data tab (seYYY, seMM4, ...).
//
// Unlike a plain QSpinBox it lets the user type any whole number (a year of
// 1234 is typed as such and then clamped by the tab's change rule) and keeps an
// empty text (Clear empties the period; Query and Add read an empty spin edit
// as 0). changed() is emitted for every change of the text, typed, stepped or
// set by the program, which is when the tab's change rule runs.
class PeriodSpinEdit : public QSpinBox
{
    Q_OBJECT
public:
    PeriodSpinEdit(const QString &objectName, int maximum, QWidget *parent = nullptr);

    QString editText() const;
    void setEditText(const QString &text);
    void clearText() { setEditText(QString()); }
    bool isTextEmpty() const { return editText().isEmpty(); }
    // The number the tab works with: 0 for an empty text, the spin value otherwise.
    int number() const;

    void stepBy(int steps) override;

signals:
    void changed();

protected:
    QValidator::State validate(QString &input, int &pos) const override;
    int valueFromText(const QString &text) const override;
    QString textFromValue(int value) const override;
    void fixup(QString &input) const override;

private:
    bool m_empty = false;
};
