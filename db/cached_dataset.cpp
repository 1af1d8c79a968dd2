#include "db/cached_dataset.h"

#include "db/dialect.h"
#include "db/engine_message.h"
#include "db/named_placeholders.h"
#include "db/schema.h"
#include "db/statement_runner.h"

#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>

// ---------------------------------------------------------------------------------
// Construction, statement, parameters

CachedDataset::CachedDataset(const QString &connectionName, QObject *parent)
    : QAbstractTableModel(parent), m_connectionName(connectionName)
{
    m_fetchTimer.setSingleShot(true);
    m_fetchTimer.setInterval(0);
    connect(&m_fetchTimer, &QTimer::timeout, this, &CachedDataset::fetchInBackground);
}

CachedDataset::~CachedDataset()
{
    stopFetching();
}

void CachedDataset::setSql(const QString &sql)
{
    close();
    m_sql = sql;
}

namespace {

QString paramKey(const QString &name)
{
    QString key = name.toUpper();
    if (key.startsWith(u':'))
        key.remove(0, 1);
    return key;
}

} // namespace

void CachedDataset::setParam(const QString &name, const QVariant &value)
{
    m_params.insert(paramKey(name), value);
}

QVariant CachedDataset::param(const QString &name) const
{
    return m_params.value(paramKey(name));
}

void CachedDataset::clearParams()
{
    m_params.clear();
}

void CachedDataset::setUpdateSql(const UpdateSql &sql)
{
    m_update = sql;
    m_updateFromTable = false;
}

void CachedDataset::setUpdateTable(const QString &tableName)
{
    m_updateTable = Schema::table(tableName);
    m_updateFromTable = m_updateTable != nullptr;
    if (m_updateTable) {
        m_update = {Schema::insertStatement(*m_updateTable), Schema::modifyStatement(*m_updateTable),
                    Schema::deleteStatement(*m_updateTable)};
    } else {
        m_update = {};
        m_lastError = QStringLiteral("沒有資料表 %1").arg(tableName);
    }
    m_fields.useTable(m_updateTable);
}

int CachedDataset::fieldIndex(const QString &name) const
{
    return m_fields.indexOf(name);
}

// ---------------------------------------------------------------------------------
// Open and close

bool CachedDataset::open()
{
    m_lastError.clear();
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    if (!db.isOpen()) {
        m_lastError = EngineMessage::connectionClosed(m_connectionName);
        close();
        return false;
    }
    stopFetching();   // a read still running of the statement before
    auto cursor = std::make_unique<QSqlQuery>(db);
    QSqlQuery &q = *cursor;
    // The parameters are kept by their names in capitals.
    QVariantMap params;
    for (const QString &name : NamedPlaceholders::in(m_sql))
        params.insert(name, m_params.value(name.toUpper()));
    if (!StatementRunner::select(q, m_connectionName, m_sql, params, &m_lastError)) {
        close();
        return false;
    }

    // A server table's stored-order column comes with "select *" and is never
    // a field of the dataset (see Dialect).
    const QSqlRecord rec = q.record();
    QList<int> columns;
    QStringList names;
    QList<int> types;
    for (int i = 0; i < rec.count(); ++i) {
        if (Dialect::isStoredOrderColumn(rec.fieldName(i)))
            continue;
        columns << i;
        names << Dialect::forDriver(db.driverName()).resultFieldName(rec.fieldName(i));
        types << rec.field(i).metaType().id();
    }
    const int n = columns.size();

    const bool loud = !quiet();
    if (loud)
        beginResetModel();
    m_fields = FieldKinds(names, types);
    m_resultColumns = columns;
    m_fields.useTable(m_updateTable);
    m_presentation.resolve(m_fields);
    // Row by row into the cache, each packed as it is read: the result is
    // never held a second time as plain values. A result that takes longer
    // than the first read's time is read in parts: its statement stays open,
    // and on SQLite its read lock holds other writers back until the rest is
    // read, so a result read at once (a month) is never left open. SQLite lets
    // the statement stay open beside others on the connection; another engine
    // may finish a pending statement when the next one runs, so there every
    // row is read now.
    const bool inParts = db.driverName() == QLatin1String("QSQLITE");
    QElapsedTimer clock;
    clock.start();
    bool ended = false;
    int read = 0;
    m_rows.startLoad();
    m_rows.loadMore([&](QVariantList *values) {
        if (inParts && read >= m_fetchSize && read % m_fetchSize == 0 && clock.elapsed() >= m_firstReadMs)
            return false;
        if (!q.next()) {
            ended = true;
            return false;
        }
        ++read;
        values->resize(n);
        for (int i = 0; i < n; ++i)
            (*values)[i] = q.value(columns.at(i));
        return true;
    });
    if (ended) {
        q.finish();
        m_rows.finishLoad();
    } else {
        startFetching(std::move(cursor));
    }
    m_open = true;
    m_bof = true;
    m_eof = m_rows.count() == 0;
    if (loud)
        endResetModel();
    reportState();
    setCurrent(m_rows.count() == 0 ? -1 : 0);
    emit opened();
    return true;
}

