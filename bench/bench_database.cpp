#include "bench/bench_database.h"
#include "db/database.h"
#include "db/dialect.h"
#include "db/server_location.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace BenchDatabase {

namespace {

const char *const Counties = "ABCDEFGHIJKMNOPQTUVWXZ";

bool run(QSqlQuery &q, QString *error)
{
    if (q.exec())
        return true;
    *error = q.lastError().text();
    return false;
}

// Rows of one table inserted many to a statement (one round trip for many
// rows on a server), the statement prepared once per batch size.
class BatchInsert
{
public:
    static constexpr int Rows = 100;   // at most 8 columns: well under the engines' parameter limits

    BatchInsert(QSqlDatabase &db, QString table, QStringList columns)
        : m_query(db), m_table(std::move(table)), m_columns(std::move(columns))
    {
    }

    bool add(const QVariantList &row, QString *error)
    {
        m_pending << row;
        return m_pending.size() < Rows || flush(error);
    }

    bool flush(QString *error)
    {
        if (m_pending.isEmpty())
            return true;
        if (m_preparedFor != m_pending.size()) {
            QStringList marks(m_columns.size(), QStringLiteral("?"));
            const QString tuple = u'(' + marks.join(u',') + u')';
            QStringList tuples(m_pending.size(), tuple);
            if (!m_query.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                                     .arg(m_table, m_columns.join(u','), tuples.join(u',')))) {
                *error = m_query.lastError().text();
                return false;
            }
            m_preparedFor = int(m_pending.size());
        }
        int at = 0;
        for (const QVariantList &row : std::as_const(m_pending)) {
            for (const QVariant &v : row)
                m_query.bindValue(at++, v);
        }
        m_pending.clear();
        return run(m_query, error);
    }

private:
    QSqlQuery m_query;
    QString m_table;
    QStringList m_columns;
    QList<QVariantList> m_pending;
    int m_preparedFor = 0;
};

QString account(int i) { return QStringLiteral("A%1").arg(i, 4, 10, QLatin1Char('0')); }
QString countyAccount(int i) { return QStringLiteral("H%1").arg(i, 4, 10, QLatin1Char('0')); }

// Every 50th account is a ratio account ("p" as fifth character).
QString accountCode(int i)
{
    return i % 50 == 0 ? QStringLiteral("A%1p").arg(i / 50, 3, 10, QLatin1Char('0')) : account(i);
}

// A formula table pair (headers, terms): `formulas` formulas of 10 terms each (5 a
// side) over the accounts 1..accounts, every comparison and operator in turn.
bool fillFormulas(QSqlDatabase &db, const QString &headerTable, const QString &termTable, int formulas,
                  int accounts, QString (*code)(int), QString *error)
{
    const QStringList ops{QStringLiteral("+"), QStringLiteral("-"), QStringLiteral("*"), QStringLiteral("/")};
    const QStringList comparisons{QStringLiteral("="), QStringLiteral(">"), QStringLiteral("<"),
                                  QStringLiteral(">="), QStringLiteral("<="), QStringLiteral("<>")};
    BatchInsert headers(db, headerTable, {"acc_type", "cano", "quop", "remark"});
    BatchInsert terms(db, termTable, {"acc_type", "cano", "left_flag", "nserial", "acc_code", "noop", "TCURR"});
    const QString one = QStringLiteral("1");
    for (int f = 0; f < formulas; ++f) {
        // cano is text(3): base-36 numbering gives 2,000 distinct codes.
        const QString cano = QString::number(f + 1296, 36).toUpper().right(3);
        if (!headers.add({one, cano, comparisons.at(f % comparisons.size()), QStringLiteral("測試公式%1").arg(f)},
                         error))
            return false;
        for (int t = 0; t < 10; ++t) {
            if (!terms.add({one, cano, t < 5 ? QStringLiteral("0") : QStringLiteral("1"), t % 5 + 1,
                            code((f * 13 + t * 37) % accounts + 1),
                            t % 5 == 4 ? QStringLiteral(" ") : ops.at((f + t) % ops.size()), QStringLiteral(" ")},
                           error))
                return false;
        }
    }
    return headers.flush(error) && terms.flush(error);
}

