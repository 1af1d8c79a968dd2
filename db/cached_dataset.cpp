#include "db/cached_dataset.h"

#include "db/lookup_key.h"

#include "common/big5_text.h"
#include "common/number_picture.h"
#include "db/schema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlField>
#include <QSqlRecord>
#include <QDate>
#include <algorithm>
#include <cmath>

struct CachedDataset::Binding
{
    enum class Source { New, Old, Param, Null };
    QString placeholder;   // ":NAME" as written in the statement
    Source source = Source::Null;
    int field = -1;
    QVariant param;
};

namespace {

QString engineText(const QSqlError &e)
{
    const QString db = e.databaseText().trimmed();
    return db.isEmpty() ? e.text().trimmed() : db;
}

bool isPlaceholderChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_';
}

// The named parameters of a statement, each once, in order of first use. The
// rules are those of the SQL driver's own scan: ":" followed by letters, digits
// or "_", not after another ":", and not inside '...', "...", `...` or [...].
QStringList placeholderNames(const QString &sql)
{
    QStringList names;
    QChar closing;
    const int n = int(sql.size());
    int i = 0;
    while (i < n) {
        const QChar ch = sql.at(i);
        if (!closing.isNull()) {
            if (ch == closing) {
                if (closing == u']' && i + 1 < n && sql.at(i + 1) == closing)
                    ++i;
                else
                    closing = QChar();
            }
            ++i;
            continue;
        }
        if (ch == u':' && (i == 0 || sql.at(i - 1) != u':') && i + 1 < n && isPlaceholderChar(sql.at(i + 1))) {
            int end = i + 2;
            while (end < n && isPlaceholderChar(sql.at(end)))
                ++end;
            const QString name = sql.mid(i + 1, end - i - 1);
            if (!names.contains(name))
                names << name;
            i = end;
            continue;
        }
        if (ch == u'\'' || ch == u'"' || ch == u'`')
            closing = ch;
        else if (ch == u'[')
            closing = u']';
        ++i;
    }
    return names;
}

bool isNull(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return true;
    if (v.metaType().id() == QMetaType::QString)
        return v.toString().isNull();
    return false;
}

QString nonNullEmpty()
{
    return QString(QLatin1StringView(""));
}

} // namespace

// ---------------------------------------------------------------------------------
// Construction, statement, parameters

CachedDataset::CachedDataset(const QString &connectionName, QObject *parent)
    : QAbstractTableModel(parent), m_connectionName(connectionName)
{
}

CachedDataset::~CachedDataset() = default;

void CachedDataset::setSql(const QString &sql)
{
    close();
    m_sql = sql;
}

void CachedDataset::setParam(const QString &name, const QVariant &value)
{
    QString key = name.toUpper();
    if (key.startsWith(u':'))
        key.remove(0, 1);
    m_params.insert(key, value);
}

QVariant CachedDataset::param(const QString &name) const
{
    QString key = name.toUpper();
    if (key.startsWith(u':'))
        key.remove(0, 1);
    return m_params.value(key);
}

void CachedDataset::clearParams()
{
    m_params.clear();
}

void CachedDataset::setUpdateTable(const QString &tableName)
{
    const TableDef *def = Schema::table(tableName);
    if (!def) {
        m_updateTable.clear();
        m_update = {};
        m_lastError = QStringLiteral("沒有資料表 %1").arg(tableName);
        refreshKinds(m_recordTypes);
        return;
    }
    m_updateTable = def->name;
    m_update = {Schema::insertStatement(*def), Schema::modifyStatement(*def), Schema::deleteStatement(*def)};
    refreshKinds(m_recordTypes);
}

// ---------------------------------------------------------------------------------
// Fields and their kinds

int CachedDataset::fieldIndex(const QString &name) const
{
    return m_fieldIndex.value(name.toUpper(), -1);
}

void CachedDataset::refreshKinds(const QList<int> &recordTypes)
{
    const TableDef *def = m_updateTable.isEmpty() ? nullptr : Schema::table(m_updateTable);
    m_kinds.clear();
    m_widths.clear();
    for (int i = 0; i < m_fields.size(); ++i) {
        Kind kind = Kind::Unknown;
        int width = 0;
        const FieldDef *f = def ? def->field(m_fields.at(i)) : nullptr;
        if (!f) {
            // A field of no known table: a column of the schema with the same name
            // in the statement's tables is not looked for; the engine's type decides.
            const int type = i < recordTypes.size() ? recordTypes.at(i) : QMetaType::UnknownType;
            if (type == QMetaType::Double || type == QMetaType::Float)
                kind = Kind::Float;
            else if (LookupKey::isNumberType(type))
                kind = Kind::Integer;
            else if (type == QMetaType::QString)
                kind = Kind::Text;
            else if (type == QMetaType::QDate)
                kind = Kind::Date;
        } else {
            switch (f->type) {
            case FieldType::SmallInt: kind = Kind::Integer; break;
            case FieldType::Float: kind = Kind::Float; break;
            case FieldType::Text: kind = Kind::Text; width = f->width; break;
            case FieldType::Date: kind = Kind::Date; break;
            }
        }
        m_kinds << kind;
        m_widths << width;
    }
}

