#include "checks/ui/check_result_model.h"

#include "common/number_picture.h"

CheckResultModel::CheckResultModel(QList<CheckResultRow> rows, QObject *parent)
    : QAbstractTableModel(parent), m_rows(std::move(rows))
{
}

QString CheckResultModel::fieldName(int column)
{
    switch (column) {
    case Remark: return QStringLiteral("REMARK");
    case Money1: return QStringLiteral("MONEY1");
    case Money2: return QStringLiteral("MONEY2");
    default: return {};
    }
}

QString CheckResultModel::columnTitle(int column)
{
    switch (column) {
    case Remark: return QStringLiteral("公") + QString(82, u' ') + QStringLiteral("式");
    case Money1: return QStringLiteral("左式金額");
    case Money2: return QStringLiteral("右式金額");
    default: return {};
    }
}

int CheckResultModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int CheckResultModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CheckResultModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size() || index.column() >= ColumnCount)
        return {};
    const CheckResultRow &row = m_rows.at(index.row());
    const std::optional<CheckValue> &amount = index.column() == Money1 ? row.left : row.right;
    // A value out of range is said in words, in both roles: no number stands for it.
    const std::optional<Decimal4> value = amount ? amount->decimal() : std::nullopt;
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == Remark)
            return row.remark;
        if (amount && !value)
            return CheckValue::OutOfRangeText;
        return value ? NumberPicture::format(value->toDouble(), u",#.###") : QString();
    case Qt::EditRole:   // the stored values: text, or the amount (null when missing)
        if (index.column() == Remark)
            return row.remark;
        if (amount && !value)
            return CheckValue::OutOfRangeText;
        return value ? QVariant(value->toDouble()) : QVariant();
    case Qt::ToolTipRole:   // a remark wider than its column is read whole here
        if (index.column() == Remark)
            return row.remark;
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == Remark)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    default:
        return {};
    }
}

QVariant CheckResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return columnTitle(section);
    if (orientation == Qt::Vertical && role == Qt::DisplayRole)
        return section + 1;
    return {};
}

Qt::ItemFlags CheckResultModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
