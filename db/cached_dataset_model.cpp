#include "db/cached_dataset.h"

// The table-model side of CachedDataset: how its fields show as the columns of
// a grid (ColumnPresentation), what a typed cell may hold, and the model
// signals, which disableControls() suspends while a loop changes many rows.

bool CachedDataset::isCell(const QModelIndex &index) const
{
    return index.isValid() && index.model() == this && !index.parent().isValid() && index.row() < m_rows.count()
           && index.column() < m_presentation.count();
}

bool CachedDataset::isNumericField(int field) const
{
    return m_fields.isNumber(field) || m_presentation.hasPicture(m_fields.name(field));
}

void CachedDataset::setColumns(const QStringList &fields)
{
    const bool loud = !quiet();
    if (loud)
        beginResetModel();
    m_presentation.setColumns(fields);
    m_presentation.resolve(m_fields);
    if (loud)
        endResetModel();
}

void CachedDataset::setColumnTitle(const QString &field, const QString &title)
{
    m_presentation.setTitle(field, title);
    for (int c : m_presentation.columnsNamed(field)) {
        if (!quiet())
            emit headerDataChanged(Qt::Horizontal, c, c);
    }
}

void CachedDataset::setColumnFormat(const QString &field, const QString &displayPicture,
                                    const QString &editPicture)
{
    m_presentation.setPictures(field, displayPicture, editPicture);
    if (m_rows.count() == 0)
        return;
    for (int c : m_presentation.columnsNamed(field)) {
        if (!quiet())
            emit dataChanged(index(0, c), index(m_rows.count() - 1, c));
    }
}

void CachedDataset::setColumnReadOnly(const QString &field, bool readOnly)
{
    m_presentation.setReadOnly(field, readOnly);
}

void CachedDataset::setAllColumnsReadOnly(bool readOnly)
{
    m_presentation.setAllReadOnly(readOnly);
}

bool CachedDataset::isColumnReadOnly(const QString &field) const
{
    return m_presentation.isReadOnly(field);
}

bool CachedDataset::quiet()
{
    if (!m_signals.isSuspended())
        return false;
    if (m_signals.startsReset())
        beginResetModel();
    return true;
}

void CachedDataset::emitRowChanged(int visibleRow)
{
    if (visibleRow < 0 || m_presentation.count() == 0 || quiet())
        return;
    emit dataChanged(index(visibleRow, 0), index(visibleRow, m_presentation.count() - 1));
}

void CachedDataset::disableControls()
{
    m_signals.suspend();
}

void CachedDataset::enableControls()
{
    if (!m_signals.resume())
        return;
    if (m_signals.takeReset())
        endResetModel();
    if (m_signals.takeCurrentRow())
        emit currentRowChanged(m_current);
}

int CachedDataset::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.count();
}

int CachedDataset::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_presentation.count();
}

QVariant CachedDataset::data(const QModelIndex &index, int role) const
{
    if (!isCell(index))
        return {};
    const int f = fieldOfColumn(index.column());
    if (f < 0)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_presentation.text(m_fields.name(f), m_rows.value(index.row(), f), role == Qt::EditRole);
    case Qt::TextAlignmentRole:
        return isNumericField(f) ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter))
                                 : QVariant(int(Qt::AlignLeft | Qt::AlignVCenter));
    default:
        return {};
    }
}

bool CachedDataset::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole && role != Qt::DisplayRole)
        return false;
    if (!isCell(index))
        return false;
    const int f = fieldOfColumn(index.column());
    if (f < 0 || m_presentation.isReadOnly(m_fields.name(f)))
        return false;
    const QString field = m_fields.name(f);

    // A refused value leaves the row and the cache as they were; lastError()
    // names the column and says why, for the window to show.
    QVariant stored;
    QString why;
    if (!m_fields.fromInput(f, value, m_presentation.hasPicture(field), &stored, &why)) {
        m_lastError = QStringLiteral("「%1」%2").arg(m_presentation.title(field).simplified(), why);
        return false;
    }
    if (index.row() != m_current && !moveTo(index.row()))
        return false;
    m_lastError.clear();
    return setValue(field, stored);
}

QVariant CachedDataset::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= m_presentation.count())
            return {};
        return m_presentation.title(m_presentation.columns().at(section));
    }
    if (section < 0 || section >= m_rows.count())
        return {};
    return section + 1;
}

Qt::ItemFlags CachedDataset::flags(const QModelIndex &index) const
{
    if (!isCell(index))
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    const int field = fieldOfColumn(index.column());
    if (field >= 0 && !m_presentation.isReadOnly(m_fields.name(field)))
        f |= Qt::ItemIsEditable;
    return f;
}
