#include "db/change_operation.h"

#include "db/change_author.h"
#include "db/change_pack.h"
#include "db/change_values.h"
#include "db/database.h"
#include "db/dialect.h"
#include "db/declaration_kind.h"
#include "db/schema.h"
#include "db/sqlite_change_lines.h"
#include "db/sqlite_statement.h"
#include "db/statement_runner.h"

#include <QSqlDatabase>
#include <QSqlQuery>

#include <atomic>

namespace {

std::atomic<bool> recordingOn{true};

} // namespace

void ChangeOperation::setRecording(bool on) { recordingOn.store(on); }
bool ChangeOperation::recording() { return recordingOn.load(); }

QString ChangeOperation::code(Kind kind)
{
    switch (kind) {
    case Kind::Keyed: return QStringLiteral("K");
    case Kind::Imported: return QStringLiteral("I");
    case Kind::MonthDeleted: return QStringLiteral("D");
    }
    return {};
}

QString ChangeOperation::words(const QString &code)
{
    if (code == QLatin1String("K"))
        return QStringLiteral("鍵入");
    if (code == QLatin1String("I"))
        return QStringLiteral("匯入");
    if (code == QLatin1String("D"))
        return QStringLiteral("刪除整月");
    return code;
}

ChangeOperation::ChangeOperation(QString connectionName, Kind kind, const DeclarationKind &declaration,
                                 QString institution, int year, int month)
    : m_connectionName(std::move(connectionName)), m_kind(kind), m_declaration(declaration),
      m_institution(std::move(institution)), m_year(year), m_month(month), m_id(ChangeAuthor::nextId()),
      m_lineKey(*Schema::table(declaration.table()), m_institution, year, month)
{
}

void ChangeOperation::addRow(const QString &key, const QString &oldValues, const QString &newValues)
{
    if (!recording())
        return;
    ChangePack::appendLine(m_packed, key, oldValues, newValues);
    ++m_rows;
}

bool ChangeOperation::addStoredRows(const QString &alias, const QString &fromWhere, const QVariantMap &params,
                                    bool before, QString *error, QList<qint64> *rowids, bool last)
{
    if (rowids)
        rowids->clear();
    if (!recording())
        return true;
    const TableDef *table = Schema::table(m_declaration.table());
    // On SQLite the rows are read and packed here, a fraction of what packing
    // them in the statement costs; a server packs them itself, so that they
    // never cross the network.
    if (sqlite3 *handle = SqliteStatement::handleOf(QSqlDatabase::database(m_connectionName, false))) {
        QByteArray lines;
        int rows = 0;
        if (!SqliteChangeLines::pack(handle, *table, m_lineKey, alias, fromWhere, params, before, &lines, &rows, error,
                                     rowids))
            return false;
        m_storedCount += rows;
        if (rows > 0 && !insertPacked(rows, QString::fromUtf8(lines), error))
            return false;
        return !last || write(error);
    }
    // The lines joined unescaped, keys without the operation's own fields,
    // are kept when the text holds exactly the separators the lines put in
    // (and the line ends between them): then no text held a character to
    // escape, which declaration data never does, no row needed a check of its
    // own, and every row had the operation's own fields (a row that had not
    // is no line). When nothing was kept (that, or no row at all), the rows
    // are packed again, escaped and with whole keys: a statement planned
    // only then.
    QVariantMap ownParams = params;
    const QList<const FieldDef *> keyFields = ChangeValues::fields(*table, true);
    for (int i = 0; i < m_lineKey.fieldCount(); ++i) {
        if (m_lineKey.isOwn(i))
            ownParams.insert(ChangePack::ownParameter(keyFields.at(i)->name), m_lineKey.ownValue(i));
    }
    int plain = 0;
    int rows = -1;   // unknown
    if (rowids) {
        // The rows' rowids come back with the packing, so that a delete by
        // chunks need not run the statement's joins over the month again.
        // The operation's own row too, when these are its last rows and it
        // has none in memory: a month's delete then sends no statement of its
        // own for it.
        const bool writeLog = last && m_rows == 0 && m_storedCountKnown;
        if (writeLog)
            ownParams.insert(logParams(QStringLiteral("LOG_")));
        const QString log = writeLog
            ? QStringLiteral(", l as (%1)")
                  .arg(logSql(QStringLiteral("LOG_"), QStringLiteral("x.N + %1").arg(m_storedCount),
                              QStringLiteral(" from x")))
            : QString();
        const QString sql = QStringLiteral("with x as (%1), i as (insert into %2 (OP_ID, ROW_COUNT, ROWS_TEXT) select "
                                           "%3, x.N, x.T from x where %4 returning 1)%5 select x.R, (select count(*) "
                                           "from i), x.N from x")
                                .arg(packedSql(alias, fromWhere, before, false, true),
                                     QLatin1String(Schema::ChangeRow), QString::number(m_id), keptSql(false), log);
        QSqlQuery q(QSqlDatabase::database(m_connectionName, false));
        if (!StatementRunner::select(q, m_connectionName, sql, ownParams, error))
            return false;
        if (q.next()) {
            for (const QStringView id : q.value(0).toString().tokenize(u',', Qt::SkipEmptyParts))
                rowids->append(id.toLongLong());
            plain = q.value(1).toInt();
            rows = q.value(2).toInt();
            m_storedCount += rows;
            m_written = writeLog;
        }
    } else {
        plain = StatementRunner::run(m_connectionName, packingStatement(alias, fromWhere, before, false),
                                     ownParams, error);
        m_storedCountKnown = false;   // counted where they are (write())
    }
    if (plain < 0)
        return false;
    if (plain == 0 && rows != 0
        && StatementRunner::run(m_connectionName, packingStatement(alias, fromWhere, before, true), params, error) < 0)
        return false;
    return !last || write(error);
}