void CachedDataset::forgetRows()
{
    stopFetching();
    const bool loud = !quiet();
    if (loud)
        beginResetModel();
    m_rows.clear();
    m_bof = m_eof = true;
    if (loud)
        endResetModel();
}

void CachedDataset::close()
{
    if (!m_open && m_rows.storageCount() == 0)
        return;
    forgetRows();
    m_open = false;
    reportState();
    setCurrent(-1);
    emit closed();
}

bool CachedDataset::emptyRows()
{
    if (!isOpen())
        return false;
    forgetRows();
    reportState();
    setCurrent(-1);
    return true;
}

// ---------------------------------------------------------------------------------
// State and cursor

CachedDataset::State CachedDataset::state() const
{
    if (!m_open)
        return State::Inactive;
    switch (m_rows.editMode()) {
    case RowCache::EditMode::Edit: return State::Edit;
    case RowCache::EditMode::Insert: return State::Insert;
    case RowCache::EditMode::None: break;
    }
    return State::Browse;
}

void CachedDataset::reportState()
{
    const State now = state();
    if (now == m_toldState)
        return;
    m_toldState = now;
    emit stateChanged();
}

void CachedDataset::setCurrent(int row)
{
    if (row == m_current && !m_signals.owesCurrentRow())
        return;
    m_current = row;
    if (m_signals.isSuspended()) {
        m_signals.oweCurrentRow();
        return;
    }
    m_signals.takeCurrentRow();
    emit currentRowChanged(row);
}

// A row in editing is posted before the cursor moves; an appended or edited row
// that nothing was typed into is dropped instead.
bool CachedDataset::checkBrowseMode()
{
    if (!m_rows.isEditing())
        return true;
    if (!m_rows.isEdited()) {
        cancel();
        return true;
    }
    return post();
}

bool CachedDataset::canScroll()
{
    if (!isOpen() || m_removingRow)
        return false;
    if (!checkBrowseMode())
        return false;
    if (beforeScroll && !beforeScroll())
        return false;
    return true;
}

bool CachedDataset::first()
{
    if (!canScroll())
        return false;
    ensureRow(0);
    const int count = m_rows.count();
    m_bof = true;
    m_eof = count == 0;
    setCurrent(count == 0 ? -1 : 0);
    return count > 0;
}

bool CachedDataset::last()
{
    if (!canScroll())
        return false;
    fetchAll();
    const int count = m_rows.count();
    m_eof = true;
    m_bof = count == 0;
    setCurrent(count - 1);
    return count > 0;
}

bool CachedDataset::next()
{
    if (!canScroll())
        return false;
    if (m_rows.count() == 0) {
        m_bof = m_eof = true;
        setCurrent(-1);
        return false;
    }
    if (!ensureRow(m_current + 1)) {
        m_eof = true;
        return false;
    }
    m_bof = m_eof = false;
    setCurrent(m_current + 1);
    return true;
}