bool CachedDataset::isNumericField(int field) const
{
    if (field < 0 || field >= m_kinds.size())
        return false;
    const Kind k = m_kinds.at(field);
    return k == Kind::Integer || k == Kind::Float
           || m_displayPicture.contains(m_fields.at(field).toUpper());
}

QVariant CachedDataset::normalized(int field, const QVariant &value) const
{
    const Kind kind = field < m_kinds.size() ? m_kinds.at(field) : Kind::Unknown;
    switch (kind) {
    case Kind::Integer:
    case Kind::Float: {
        if (isNull(value))
            return {};
        if (value.metaType().id() == QMetaType::QString && value.toString().trimmed().isEmpty())
            return {};
        bool ok = false;
        const double d = value.toDouble(&ok);
        if (!ok)
            return value;   // left as given: the table refuses it when applied
        if (kind == Kind::Float)
            return d;
        if (d == std::trunc(d) && std::fabs(d) < 9.0e15)
            return qlonglong(d);
        return d;
    }
    case Kind::Text:
        if (value.metaType().id() == QMetaType::QDate)
            return value.toDate().toString(Qt::ISODate);
        if (!value.isValid())
            return {};
        return value.toString();
    case Kind::Date:
        if (value.metaType().id() == QMetaType::QDate || value.metaType().id() == QMetaType::QDateTime) {
            const QDate d = value.toDate();
            return d.isValid() ? QVariant(d.toString(Qt::ISODate)) : QVariant();
        }
        if (value.metaType().id() == QMetaType::QString && value.toString().trimmed().isEmpty())
            return {};
        return value;
    case Kind::Unknown:
        break;
    }
    return value;
}

QVariant CachedDataset::bindable(int field, const QVariant &value) const
{
    const Kind kind = field >= 0 && field < m_kinds.size() ? m_kinds.at(field) : Kind::Unknown;
    if (kind == Kind::Text && isNull(value))
        return nonNullEmpty();   // text fields hold '' rather than NULL
    if (value.metaType().id() == QMetaType::QDate)
        return value.toDate().toString(Qt::ISODate);
    return value;
}

// ---------------------------------------------------------------------------------
// Open and close

bool CachedDataset::open()
{
    m_lastError.clear();
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    if (!db.isOpen()) {
        m_lastError = QStringLiteral("資料庫連線 %1 未開啟").arg(m_connectionName);
        close();
        return false;
    }
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(m_sql)) {
        m_lastError = engineText(q.lastError());
        close();
        return false;
    }
    for (const QString &name : placeholderNames(m_sql))
        q.bindValue(u':' + name, m_params.value(name.toUpper()));
    if (!q.exec()) {
        m_lastError = engineText(q.lastError());
        close();
        return false;
    }

    const QSqlRecord rec = q.record();
    const int n = rec.count();
    QStringList fields;
    QList<int> types;
    fields.reserve(n);
    for (int i = 0; i < n; ++i) {
        fields << rec.fieldName(i);
        types << rec.field(i).metaType().id();
    }
    QList<Row> rows;
    while (q.next()) {
        Row row;
        row.values.reserve(n);
        for (int i = 0; i < n; ++i)
            row.values << q.value(i);
        row.original = row.values;
        rows << row;
    }
    q.finish();

    const bool loud = !quiet();
    if (loud)
        beginResetModel();
    m_fields = fields;
    m_fieldIndex.clear();
    for (int i = n - 1; i >= 0; --i)   // the first of a repeated name wins
        m_fieldIndex.insert(fields.at(i).toUpper(), i);
    m_recordTypes = types;
    refreshKinds(types);
    if (!m_columnsExplicit)
        m_columns = m_fields;
    refreshColumnMap();
    m_rows = rows;
    m_loaded = rows;
    rebuildVisible();
    dropLocateIndexes();
    m_editBackup = {};
    m_modified = false;
    m_bof = true;
    m_eof = m_visible.isEmpty();
    if (loud)
        endResetModel();
    setState(State::Browse);
    setCurrent(m_visible.isEmpty() ? -1 : 0);
    emit opened();
    return true;
}