QString ChangeOperation::packedSql(const QString &alias, const QString &fromWhere, bool before, bool escaped,
                                   bool withRowids) const
{
    // In the order the rows come, unsorted: a list of the rows sorts them by
    // key anyway, and sorting a month here would cost a fifth of the packing.
    const TableDef *table = Schema::table(m_declaration.table());
    const QString line = ChangePack::lineSql(*table, alias, Database::dialect(m_connectionName), before, escaped,
                                             escaped ? nullptr : &m_lineKey);
    return QStringLiteral("select count(*) as N, string_agg(%1, '\n') as T%2 %3")
        .arg(line,
             withRowids ? QStringLiteral(", string_agg(cast(%1.rowid as text), ',') as R").arg(alias) : QString(),
             fromWhere);
}

QString ChangeOperation::keptSql(bool escaped) const
{
    QString kept = QStringLiteral("x.N > 0");
    if (escaped)
        return kept;
    // Each character counted by the bytes a replace() takes out: far quicker
    // than translate(), which walks the text a character at a time.
    const QString characters = ChangeValues::escapedCharacters();
    QStringList removed;
    for (const QChar c : characters)
        removed << QStringLiteral("octet_length(replace(x.T, '%1', ''))").arg(c);
    return kept + QStringLiteral(" and octet_length(x.T) * %1 - (%2) = x.N * %3 - 1")
                      .arg(characters.size())
                      .arg(removed.join(QStringLiteral(" + ")))
                      .arg(ChangePack::separatorsPerLine(*Schema::table(m_declaration.table()), m_lineKey.ownCount())
                           + 1);
}

QString ChangeOperation::packingStatement(const QString &alias, const QString &fromWhere, bool before,
                                         bool escaped) const
{
    return QStringLiteral("insert into %1 (OP_ID, ROW_COUNT, ROWS_TEXT) select %2, x.N, x.T from (%3) x where %4")
        .arg(QLatin1String(Schema::ChangeRow), QString::number(m_id),
             packedSql(alias, fromWhere, before, escaped, false), keptSql(escaped));
}

bool ChangeOperation::insertPacked(int rows, const QString &packed, QString *error)
{
    const QString sql = QStringLiteral("insert into %1 (OP_ID, ROW_COUNT, ROWS_TEXT) values (:OP_ID, :ROW_COUNT, "
                                       ":ROWS_TEXT)")
                            .arg(QLatin1String(Schema::ChangeRow));
    const QVariantMap params{{QStringLiteral("OP_ID"), double(m_id)},
                             {QStringLiteral("ROW_COUNT"), double(rows)},
                             {QStringLiteral("ROWS_TEXT"), packed}};
    return StatementRunner::run(m_connectionName, sql, params, error) == 1;
}

bool ChangeOperation::writeRows(QString *error)
{
    if (m_packed.isEmpty())
        return true;
    if (!insertPacked(m_rows, m_packed, error))
        return false;
    m_packed.clear();
    return true;
}

QVariantMap ChangeOperation::logParams(const QString &prefix) const
{
    return {{prefix + QStringLiteral("OP_ID"), double(m_id)},
            {prefix + QStringLiteral("DONE_AT"), ChangeAuthor::now()},
            {prefix + QStringLiteral("DONE_BY"), ChangeAuthor::who(m_connectionName)},
            {prefix + QStringLiteral("OPERATION"), code(m_kind)},
            {prefix + QStringLiteral("KIND"), m_declaration.code()},
            {prefix + QStringLiteral("BANK_CODE"), m_institution.isNull() ? QStringLiteral("") : m_institution},
            {prefix + QStringLiteral("M_YEAR"), m_year},
            {prefix + QStringLiteral("M_MONTH"), m_month}};
}

QString ChangeOperation::logSql(const QString &prefix, const QString &rowsChanged, const QString &from)
{
    return QStringLiteral("insert into %1 (OP_ID, DONE_AT, DONE_BY, OPERATION, KIND, BANK_CODE, M_YEAR, M_MONTH, "
                          "ROWS_CHANGED) select :%2OP_ID, :%2DONE_AT, :%2DONE_BY, :%2OPERATION, :%2KIND, "
                          ":%2BANK_CODE, :%2M_YEAR, :%2M_MONTH, %3%4")
        .arg(QLatin1String(Schema::ChangeLog), prefix, rowsChanged, from);
}

bool ChangeOperation::write(QString *error)
{
    if (!recording() || m_written)
        return true;
    if (!writeRows(error))
        return false;
    // Rows a statement packed where they are, uncounted here, are counted
    // there, by the packed rows' own counts (the operation's key finds them).
    const QString rowsChanged = m_storedCountKnown
        ? QStringLiteral(":ROWS_CHANGED")
        : QStringLiteral("(select coalesce(sum(ROW_COUNT), 0) from %1 where OP_ID = %2)")
              .arg(QLatin1String(Schema::ChangeRow), QString::number(m_id));
    QVariantMap params = logParams({});
    if (m_storedCountKnown)
        params.insert(QStringLiteral("ROWS_CHANGED"), double(m_rows + m_storedCount));
    if (StatementRunner::run(m_connectionName, logSql({}, rowsChanged, {}), params, error) != 1)
        return false;
    m_written = true;
    return true;
}
