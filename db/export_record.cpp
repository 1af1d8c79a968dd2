#include "db/export_record.h"

#include "db/change_author.h"
#include "db/engine_message.h"
#include "db/schema.h"
#include "db/statement_runner.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <cmath>

namespace {

const char *const Columns = "EXPORT_ID, FILE_NAME, FOLDER, KIND, BANK_CODE, M_YEAR, M_MONTH, RECORDS, SHA256, "
                            "DONE_AT, DONE_BY";

bool select(const QString &connectionName, const QString &where, const QVariantMap &params,
            QList<ExportRecord> *out, QString *error)
{
    QSqlQuery q(QSqlDatabase::database(connectionName, false));
    const QString sql = QStringLiteral("select %1 from %2%3 order by EXPORT_ID desc")
                            .arg(QLatin1String(Columns), QLatin1String(Schema::ExportLog), where);
    if (!StatementRunner::select(q, connectionName, sql, params, error))
        return false;
    out->clear();
    while (q.next()) {
        ExportRecord r;
        r.id = std::llround(q.value(0).toDouble());
        r.fileName = q.value(1).toString();
        r.folder = q.value(2).toString();
        r.kind = q.value(3).toString();
        r.bankCode = q.value(4).toString();
        r.year = q.value(5).toInt();
        r.month = q.value(6).toInt();
        r.records = int(std::llround(q.value(7).toDouble()));
        r.sha256 = q.value(8).toString();
        r.doneAt = q.value(9).toString();
        r.doneBy = q.value(10).toString();
        out->append(r);
    }
    return true;
}

} // namespace

bool ExportRecord::write(const QString &connectionName, QString *error)
{
    id = ChangeAuthor::nextId();
    doneAt = ChangeAuthor::now();
    doneBy = ChangeAuthor::who(connectionName);
    const QString sql = QStringLiteral("insert into %1 (%2) values (:EXPORT_ID, :FILE_NAME, :FOLDER, :KIND, "
                                       ":BANK_CODE, :M_YEAR, :M_MONTH, :RECORDS, :SHA256, :DONE_AT, :DONE_BY)")
                            .arg(QLatin1String(Schema::ExportLog), QLatin1String(Columns));
    const QVariantMap params{{QStringLiteral("EXPORT_ID"), double(id)},
                             {QStringLiteral("FILE_NAME"), fileName},
                             {QStringLiteral("FOLDER"), folder},
                             {QStringLiteral("KIND"), kind},
                             {QStringLiteral("BANK_CODE"), bankCode},
                             {QStringLiteral("M_YEAR"), year},
                             {QStringLiteral("M_MONTH"), month},
                             {QStringLiteral("RECORDS"), double(records)},
                             {QStringLiteral("SHA256"), sha256},
                             {QStringLiteral("DONE_AT"), doneAt},
                             {QStringLiteral("DONE_BY"), doneBy}};
    return StatementRunner::run(connectionName, sql, params, error) == 1;
}

bool ExportRecord::list(const QString &connectionName, int year, int month, QList<ExportRecord> *out,
                        QString *error)
{
    QStringList terms;
    QVariantMap params;
    if (year != 0) {
        terms << QStringLiteral("M_YEAR = :M_YEAR");
        params.insert(QStringLiteral("M_YEAR"), year);
    }
    if (month != 0) {
        terms << QStringLiteral("M_MONTH = :M_MONTH");
        params.insert(QStringLiteral("M_MONTH"), month);
    }
    const QString where = terms.isEmpty() ? QString() : QStringLiteral(" where ") + terms.join(QStringLiteral(" and "));
    return select(connectionName, where, params, out, error);
}

bool ExportRecord::withFingerprint(const QString &connectionName, const QString &sha256, QList<ExportRecord> *out,
                                   QString *error)
{
    return select(connectionName, QStringLiteral(" where SHA256 = :SHA256"),
                  {{QStringLiteral("SHA256"), sha256.toLower()}}, out, error);
}
