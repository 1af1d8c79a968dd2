#include "checks/ui/check_step_model.h"

#include "checks/explanation_text.h"

CheckStepModel::CheckStepModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void CheckStepModel::setExplanation(const std::optional<FormulaExplanation> &explanation)
{
    beginResetModel();
    m_explanation = explanation;
    m_lines.clear();
    if (m_explanation) {
        for (const bool left : {true, false}) {
            for (const FormulaStep &step : left ? m_explanation->left : m_explanation->right)
                m_lines.append(QStringList{ExplanationText::side(left)}
                               + ExplanationText::stepFields(step, ExplanationText::Numbers::Grouped));
        }
    }
    endResetModel();
}

QString CheckStepModel::columnTitle(int column)
{
    switch (column) {
    case Side: return QStringLiteral("左右式");
    case Code: return QStringLiteral("科目");
    case Name: return QStringLiteral("科目名稱");
    case Period: return QStringLiteral("期別");
    case Operator: return QStringLiteral("運算");
    case Amount: return QStringLiteral("金額");
    case Running: return QStringLiteral("累計");
    case Note: return QStringLiteral("說明");
    default: return {};
    }
}

int CheckStepModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

int CheckStepModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CheckStepModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_lines.size() || index.column() >= ColumnCount)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_lines.at(index.row()).at(index.column());
    case Qt::TextAlignmentRole:
        if (index.column() == Amount || index.column() == Running)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        if (index.column() == Operator || index.column() == Period)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignHCenter | Qt::AlignVCenter));
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    default:
        return {};
    }
}

QVariant CheckStepModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return columnTitle(section);
    return {};
}

Qt::ItemFlags CheckStepModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
