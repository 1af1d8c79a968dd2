#include "bench/bench_database.h"
#include "db/database.h"

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
    QSqlQuery q(db);
    QSqlQuery terms(db);
    q.prepare(QStringLiteral("INSERT INTO %1 (acc_type, cano, quop, remark) VALUES ('1', ?, ?, ?)").arg(headerTable));
    terms.prepare(QStringLiteral("INSERT INTO %1 (acc_type, cano, left_flag, nserial, acc_code, noop, TCURR) "
                                 "VALUES ('1', ?, ?, ?, ?, ?, ' ')")
                      .arg(termTable));
    for (int f = 0; f < formulas; ++f) {
        // cano is text(3): base-36 numbering gives 2,000 distinct codes.
        const QString cano = QString::number(f + 1296, 36).toUpper().right(3);
        q.addBindValue(cano);
        q.addBindValue(comparisons.at(f % comparisons.size()));
        q.addBindValue(QStringLiteral("測試公式%1").arg(f));
        if (!run(q, error))
            return false;
        for (int t = 0; t < 10; ++t) {
            terms.addBindValue(cano);
            terms.addBindValue(t < 5 ? QStringLiteral("0") : QStringLiteral("1"));
            terms.addBindValue(t % 5 + 1);
            terms.addBindValue(code((f * 13 + t * 37) % accounts + 1));
            terms.addBindValue(t % 5 == 4 ? QStringLiteral(" ") : ops.at((f + t) % ops.size()));
            if (!run(terms, error))
                return false;
        }
    }
    return true;
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
    q.prepare(QStringLiteral("INSERT INTO BN01 (BANK_NO, BANK_NAME) VALUES (?, ?)"));
    const QStringList banks{QString::fromLatin1(BankCode), QStringLiteral("9950011"), QStringLiteral("9950022"),
                            QStringLiteral("9950033"), QStringLiteral("9950044")};
    for (const QString &b : banks) {
        q.addBindValue(b);
        q.addBindValue(QStringLiteral("測試銀行%1").arg(b));
        if (!run(q, error))
            return false;
    }
    q.prepare(QStringLiteral("INSERT INTO CACNO (ACC_CODE, ACC_NAME, ACC_B_NAME) VALUES (?, ?, ?)"));
    for (int i = 1; i <= Accounts; ++i) {
        q.addBindValue(accountCode(i));
        q.addBindValue(QStringLiteral("測試營運科目%1").arg(i));
        q.addBindValue(QStringLiteral("科目%1").arg(i));
        if (!run(q, error))
            return false;
    }
    q.prepare(QStringLiteral("INSERT INTO HCACNO (ACC_CODE, ACC_NAME, ACC_B_NAME) VALUES (?, ?, ?)"));
    for (int i = 1; i <= CountyAccounts; ++i) {
        q.addBindValue(countyAccount(i));
        q.addBindValue(QStringLiteral("縣市科目%1").arg(i));
        q.addBindValue(QStringLiteral("縣%1").arg(i));
        if (!run(q, error))
            return false;
    }
    q.prepare(QStringLiteral("INSERT INTO CD01 (HSIEN_ID, HSIEN_NAME) VALUES (?, ?)"));
    for (const char *c = Counties; *c; ++c) {
        q.addBindValue(QString(QLatin1Char(*c)));
        q.addBindValue(QStringLiteral("縣市%1").arg(QLatin1Char(*c)));
        if (!run(q, error))
            return false;
    }
    q.prepare(QStringLiteral("INSERT INTO MPBANK (M_YEAR, M_MONTH, BANK_CODE, ACC_CODE, AMT, SERIAL) "
                             "VALUES (?, ?, ?, ?, ?, ?)"));
    for (int y = firstYear; y <= LastYear; ++y) {
        for (int m = 1; m <= 12; ++m) {
            for (int i = 1; i <= Accounts; ++i) {
                q.addBindValue(y);
                q.addBindValue(m);
                q.addBindValue(QString::fromLatin1(BankCode));
                q.addBindValue(accountCode(i));
                q.addBindValue(double((y * 7919 + m * 104729 + i * 1299709) % 10000000) / 8.0);
                q.addBindValue(i);
                if (!run(q, error))
                    return false;
            }
        }
    }
    q.prepare(QStringLiteral("INSERT INTO HMPBANK (M_YEAR, M_MONTH, BANK_CODE, HSIEN_ID, ACC_CODE, AMT) "
                             "VALUES (?, ?, ?, ?, ?, ?)"));
    for (int y = firstYear; y <= LastYear; ++y) {
        for (int m = 1; m <= 12; ++m) {
            for (const char *c = Counties; *c; ++c) {
                for (int i = 1; i <= CountyAccounts; ++i) {
                    q.addBindValue(y);
                    q.addBindValue(m);
                    q.addBindValue(QString::fromLatin1(BankCode));
                    q.addBindValue(QString(QLatin1Char(*c)));
                    q.addBindValue(countyAccount(i));
                    q.addBindValue(double((*c * 31 + i * 977 + y * 7 + m * 131) % 100000) / 4.0 - 1000.0);
                    if (!run(q, error))
                        return false;
                }
            }
        }
    }
    if (!fillFormulas(db, QStringLiteral("RuleNo1"), QStringLiteral("RuleNo2"), Formulas, Accounts, accountCode,
                      error)
        || !fillFormulas(db, QStringLiteral("HRuleNo1"), QStringLiteral("HRuleNo2"), CountyFormulas,
                         CountyAccounts, countyAccount, error))
        return false;
    // The side tables at the same scale, every month of every year.
    QSqlQuery rate(db);
    QSqlQuery trade(db);
    q.prepare(QStringLiteral("INSERT INTO EM03 (M_YEAR, M_MONTH, BANK_CODE, BANK_CODE1, M_RATE) VALUES (?, ?, ?, ?, ?)"));
    rate.prepare(QStringLiteral("INSERT INTO EM08 (BANK_CODE, M_YEAR, M_MONTH, FLAG1, FLAG2, FLAG3, FLAG4, RATE) "
                                "VALUES (?, ?, ?, ?, ?, ?, '1', ?)"));
    trade.prepare(QStringLiteral("INSERT INTO EM09 (BANK_CODE, M_YEAR, M_MONTH, FLAG1, FLAG2, FLAG3, AMT, AMT1) "
                                 "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    const QString bank = QString::fromLatin1(BankCode);
    for (int y = firstYear; y <= LastYear; ++y) {
        for (int m = 1; m <= 12; ++m) {
            for (int b = 1; b < banks.size(); ++b) {
                q.addBindValue(y);
                q.addBindValue(m);
                q.addBindValue(bank);
                q.addBindValue(banks.at(b));
                q.addBindValue(1.25 * b + m / 100.0);
                if (!run(q, error))
                    return false;
            }
            // 5 x 3 x 4 rate codes, 3 x 3 x 4 trading codes.
            for (int f1 = 1; f1 <= 5; ++f1) {
                for (int f2 = 1; f2 <= 3; ++f2) {
                    for (int f3 = 1; f3 <= 4; ++f3) {
                        rate.addBindValue(bank);
                        rate.addBindValue(y);
                        rate.addBindValue(m);
                        rate.addBindValue(QString::number(f1));
                        rate.addBindValue(QString::number(f2));
                        rate.addBindValue(QStringLiteral("0%1").arg(f3));
                        rate.addBindValue(1.5 + f1 * 0.25 + f3 * 0.125);
                        if (!run(rate, error))
                            return false;
                        if (f1 > 3)
                            continue;
                        trade.addBindValue(bank);
                        trade.addBindValue(y);
                        trade.addBindValue(m);
                        trade.addBindValue(QString::number(f1));
                        trade.addBindValue(QString::number(f2));
                        trade.addBindValue(QStringLiteral("0%1").arg(f3));
                        trade.addBindValue(f1 * 1000 + f2 * 100 + f3);
                        trade.addBindValue(double(y * 100000 + m * 1000 + f1 * 100 + f2 * 10 + f3));
                        if (!run(trade, error))
                            return false;
                    }
                }
            }
        }
    }
    return true;
}

} // namespace

bool generate(const QString &file, int years, QString *error)
{
    if (!Database::create(file, error))
        return false;
    const QString name = QStringLiteral("bench-generate");
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        if (!db.open()) {
            *error = db.lastError().text();
        } else {
            db.transaction();
            ok = fill(db, LastYear - years + 1, error);
            if (ok)
                ok = db.commit();
            else
                db.rollback();
            // No ANALYZE here: the figures are those of a database as the
            // application keeps it, statistics gathered only where it does so.
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

} // namespace BenchDatabase