void CachedDataset::forgetRows()
{
    const bool loud = !quiet();
    if (loud)
        beginResetModel();
    m_rows.clear();
    m_loaded.clear();
    m_visible.clear();
    dropLocateIndexes();
    m_editBackup = {};
    m_modified = false;
    m_bof = m_eof = true;
    if (loud)
        endResetModel();
}

void CachedDataset::close()
{
    if (m_state == State::Inactive && m_rows.isEmpty())
        return;
    forgetRows();
    setState(State::Inactive);
    setCurrent(-1);
    emit closed();
}

bool CachedDataset::emptyRows()
{
    if (!isOpen())
        return false;
    forgetRows();
    setState(State::Browse);
    setCurrent(-1);
    return true;
}

// ---------------------------------------------------------------------------------
// Rows and cursor

void CachedDataset::rebuildVisible()
{
    m_visible.clear();
    m_visible.reserve(m_rows.size());
    for (int i = 0; i < m_rows.size(); ++i) {
        if (m_rows.at(i).status != RowStatus::Deleted)
            m_visible << i;
    }
}

int CachedDataset::visibleToStorage(int row) const
{
    return row >= 0 && row < m_visible.size() ? m_visible.at(row) : -1;
}

int CachedDataset::storageToVisible(int storage) const
{
    const auto it = std::lower_bound(m_visible.cbegin(), m_visible.cend(), storage);
    if (it == m_visible.cend() || *it != storage)
        return -1;
    return int(it - m_visible.cbegin());
}

int CachedDataset::recordCount() const
{
    return int(m_visible.size());
}

void CachedDataset::setCurrent(int row)
{
    if (row == m_current && !m_currentPending)
        return;
    m_current = row;
    if (m_controlsDisabled > 0) {
        m_currentPending = true;
        return;
    }
    m_currentPending = false;
    emit currentRowChanged(row);
}

void CachedDataset::setState(State state)
{
    if (state == m_state)
        return;
    m_state = state;
    emit stateChanged();
}

// A row in editing is posted before the cursor moves; an appended or edited row
// that nothing was typed into is dropped instead.
bool CachedDataset::checkBrowseMode()
{
    if (m_state != State::Edit && m_state != State::Insert)
        return true;
    if (!m_modified) {
        cancel();
        return true;
    }
    return post();
}

bool CachedDataset::canScroll()
{
    if (!isOpen())
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
    m_bof = true;
    m_eof = m_visible.isEmpty();
    setCurrent(m_visible.isEmpty() ? -1 : 0);
    return !m_visible.isEmpty();
}

bool CachedDataset::last()
{
    if (!canScroll())
        return false;
    m_eof = true;
    m_bof = m_visible.isEmpty();
    setCurrent(int(m_visible.size()) - 1);
    return !m_visible.isEmpty();
}