bool fill(QSqlDatabase &db, int firstYear, QString *error)
{
    QSqlQuery q(db);
    for (const char *sql : {"DELETE FROM MPBANK", "DELETE FROM HMPBANK", "DELETE FROM EM03",
                            "DELETE FROM EM08", "DELETE FROM EM09", "DELETE FROM BN01",
                            "DELETE FROM CACNO", "DELETE FROM HCACNO", "DELETE FROM CD01",
                            "DELETE FROM RuleNo1", "DELETE FROM RuleNo2", "DELETE FROM HRuleNo1",
                            "DELETE FROM HRuleNo2"}) {
        if (!q.exec(QString::fromLatin1(sql))) {
            *error = q.lastError().text();
            return false;
        }
    }
    const QStringList banks{QString::fromLatin1(BankCode), QStringLiteral("9950011"), QStringLiteral("9950022"),
                            QStringLiteral("9950033"), QStringLiteral("9950044")};
    {
        BatchInsert insert(db, QStringLiteral("BN01"), {"BANK_NO", "BANK_NAME"});
        for (const QString &b : banks) {
            if (!insert.add({b, QStringLiteral("測試銀行%1").arg(b)}, error))
                return false;
        }
        if (!insert.flush(error))
            return false;
    }
    {
        BatchInsert insert(db, QStringLiteral("CACNO"), {"ACC_CODE", "ACC_NAME", "ACC_B_NAME"});
        for (int i = 1; i <= Accounts; ++i) {
            if (!insert.add({accountCode(i), QStringLiteral("測試營運科目%1").arg(i), QStringLiteral("科目%1").arg(i)},
                            error))
                return false;
        }
        if (!insert.flush(error))
            return false;
    }
    {
        BatchInsert insert(db, QStringLiteral("HCACNO"), {"ACC_CODE", "ACC_NAME", "ACC_B_NAME"});
        for (int i = 1; i <= CountyAccounts; ++i) {
            if (!insert.add({countyAccount(i), QStringLiteral("縣市科目%1").arg(i), QStringLiteral("縣%1").arg(i)},
                            error))
                return false;
        }
        if (!insert.flush(error))
            return false;
    }
    {
        BatchInsert insert(db, QStringLiteral("CD01"), {"HSIEN_ID", "HSIEN_NAME"});
        for (const char *c = Counties; *c; ++c) {
            if (!insert.add({QString(QLatin1Char(*c)), QStringLiteral("縣市%1").arg(QLatin1Char(*c))}, error))
                return false;
        }
        if (!insert.flush(error))
            return false;
    }
    const QString bank = QString::fromLatin1(BankCode);
    {
        BatchInsert insert(db, QStringLiteral("MPBANK"), {"M_YEAR", "M_MONTH", "BANK_CODE", "ACC_CODE", "AMT", "SERIAL"});
        for (int y = firstYear; y <= LastYear; ++y) {
            for (int m = 1; m <= 12; ++m) {
                for (int i = 1; i <= Accounts; ++i) {
                    if (!insert.add({y, m, bank, accountCode(i),
                                     double((y * 7919 + m * 104729 + i * 1299709) % 10000000) / 8.0, i},
                                    error))
                        return false;
                }
            }
        }
        if (!insert.flush(error))
            return false;
    }
    {
        BatchInsert insert(db, QStringLiteral("HMPBANK"),
                           {"M_YEAR", "M_MONTH", "BANK_CODE", "HSIEN_ID", "ACC_CODE", "AMT"});
        for (int y = firstYear; y <= LastYear; ++y) {
            for (int m = 1; m <= 12; ++m) {
                for (const char *c = Counties; *c; ++c) {
                    for (int i = 1; i <= CountyAccounts; ++i) {
                        if (!insert.add({y, m, bank, QString(QLatin1Char(*c)), countyAccount(i),
                                         double((*c * 31 + i * 977 + y * 7 + m * 131) % 100000) / 4.0 - 1000.0},
                                        error))
                            return false;
                    }
                }
            }
        }
        if (!insert.flush(error))
            return false;
    }
    if (!fillFormulas(db, QStringLiteral("RuleNo1"), QStringLiteral("RuleNo2"), Formulas, Accounts, accountCode,
                      error)
        || !fillFormulas(db, QStringLiteral("HRuleNo1"), QStringLiteral("HRuleNo2"), CountyFormulas,
                         CountyAccounts, countyAccount, error))
        return false;
    // The side tables at the same scale, every month of every year.
    BatchInsert ratio(db, QStringLiteral("EM03"), {"M_YEAR", "M_MONTH", "BANK_CODE", "BANK_CODE1", "M_RATE"});
    BatchInsert rate(db, QStringLiteral("EM08"),
                     {"BANK_CODE", "M_YEAR", "M_MONTH", "FLAG1", "FLAG2", "FLAG3", "FLAG4", "RATE"});
    BatchInsert trade(db, QStringLiteral("EM09"),
                      {"BANK_CODE", "M_YEAR", "M_MONTH", "FLAG1", "FLAG2", "FLAG3", "AMT", "AMT1"});
    for (int y = firstYear; y <= LastYear; ++y) {
        for (int m = 1; m <= 12; ++m) {
            for (int b = 1; b < banks.size(); ++b) {
                if (!ratio.add({y, m, bank, banks.at(b), 1.25 * b + m / 100.0}, error))
                    return false;
            }
            // 5 x 3 x 4 rate codes, 3 x 3 x 4 trading codes.
            for (int f1 = 1; f1 <= 5; ++f1) {
                for (int f2 = 1; f2 <= 3; ++f2) {
                    for (int f3 = 1; f3 <= 4; ++f3) {
                        const QString flag3 = QStringLiteral("0%1").arg(f3);
                        if (!rate.add({bank, y, m, QString::number(f1), QString::number(f2), flag3,
                                       QStringLiteral("1"), 1.5 + f1 * 0.25 + f3 * 0.125},
                                      error))
                            return false;
                        if (f1 > 3)
                            continue;
                        if (!trade.add({bank, y, m, QString::number(f1), QString::number(f2), flag3,
                                        f1 * 1000 + f2 * 100 + f3,
                                        double(y * 100000 + m * 1000 + f1 * 100 + f2 * 10 + f3)},
                                       error))
                            return false;
                    }
                }
            }
        }
    }
    return ratio.flush(error) && rate.flush(error) && trade.flush(error);
}

} // namespace

bool generate(const QString &location, int years, QString *error)
{
    if (!Database::create(location, error))
        return false;
    const QString name = QStringLiteral("bench-generate");
    const bool onServer = Database::isServer(location);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(Dialect::forLocation(location).driverName(), name);
        if (onServer)
            ok = ServerLocation::configure(db, location, {}, error);
        else
            db.setDatabaseName(location);
        if ((onServer && !ok) || !db.open()) {
            if (error->isEmpty())
                *error = db.lastError().text();
            ok = false;
        } else {
            db.transaction();
            ok = fill(db, LastYear - years + 1, error);
            if (ok)
                ok = db.commit();
            else
                db.rollback();
            // No ANALYZE on the file: the figures are those of a database as
            // the application keeps it, statistics gathered only where it does
            // so. A server gathers them itself soon after a bulk load
            // (autovacuum's analyze); the bench does it at once, so that its
            // figures do not depend on when that comes.
            QSqlQuery analyze(db);
            if (ok && onServer && !analyze.exec(QStringLiteral("analyze"))) {
                *error = analyze.lastError().text();
                ok = false;
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

} // namespace BenchDatabase
