// The checks through their one interface (MonthCheck), as the runner of the tabs
// and velq8-cli check take them: the same statuses for the same months, rows
// only when something fails, and every formula row explained by the check that
// found it.
#include "checks/county_check.h"
#include "checks/operating_check.h"
#include "db/cached_dataset.h"
#include "db/declaration_kind.h"
#include "tests/support/test_database.h"

#include <QtTest>
#include <memory>

using Status = MonthCheck::Status;

namespace {

// A check of either kind over the sample database, with what it reads kept alive.
struct Subject
{
    CachedDataset countyRows;
    std::unique_ptr<MonthCheck> check;

    Subject(TestDatabase &db, const QString &kind, int month)
        : countyRows(db.connectionName())
    {
        if (kind == QLatin1String("operating")) {
            auto operating = std::make_unique<OperatingCheck>(db.connectionName());
            operating->setBankCode(db.scalar(QStringLiteral("select BANK_NO from BN01 order by rowid")).toString());
            check = std::move(operating);
            return;
        }
        // The county tab's rows of the month, as the tab holds them.
        const PeriodQuery &q = DeclarationKind::get(DeclarationKind::B05).tabQuery();
        countyRows.setSql(q.statement(true, true));
        countyRows.setParam(q.yearParam, 115);
        countyRows.setParam(q.monthParam, month);
        countyRows.open();
        auto county = std::make_unique<CountyCheck>(db.connectionName());
        county->setRows(&countyRows);
        check = std::move(county);
    }
};

} // namespace

class TstMonthCheck : public QObject
{
    Q_OBJECT
private slots:
    void statusesOfEitherCheck_data();
    void statusesOfEitherCheck();
};

void TstMonthCheck::statusesOfEitherCheck_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<QString>("change");   // a statement run before the check
    QTest::addColumn<Status>("status");

    const QString breakMonth = QStringLiteral(
        "update %1 set AMT = AMT + 7 where rowid = (select min(rowid) from %1 where M_YEAR = 115 and M_MONTH = 10)");
    for (const QString kind : {QStringLiteral("operating"), QStringLiteral("county")}) {
        const bool operating = kind == QLatin1String("operating");
        const QByteArray k = kind.toLatin1();
        QTest::newRow(k + ": the sample month holds") << kind << 115 << 10 << QString() << Status::AllHold;
        QTest::newRow(k + ": one amount changed") << kind << 115 << 10
                                                    << breakMonth.arg(operating ? "MPBANK" : "HMPBANK")
                                                    << Status::RowsFound;
        QTest::newRow(k + ": year 0") << kind << 0 << 10 << QString() << Status::PeriodIncomplete;
        // The operating check reads the month itself; the county check is handed
        // the tab's rows, and a tab without rows says nothing.
        QTest::newRow(k + ": a month without data") << kind << 115 << 9 << QString()
                                                      << (operating ? Status::NoData : Status::NoRows);
        QTest::newRow(k + ": the formula terms gone")
            << kind << 115 << 10 << QStringLiteral("drop table %1").arg(operating ? "RuleNo2" : "HRuleNo2")
            << Status::DatabaseError;
    }
}

void TstMonthCheck::statusesOfEitherCheck()
{
    QFETCH(QString, kind);
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(QString, change);
    QFETCH(Status, status);
    TestDatabase db;
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    if (!change.isEmpty())
        QVERIFY2(db.exec(change), qPrintable(db.lastError()));
    Subject subject(db, kind, month);
    MonthCheck &check = *subject.check;

    QCOMPARE(check.run(year, month), status);
    QCOMPARE(check.status(), status);
    QCOMPARE(check.rows().isEmpty(), status != Status::RowsFound);
    QCOMPARE(check.errorText().isEmpty(), status != Status::DatabaseError);
    // A second evaluate() gives the same; after a refused prepare() it judges nothing.
    QCOMPARE(check.evaluate(), status);

    int explained = 0;
    for (const CheckResultRow &row : check.rows()) {
        const std::optional<FormulaExplanation> why = check.explain(row);
        QCOMPARE(why.has_value(), row.source.has_value());
        if (!why)
            continue;
        ++explained;
        QVERIFY2(!why->holds, qPrintable(row.remark));
        QCOMPARE(why->leftValue, *row.left);
        QCOMPARE(why->rightValue, *row.right);
    }
    QCOMPARE(explained > 0, status == Status::RowsFound);
}

QTEST_GUILESS_MAIN(TstMonthCheck)
#include "tst_month_check.moc"