bool CachedDataset::next()
{
    if (!canScroll())
        return false;
    if (m_visible.isEmpty()) {
        m_bof = m_eof = true;
        setCurrent(-1);
        return false;
    }
    if (m_current >= int(m_visible.size()) - 1) {
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
    if (m_visible.isEmpty()) {
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
    if (!isOpen() || row < 0 || row >= m_visible.size())
        return false;
    if (row == m_current)
        return true;
    // Posting may drop an untouched appended row: find the target again after it.
    const int storage = m_visible.at(row);
    if (!canScroll())
        return false;
    const int target = storageToVisible(storage);
    if (target < 0)
        return false;
    m_bof = m_eof = false;
    setCurrent(target);
    return true;
}

// ---------------------------------------------------------------------------------
// Locate

CachedDataset::LocateIndex &CachedDataset::locateIndex(const QList<int> &fields) const
{
    QString name;
    for (int f : fields)
        name += QString::number(f) + u';';
    auto it = m_locate.find(name);
    if (it != m_locate.end())
        return it.value();
    LocateIndex index;
    index.fields = fields;
    index.rows.reserve(m_rows.size());
    for (int s = 0; s < m_rows.size(); ++s) {
        QString key;
        for (int f : fields)
            LookupKey::append(key, m_rows.at(s).values.at(f));
        index.rows[key].append(s);
    }
    return m_locate.insert(name, index).value();
}

void CachedDataset::reindexRow(int storage, const QVariantList &before)
{
    const QVariantList &after = m_rows.at(storage).values;
    for (auto it = m_locate.begin(); it != m_locate.end(); ++it) {
        LocateIndex &index = it.value();
        QString oldKey, newKey;
        for (int f : std::as_const(index.fields)) {
            LookupKey::append(oldKey, before.at(f));
            LookupKey::append(newKey, after.at(f));
        }
        if (oldKey == newKey)
            continue;
        auto old = index.rows.find(oldKey);
        if (old != index.rows.end()) {
            old->removeOne(storage);
            if (old->isEmpty())
                index.rows.erase(old);
        }
        QList<int> &list = index.rows[newKey];
        list.insert(std::lower_bound(list.begin(), list.end(), storage) - list.begin(), storage);
    }
}

int CachedDataset::findRow(const QStringList &fields, const QVariantList &values) const
{
    if (!isOpen() || fields.isEmpty() || fields.size() != values.size())
        return -1;
    QList<int> columns;
    for (const QString &f : fields) {
        const int c = fieldIndex(f.trimmed());
        if (c < 0)
            return -1;
        columns << c;
    }
    const LocateIndex &index = locateIndex(columns);
    QString key;
    for (const QVariant &v : values)
        LookupKey::append(key, v);
    const auto it = index.rows.constFind(key);
    if (it == index.rows.cend())
        return -1;
    for (int storage : it.value()) {
        if (m_rows.at(storage).status != RowStatus::Deleted)
            return storageToVisible(storage);
    }
    return -1;
}

int CachedDataset::indexOf(const QStringList &fields, const QVariantList &values) const
{
    return findRow(fields, values);
}

bool CachedDataset::locate(const QStringList &fields, const QVariantList &values)
{
    if (!canScroll())
        return false;
    const int row = findRow(fields, values);
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
    const int s = visibleToStorage(row);
    const int f = fieldIndex(field);
    if (s < 0 || f < 0)
        return {};
    return m_rows.at(s).values.at(f);
}

QVariant CachedDataset::originalValue(const QString &field) const
{
    const int s = visibleToStorage(m_current);
    const int f = fieldIndex(field);
    if (s < 0 || f < 0)
        return {};
    return m_rows.at(s).original.at(f);
}

bool CachedDataset::setValue(const QString &field, const QVariant &value)
{
    const int f = fieldIndex(field);
    const int s = visibleToStorage(m_current);
    if (f < 0 || s < 0)
        return false;
    if (m_state == State::Browse && !edit())
        return false;
    // The row's values before the change matter only to the look-up indexes;
    // without any, no copy of the row is made.
    QVariantList before;
    if (!m_locate.isEmpty())
        before = m_rows.at(s).values;
    m_rows[s].values[f] = normalized(f, value);
    m_modified = true;
    if (!m_locate.isEmpty())
        reindexRow(s, before);
    const int column = columnOfField(f);
    if (column >= 0) {
        if (quiet())
            return true;
        const QModelIndex i = index(m_current, column);
        emit dataChanged(i, i);
    }
    return true;
}

CachedDataset::RowStatus CachedDataset::rowStatus(int row) const
{
    const int s = visibleToStorage(row);
    return s < 0 ? RowStatus::Unmodified : m_rows.at(s).status;
}

// ---------------------------------------------------------------------------------
// Row states

bool CachedDataset::edit()
{
    if (!isOpen() || m_current < 0)
        return false;
    if (m_state == State::Edit || m_state == State::Insert)
        return true;
    m_editBackup = m_rows.at(visibleToStorage(m_current));
    m_modified = false;
    setState(State::Edit);
    return true;
}

bool CachedDataset::append()
{
    if (!canScroll())
        return false;
    Row row;
    row.values = QVariantList(m_fields.size());
    row.original = row.values;
    row.status = RowStatus::Inserted;
    const int storage = int(m_rows.size());
    const int visible = int(m_visible.size());
    const bool loud = !quiet();
    if (loud)
        beginInsertRows({}, visible, visible);
    m_rows << row;
    m_visible << storage;
    if (!m_locate.isEmpty()) {
        for (auto it = m_locate.begin(); it != m_locate.end(); ++it) {
            QString key;
            for (int f : std::as_const(it->fields))
                LookupKey::append(key, row.values.at(f));
            it->rows[key].append(storage);
        }
    }
    if (loud)
        endInsertRows();
    m_editBackup = row;
    m_modified = false;
    m_bof = m_eof = false;
    setState(State::Insert);
    setCurrent(visible);
    return true;
}

bool CachedDataset::post()
{
    if (m_state != State::Edit && m_state != State::Insert)
        return true;
    if (beforePost && !beforePost())
        return false;
    const int s = visibleToStorage(m_current);
    if (m_state == State::Edit && s >= 0) {
        Row &row = m_rows[s];
        if (row.status == RowStatus::Unmodified && row.values != row.original)
            row.status = RowStatus::Modified;
        else if (row.status == RowStatus::Modified && row.values == row.original)
            row.status = RowStatus::Unmodified;
    }
    m_editBackup = {};
    m_modified = false;
    setState(State::Browse);
    return true;
}

void CachedDataset::cancel()
{
    const int s = visibleToStorage(m_current);
    if (m_state == State::Edit && s >= 0) {
        const QVariantList before = m_rows.at(s).values;
        m_rows[s].values = m_editBackup.values;
        if (!m_locate.isEmpty())
            reindexRow(s, before);
        m_editBackup = {};
        m_modified = false;
        setState(State::Browse);
        emitRowChanged(m_current);
        return;
    }
    if (m_state == State::Insert && s >= 0) {
        const int row = m_current;
        const bool loud = !quiet();
        if (loud)
            beginRemoveRows({}, row, row);
        m_rows.removeAt(s);
        rebuildVisible();
        dropLocateIndexes();
        if (loud)
            endRemoveRows();
        m_editBackup = {};
        m_modified = false;
        setState(State::Browse);
        const int count = int(m_visible.size());
        m_bof = m_eof = count == 0;
        setCurrent(count == 0 ? -1 : std::min(row, count - 1));
        return;
    }
    if (m_state == State::Edit || m_state == State::Insert)
        setState(State::Browse);
}

bool CachedDataset::remove()
{
    if (!isOpen() || m_current < 0)
        return false;
    if (m_state == State::Insert) {
        cancel();
        return true;
    }
    const int row = m_current;
    const int s = visibleToStorage(row);
    if (m_state == State::Edit) {
        const QVariantList before = m_rows.at(s).values;
        m_rows[s].values = m_editBackup.values;
        if (!m_locate.isEmpty())
            reindexRow(s, before);
        m_editBackup = {};
        m_modified = false;
        setState(State::Browse);
    }
    const bool loud = !quiet();
    if (loud)
        beginRemoveRows({}, row, row);
    if (m_rows.at(s).status == RowStatus::Inserted) {
        // Never written: it simply goes.
        m_rows.removeAt(s);
        rebuildVisible();
        dropLocateIndexes();
    } else {
        m_rows[s].status = RowStatus::Deleted;
        m_visible.removeAt(row);
    }
    if (loud)
        endRemoveRows();
    const int count = int(m_visible.size());
    m_bof = m_eof = count == 0;
    if (count == 0)
        setCurrent(-1);
    else if (row >= count)
        setCurrent(count - 1);
    else if (loud)
        emit currentRowChanged(row);   // same number, another row
    else
        m_currentPending = true;
    return true;
}

// ---------------------------------------------------------------------------------
// Cache

bool CachedDataset::hasPendingUpdates() const
{
    // A row in editing counts once something was typed into it: an untouched
    // appended row is dropped, not written.
    if ((m_state == State::Insert || m_state == State::Edit) && m_modified)
        return true;
    const int inserting = m_state == State::Insert ? visibleToStorage(m_current) : -1;
    for (int s = 0; s < m_rows.size(); ++s) {
        if (s != inserting && m_rows.at(s).status != RowStatus::Unmodified)
            return true;
    }
    return false;
}

bool CachedDataset::validateWidths(QString *error) const
{
    const TableDef *def = m_updateTable.isEmpty() ? nullptr : Schema::table(m_updateTable);
    if (!def)
        return true;
    QList<QPair<int, const FieldDef *>> checked;
    for (const FieldDef &f : def->fields) {
        const int i = fieldIndex(f.name);
        if (i >= 0 && f.type == FieldType::Text)
            checked.append({i, &f});
    }
    for (const Row &row : m_rows) {
        if (row.status != RowStatus::Inserted && row.status != RowStatus::Modified)
            continue;
        for (const auto &[i, f] : checked) {
            const QVariant v = row.values.at(i);
            if (isNull(v))
                continue;
            const QString text = v.toString();
            if (!Big5Text::canEncode(text)) {
                *error = QStringLiteral("欄位 %1 含有 Big5 無法表示的字元: %2").arg(f->name, text);
                return false;
            }
            if (!Big5Text::fits(text, f->width)) {
                *error = QStringLiteral("欄位 %1 超過 %2 個位元組: %3").arg(f->name).arg(f->width).arg(text);
                return false;
            }
        }
    }
    return true;
}

QList<CachedDataset::Binding> CachedDataset::bindingsFor(const QString &sql) const
{
    QList<Binding> out;
    for (const QString &name : placeholderNames(sql)) {
        Binding b;
        b.placeholder = u':' + name;
        const QString upper = name.toUpper();
        int f = -1;
        if (upper.startsWith(QLatin1String("OLD_")) && (f = fieldIndex(name.mid(4))) >= 0) {
            b.source = Binding::Source::Old;
            b.field = f;
        } else if ((f = fieldIndex(name)) >= 0) {
            b.source = Binding::Source::New;
            b.field = f;
        } else if (m_params.contains(upper)) {
            b.source = Binding::Source::Param;
            b.param = m_params.value(upper);
        }
        out << b;
    }
    return out;
}

bool CachedDataset::runStatement(QSqlQuery &query, const QList<Binding> &bindings, const Row &row,
                                 bool mustFindRow, QString *error) const
{
    for (const Binding &b : bindings) {
        switch (b.source) {
        case Binding::Source::New:
            query.bindValue(b.placeholder, bindable(b.field, row.values.at(b.field)));
            break;
        case Binding::Source::Old:
            query.bindValue(b.placeholder, bindable(b.field, row.original.at(b.field)));
            break;
        case Binding::Source::Param:
            query.bindValue(b.placeholder, b.param);
            break;
        case Binding::Source::Null:
            query.bindValue(b.placeholder, QVariant());
            break;
        }
    }
    if (!query.exec()) {
        *error = engineText(query.lastError());
        return false;
    }
    if (mustFindRow && query.numRowsAffected() == 0) {
        // The stored row is no longer there under its old key.
        QStringList key;
        for (const Binding &b : bindings) {
            if (b.source == Binding::Source::Old)
                key << m_fields.at(b.field) + u'=' + row.original.at(b.field).toString();
        }
        *error = QStringLiteral("找不到要更新的資料 (%1)").arg(key.join(QStringLiteral(", ")));
        return false;
    }
    return true;
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
    QList<int> deletes, modifies, inserts;
    for (int s = 0; s < m_rows.size(); ++s) {
        switch (m_rows.at(s).status) {
        case RowStatus::Deleted: deletes << s; break;
        case RowStatus::Modified: modifies << s; break;
        case RowStatus::Inserted: inserts << s; break;
        case RowStatus::Unmodified: break;
        }
    }
    if (deletes.isEmpty() && modifies.isEmpty() && inserts.isEmpty())
        return true;
    if (!validateWidths(&m_lastError))
        return false;
    const struct {
        const QList<int> &rows;
        const QString &sql;
        bool mustFindRow;
        const char *name;
    } steps[] = {
        {deletes, m_update.deleteSql, true, "delete"},
        {modifies, m_update.modifySql, true, "modify"},
        {inserts, m_update.insertSql, false, "insert"},
    };
    for (const auto &step : steps) {
        if (!step.rows.isEmpty() && step.sql.trimmed().isEmpty()) {
            m_lastError = QStringLiteral("沒有 %1 指令").arg(QLatin1String(step.name));
            return false;
        }
    }

    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    if (!db.isOpen()) {
        m_lastError = QStringLiteral("資料庫連線 %1 未開啟").arg(m_connectionName);
        return false;
    }
    // A savepoint is a transaction of its own when none is running, and a part
    // of the caller's transaction when one is: all rows or none either way.
    QSqlQuery control(db);
    if (!control.exec(QStringLiteral("savepoint velq8_apply"))) {
        m_lastError = engineText(control.lastError());
        return false;
    }
    auto undo = [&] {
        control.exec(QStringLiteral("rollback to velq8_apply"));
        control.exec(QStringLiteral("release velq8_apply"));
    };
    QString error;
    bool ok = true;
    for (const auto &step : steps) {
        if (step.rows.isEmpty())
            continue;
        QSqlQuery query(db);
        if (!query.prepare(step.sql)) {
            error = engineText(query.lastError());
            ok = false;
            break;
        }
        const QList<Binding> bindings = bindingsFor(step.sql);
        for (int s : step.rows) {
            if (!runStatement(query, bindings, m_rows.at(s), step.mustFindRow, &error)) {
                ok = false;
                break;
            }
        }
        query.finish();
        if (!ok)
            break;
    }
    if (ok && !control.exec(QStringLiteral("release velq8_apply"))) {
        error = engineText(control.lastError());
        ok = false;
    }
    if (!ok) {
        undo();
        m_lastError = error;
        return false;
    }
    return true;
}

void CachedDataset::commitUpdates()
{
    const int editing = m_state == State::Browse ? -1 : visibleToStorage(m_current);
    QList<Row> rows;
    QList<Row> loaded;
    rows.reserve(m_rows.size());
    loaded.reserve(m_rows.size());
    bool dropped = false;
    for (int s = 0; s < m_rows.size(); ++s) {
        Row row = m_rows.at(s);
        if (s == editing) {
            // The row in editing keeps its state; the loaded form is its last posted one.
            if (m_state == State::Edit) {
                Row posted = m_editBackup;
                posted.original = posted.values;
                posted.status = RowStatus::Unmodified;
                loaded << posted;
                row.original = posted.values;
                row.status = RowStatus::Unmodified;
                m_editBackup = posted;
            }
            rows << row;
            continue;
        }
        if (row.status == RowStatus::Deleted) {
            dropped = true;
            continue;
        }
        row.original = row.values;
        row.status = RowStatus::Unmodified;
        rows << row;
        loaded << row;
    }
    m_rows = rows;
    m_loaded = loaded;
    if (dropped) {
        rebuildVisible();
        dropLocateIndexes();
    }
}

void CachedDataset::cancelUpdates()
{
    if (!isOpen())
        return;
    const bool loud = !quiet();
    if (loud)
        beginResetModel();
    m_rows = m_loaded;
    rebuildVisible();
    dropLocateIndexes();
    m_editBackup = {};
    m_modified = false;
    if (loud)
        endResetModel();
    setState(State::Browse);
    const int count = int(m_visible.size());
    m_bof = m_eof = count == 0;
    if (count == 0)
        setCurrent(-1);
    else
        setCurrent(std::clamp(m_current, 0, count - 1));
}

// ---------------------------------------------------------------------------------
// Display

bool CachedDataset::isCell(const QModelIndex &index) const
{
    return index.isValid() && index.model() == this && !index.parent().isValid() && index.row() < m_visible.size()
           && index.column() < m_columns.size();
}

void CachedDataset::refreshColumnMap()
{
    m_columnField.clear();
    for (const QString &c : std::as_const(m_columns))
        m_columnField << fieldIndex(c);
}

int CachedDataset::columnOfField(int field) const
{
    return int(m_columnField.indexOf(field));
}

void CachedDataset::setColumns(const QStringList &fields)
{
    const bool loud = !quiet();
    if (loud)
        beginResetModel();
    m_columnsExplicit = !fields.isEmpty();
    m_columns = m_columnsExplicit ? fields : m_fields;
    refreshColumnMap();
    if (loud)
        endResetModel();
}

void CachedDataset::setColumnTitle(const QString &field, const QString &title)
{
    m_titles.insert(field.toUpper(), title);
    for (int c = 0; c < m_columns.size(); ++c) {
        if (m_columns.at(c).compare(field, Qt::CaseInsensitive) == 0 && !quiet())
            emit headerDataChanged(Qt::Horizontal, c, c);
    }
}

void CachedDataset::setColumnFormat(const QString &field, const QString &displayPicture,
                                    const QString &editPicture)
{
    const QString key = field.toUpper();
    if (displayPicture.isEmpty())
        m_displayPicture.remove(key);
    else
        m_displayPicture.insert(key, displayPicture);
    if (editPicture.isEmpty())
        m_editPicture.remove(key);
    else
        m_editPicture.insert(key, editPicture);
    if (m_visible.isEmpty())
        return;
    for (int c = 0; c < m_columns.size(); ++c) {
        if (m_columns.at(c).compare(field, Qt::CaseInsensitive) == 0 && !quiet())
            emit dataChanged(index(0, c), index(int(m_visible.size()) - 1, c));
    }
}

void CachedDataset::setColumnReadOnly(const QString &field, bool readOnly)
{
    m_readOnly.insert(field.toUpper(), readOnly);
}

void CachedDataset::setAllColumnsReadOnly(bool readOnly)
{
    m_readOnly.clear();
    m_defaultReadOnly = readOnly;
}

bool CachedDataset::isColumnReadOnly(const QString &field) const
{
    return m_readOnly.value(field.toUpper(), m_defaultReadOnly);
}

bool CachedDataset::quiet()
{
    if (m_controlsDisabled <= 0)
        return false;
    if (!m_resetPending) {
        beginResetModel();
        m_resetPending = true;
    }
    return true;
}

void CachedDataset::emitRowChanged(int visibleRow)
{
    if (visibleRow < 0 || m_columns.isEmpty() || quiet())
        return;
    emit dataChanged(index(visibleRow, 0), index(visibleRow, int(m_columns.size()) - 1));
}

void CachedDataset::disableControls()
{
    ++m_controlsDisabled;
}

void CachedDataset::enableControls()
{
    if (m_controlsDisabled <= 0 || --m_controlsDisabled > 0)
        return;
    if (m_resetPending) {
        m_resetPending = false;
        endResetModel();
    }
    if (m_currentPending) {
        m_currentPending = false;
        emit currentRowChanged(m_current);
    }
}

QString CachedDataset::displayText(int field, const QVariant &value, bool edit) const
{
    if (isNull(value))
        return {};
    const QString key = m_fields.at(field).toUpper();
    const QString picture = edit ? m_editPicture.value(key) : m_displayPicture.value(key);
    if (!picture.isEmpty()) {
        bool ok = false;
        const double d = value.toDouble(&ok);
        return ok ? NumberPicture::format(d, picture) : value.toString();
    }
    if (value.metaType().id() == QMetaType::Double || value.metaType().id() == QMetaType::Float)
        return QString::number(value.toDouble(), 'g', 15);
    return value.toString();
}

int CachedDataset::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_visible.size());
}

