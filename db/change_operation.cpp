#include "db/change_operation.h"

#include "db/change_author.h"
#include "db/change_values.h"
#include "db/database.h"
#include "db/dialect.h"
#include "db/declaration_kind.h"
#include "db/engine_message.h"
#include "db/schema.h"
#include "db/statement_runner.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <atomic>

namespace {

// Rows per insert statement: one round trip for many rows, well under the
// engines' limits on parameters (four a row).
constexpr int BatchRows = 100;

QString rowsInsert(int rows)
{
    QStringList tuples;
    tuples.reserve(rows);
    for (int i = 0; i < rows; ++i)
        tuples << QStringLiteral("(?, ?, ?, ?)");
    return QStringLiteral("insert into %1 (OP_ID, ROW_KEY, OLD_VALUES, NEW_VALUES) values %2")
        .arg(QLatin1String(Schema::ChangeRow), tuples.join(QStringLiteral(", ")));
}

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
      m_institution(std::move(institution)), m_year(year), m_month(month), m_id(ChangeAuthor::nextId())
{
}

void ChangeOperation::addRow(const QString &key, const QString &oldValues, const QString &newValues)
{
    if (!recording())
        return;
    m_pending.append({key, oldValues, newValues});
}

bool ChangeOperation::addStoredRows(const QString &alias, const QString &fromWhere, const QVariantMap &params,
                                    bool before, QString *error)
{
    if (!recording())
        return true;
    const TableDef *table = Schema::table(m_declaration.table());
    const Dialect &dialect = Database::dialect(m_connectionName);
    const QString sql = QStringLiteral("insert into %1 (OP_ID, ROW_KEY, %2) select %3, %4, %5 %6")
                            .arg(QLatin1String(Schema::ChangeRow),
                                 before ? QStringLiteral("OLD_VALUES") : QStringLiteral("NEW_VALUES"),
                                 QString::number(m_id), ChangeValues::keySql(*table, alias, dialect),
                                 ChangeValues::valuesSql(*table, alias, dialect), fromWhere);
    const int added = StatementRunner::run(m_connectionName, sql, params, error);
    if (added < 0)
        return false;
    m_rows += added;
    return true;
}

bool ChangeOperation::writeRows(QString *error)
{
    QSqlQuery q(QSqlDatabase::database(m_connectionName, false));
    int preparedFor = 0;
    for (qsizetype start = 0; start < m_pending.size(); start += BatchRows) {
        const int count = int(std::min<qsizetype>(BatchRows, m_pending.size() - start));
        if (count != preparedFor) {
            if (!q.prepare(rowsInsert(count))) {
                *error = EngineMessage::of(q.lastError());
                return false;
            }
            preparedFor = count;
        }
        int at = 0;
        for (qsizetype i = start; i < start + count; ++i) {
            const Row &row = m_pending.at(i);
            q.bindValue(at++, double(m_id));
            q.bindValue(at++, row.key);
            q.bindValue(at++, row.oldValues);
            q.bindValue(at++, row.newValues);
        }
        if (!q.exec()) {
            *error = EngineMessage::of(q.lastError());
            return false;
        }
    }
    m_rows += int(m_pending.size());
    m_pending.clear();
    return true;
}

bool ChangeOperation::write(QString *error)
{
    if (!recording())
        return true;
    if (!writeRows(error))
        return false;
    const QString sql = QStringLiteral("insert into %1 (OP_ID, DONE_AT, DONE_BY, OPERATION, KIND, BANK_CODE, M_YEAR, "
                                       "M_MONTH, ROWS_CHANGED) values (:OP_ID, :DONE_AT, :DONE_BY, :OPERATION, "
                                       ":KIND, :BANK_CODE, :M_YEAR, :M_MONTH, :ROWS_CHANGED)")
                            .arg(QLatin1String(Schema::ChangeLog));
    const QVariantMap params{{QStringLiteral("OP_ID"), double(m_id)},
                             {QStringLiteral("DONE_AT"), ChangeAuthor::now()},
                             {QStringLiteral("DONE_BY"), ChangeAuthor::who(m_connectionName)},
                             {QStringLiteral("OPERATION"), code(m_kind)},
                             {QStringLiteral("KIND"), m_declaration.code()},
                             {QStringLiteral("BANK_CODE"), m_institution.isNull() ? QStringLiteral("") : m_institution},
                             {QStringLiteral("M_YEAR"), m_year},
                             {QStringLiteral("M_MONTH"), m_month},
                             {QStringLiteral("ROWS_CHANGED"), double(m_rows)}};
    return StatementRunner::run(m_connectionName, sql, params, error) == 1;
}