bool CachedDataset::prior()
{
    if (!canScroll())
        return false;
    if (m_rows.count() == 0) {
        m_bof = m_eof = true;
        setCurrent(-1);
        return false;
    }
    if (m_current <= 0) {
        m_bof = true;
        return false;
    }
    m_bof = m_eof = false;
    setCurrent(m_current - 1);
    return true;
}

bool CachedDataset::moveTo(int row)
{
    if (!isOpen() || !ensureRow(row))
        return false;
    if (row == m_current)
        return true;
    // Posting may drop an untouched appended row: find the target again after it.
    const int storage = m_rows.storageOf(row);
    if (!canScroll())
        return false;
    const int target = m_rows.rowOf(storage);
    if (target < 0)
        return false;
    m_bof = m_eof = false;
    setCurrent(target);
    return true;
}

int CachedDataset::indexOf(const QStringList &fields, const QVariantList &values) const
{
    if (!isOpen() || fields.isEmpty() || fields.size() != values.size())
        return -1;
    QList<int> indexes;
    for (const QString &f : fields) {
        const int i = fieldIndex(f.trimmed());
        if (i < 0)
            return -1;
        indexes << i;
    }
    const_cast<CachedDataset *>(this)->fetchAll();   // the row may not be read yet
    return m_rows.find(indexes, values);
}

bool CachedDataset::locate(const QStringList &fields, const QVariantList &values)
{
    if (!canScroll())
        return false;
    const int row = indexOf(fields, values);
    if (row < 0)
        return false;
    m_bof = m_eof = false;
    setCurrent(row);
    return true;
}

// ---------------------------------------------------------------------------------
// Values

QVariant CachedDataset::value(const QString &field) const
{
    return value(m_current, field);
}

QVariant CachedDataset::value(int row, const QString &field) const
{
    return value(row, fieldIndex(field));
}

QVariant CachedDataset::value(int row, int field) const
{
    // A field out of range reads as null, as a row out of range does.
    if (!ensureRow(row))
        return {};
    return m_rows.value(row, field);
}

QVariant CachedDataset::originalValue(const QString &field) const
{
    const int f = fieldIndex(field);
    if (f < 0 || m_rows.storageOf(m_current) < 0)
        return {};
    return m_rows.at(m_current).originalValue(f);
}

bool CachedDataset::setValue(const QString &field, const QVariant &value)
{
    const int f = fieldIndex(field);
    if (f < 0 || m_rows.storageOf(m_current) < 0)
        return false;
    if (state() == State::Browse && !edit())
        return false;
    m_rows.setValue(m_current, f, m_fields.normalized(f, value));
    const int column = m_presentation.columnOf(f);
    if (column >= 0 && !quiet()) {
        const QModelIndex i = index(m_current, column);
        emit dataChanged(i, i);
    }
    return true;
}

bool CachedDataset::setValues(const QStringList &fields, const QVariantList &values)
{
    QList<int> indexes;
    indexes.reserve(fields.size());
    for (const QString &name : fields) {
        indexes << fieldIndex(name);
        if (indexes.back() < 0)
            return false;
    }
    return setValues(indexes, values);
}

bool CachedDataset::setValues(const QList<int> &fields, const QVariantList &values)
{
    if (fields.size() != values.size() || m_rows.storageOf(m_current) < 0)
        return false;
    QVariantList normalized;
    normalized.reserve(fields.size());
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const int f = fields.at(i);
        if (f < 0 || f >= m_fields.count())
            return false;
        normalized << m_fields.normalized(f, values.at(i));
    }
    if (state() == State::Browse && !edit())
        return false;
    m_rows.setValues(m_current, fields, normalized);
    if (!quiet() && columnCount() > 0)
        emit dataChanged(index(m_current, 0), index(m_current, columnCount() - 1));
    return true;
}

CachedDataset::RowStatus CachedDataset::rowStatus(int row) const
{
    return m_rows.at(row).status();
}

