#include "tests/stress/month_delete.h"

#include "db/chunked_delete.h"
#include "db/database.h"
#include "db/engine_message.h"
#include "db/month_claim.h"
#include "db/write_transaction.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>

namespace MonthDelete {

int run(const QString &location, int year, int month, const QString &bank)
{
    QTextStream err(stderr);
    QString error;
    if (!Database::open(location, &error)) {
        err << error << "\n";
        return 2;
    }
    int status = 2;
    {
        WriteTransaction transaction(Database::connection());
        const QVariantMap params{{"Y", year}, {"M", month}, {"B", bank}};
        const QString where = QStringLiteral(" from MPBANK where M_YEAR = :Y and M_MONTH = :M and BANK_CODE = :B");
        QSqlQuery count(Database::connection());
        if (!transaction.isActive()) {
            error = transaction.error();
            status = 1;
        } else if (!MonthClaim(QStringLiteral("MPBANK"), year, month, bank, MonthClaim::Purpose::Delete)
                        .holds(Database::connectionName(), &error)) {
            status = 1;
        } else if (!count.prepare(QStringLiteral("select count(*)") + where)) {
            error = EngineMessage::of(count.lastError());
        } else {
            for (auto it = params.cbegin(); it != params.cend(); ++it)
                count.bindValue(u':' + it.key(), it.value());
            if (!count.exec() || !count.next()) {
                error = EngineMessage::of(count.lastError());
            } else {
                ChunkedDelete chunks;
                chunks.table = QStringLiteral("MPBANK");
                chunks.rowidStatement = QStringLiteral("select rowid") + where;
                chunks.params = params;
                chunks.expectedRows = count.value(0).toInt();
                count.finish();
                if (chunks.run(&error) && transaction.commit())
                    status = 0;
                else if (error.isEmpty())
                    error = transaction.error();
            }
        }
    }
    if (status != 0)
        err << error << "\n";
    Database::close();
    return status;
}

} // namespace MonthDelete