int CachedDataset::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant CachedDataset::data(const QModelIndex &index, int role) const
{
    if (!isCell(index))
        return {};
    const int f = m_columnField.value(index.column(), -1);
    const int s = visibleToStorage(index.row());
    if (f < 0 || s < 0)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return displayText(f, m_rows.at(s).values.at(f), false);
    case Qt::EditRole:
        return displayText(f, m_rows.at(s).values.at(f), true);
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
    const int f = m_columnField.value(index.column(), -1);
    if (f < 0 || isColumnReadOnly(m_fields.at(f)))
        return false;

    // A refused value leaves the row and the cache as they were; lastError()
    // names the column and says why, for the window to show.
    const QString column = m_titles.value(m_fields.at(f).toUpper(), m_fields.at(f)).simplified();
    auto refuse = [&](const QString &why) {
        m_lastError = QStringLiteral("「%1」%2").arg(column, why);
        return false;
    };
    QVariant stored;
    const Kind kind = m_kinds.value(f, Kind::Unknown);
    if (kind == Kind::Integer || kind == Kind::Float || m_displayPicture.contains(m_fields.at(f).toUpper())) {
        double d = 0;
        if (LookupKey::isNumberType(value.metaType().id()))
            d = value.toDouble();
        else if (!NumberPicture::parseAmount(value.toString().trimmed(), &d))
            return refuse(QStringLiteral("不是數字: %1").arg(value.toString()));
        if (!std::isfinite(d))
            return refuse(QStringLiteral("數值過大: %1").arg(value.toString()));
        if (kind == Kind::Integer) {
            if (d != std::trunc(d) || d < -32768 || d > 32767)
                return refuse(QStringLiteral("須為 -32768 至 32767 的整數: %1").arg(value.toString()));
            stored = qlonglong(d);
        } else {
            stored = d;
        }
    } else if (kind == Kind::Text) {
        const QString text = value.toString();
        const int width = m_widths.value(f, 0);
        if (width > 0 && !Big5Text::canEncode(text))
            return refuse(QStringLiteral("含有 Big5 無法表示的字元: %1").arg(text));
        if (width > 0 && !Big5Text::fits(text, width))
            return refuse(QStringLiteral("超過 %1 個位元組: %2").arg(width).arg(text));
        stored = text;
    } else {
        stored = value;
    }
    if (index.row() != m_current && !moveTo(index.row()))
        return false;
    m_lastError.clear();
    return setValue(m_fields.at(f), stored);
}

QVariant CachedDataset::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= m_columns.size())
            return {};
        const QString field = m_columns.at(section);
        return m_titles.value(field.toUpper(), field);
    }
    if (section < 0 || section >= m_visible.size())
        return {};
    return section + 1;
}

Qt::ItemFlags CachedDataset::flags(const QModelIndex &index) const
{
    if (!isCell(index))
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    const int field = m_columnField.value(index.column(), -1);
    if (field >= 0 && !isColumnReadOnly(m_fields.at(field)))
        f |= Qt::ItemIsEditable;
    return f;
}