// ---------------------------------------------------------------------------------
// Row states

bool CachedDataset::edit()
{
    if (!isOpen() || m_current < 0)
        return false;
    if (!m_rows.beginEdit(m_current))
        return false;
    reportState();
    return true;
}

bool CachedDataset::append()
{
    if (!canScroll())
        return false;
    fetchAll();   // the new row comes after every row of the statement
    const int row = m_rows.count();
    const bool loud = !quiet();
    if (loud)
        beginInsertRows({}, row, row);
    m_rows.append(m_fields.count());
    if (loud)
        endInsertRows();
    m_bof = m_eof = false;
    reportState();
    setCurrent(row);
    return true;
}

bool CachedDataset::post()
{
    if (!m_rows.isEditing())
        return true;
    if (beforePost && !beforePost())
        return false;
    m_rows.postEdit();
    reportState();
    return true;
}

void CachedDataset::cancel()
{
    const int row = m_rows.editingRow();
    switch (m_rows.editMode()) {
    case RowCache::EditMode::None:
        return;
    case RowCache::EditMode::Edit:
        m_rows.cancelEdit();
        reportState();
        emitRowChanged(row);
        return;
    case RowCache::EditMode::Insert: {
        const bool loud = !quiet();
        m_removingRow = true;
        if (loud)
            beginRemoveRows({}, row, row);
        m_rows.cancelEdit();
        if (loud)
            endRemoveRows();
        m_removingRow = false;
        reportState();
        const int count = m_rows.count();
        m_bof = m_eof = count == 0;
        setCurrent(count == 0 ? -1 : std::min(row, count - 1));
        return;
    }
    }
}

bool CachedDataset::remove()
{
    if (!isOpen() || m_current < 0)
        return false;
    if (state() == State::Insert) {
        cancel();
        return true;
    }
    if (state() == State::Edit) {
        m_rows.cancelEdit();   // what goes is the row as it was before the edit
        reportState();
    }
    const int row = m_current;
    const bool loud = !quiet();
    m_removingRow = true;
    if (loud)
        beginRemoveRows({}, row, row);
    m_rows.removeRow(row);
    if (loud)
        endRemoveRows();
    m_removingRow = false;
    ensureRow(row);   // the row after it may not be read yet
    const int count = m_rows.count();
    m_bof = m_eof = count == 0;
    if (count == 0)
        setCurrent(-1);
    else if (row >= count)
        setCurrent(count - 1);
    else if (loud)
        emit currentRowChanged(row);   // same number, another row
    else
        m_signals.oweCurrentRow();
    return true;
}

// ---------------------------------------------------------------------------------
// Cache

bool CachedDataset::hasPendingUpdates() const
{
    return m_rows.hasChanges();
}

bool CachedDataset::applyUpdates()
{
    m_lastError.clear();
    if (!isOpen()) {
        m_lastError = QStringLiteral("資料集未開啟");
        return false;
    }
    if (!checkBrowseMode()) {
        m_lastError = QStringLiteral("編輯中的資料未能存入");
        return false;
    }
    // No read of the connection may still be running while its tables change.
    fetchAllOn(m_connectionName);
    const TableDef *table = m_updateFromTable ? m_updateTable : nullptr;
    UpdateApplier applier(m_connectionName, table ? UpdateApplier::forTable(*table, m_fields) : m_update, m_fields,
                          m_params);
    if (!applier.apply(m_rows.storage())) {
        m_lastError = applier.error();
        return false;
    }
    return true;
}

void CachedDataset::commitUpdates()
{
    m_rows.commit();
}

void CachedDataset::cancelUpdates()
{
    if (!isOpen())
        return;
    const bool loud = !quiet();
    if (loud)
        beginResetModel();
    m_rows.revert();
    if (loud)
        endResetModel();
    reportState();
    const int count = m_rows.count();
    m_bof = m_eof = count == 0;
    if (count == 0)
        setCurrent(-1);
    else
        setCurrent(std::clamp(m_current, 0, count - 1));
}
