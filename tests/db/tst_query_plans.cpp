#include "db/declaration_kind.h"
#include "db/named_placeholders.h"
#include "tests/support/test_database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

// The plans of the statements the tabs, the exports, the imports, the month
// delete and the checks run, on a database without statistics (as a new one
// is): none may read a whole data table when it wants one month, whatever
// ANALYZE has or has not gathered. A plan line "SCAN <name>" (with or without
// an index: a whole index is as long as the table) is a full scan; a plan that
// searches the table must do so by the period the statement names.
class tst_QueryPlans : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void noFullScan_data();
    void noFullScan();

private:
    std::unique_ptr<TestDatabase> m_db;
};

void tst_QueryPlans::initTestCase()
{
    m_db = std::make_unique<TestDatabase>(TestDatabase::Content::Empty);
    QVERIFY2(m_db->isValid(), qPrintable(m_db->lastError()));
}

void tst_QueryPlans::noFullScan_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("table");   // the name the plan gives the data table
    QTest::addColumn<QString>("needs");   // a constraint its search must use

    const QHash<DeclarationKind::Id, QString> tabAlias{{DeclarationKind::B01, "a"}, {DeclarationKind::B02, "EM03"},
                                                       {DeclarationKind::B03, "A"}, {DeclarationKind::B04, "A"},
                                                       {DeclarationKind::B05, "A"}};
    for (const DeclarationKind *kind : DeclarationKind::all()) {
        const QString code = kind->code();
        const QString alias = tabAlias.value(kind->id());
        const PeriodQuery &tab = kind->tabQuery();
        const QString month = QStringLiteral("M_MONTH=?");
        QTest::addRow("%s tab month", qPrintable(code)) << tab.statement(true, true) << alias << month;
        QTest::addRow("%s tab year", qPrintable(code)) << tab.statement(true, false) << alias << "M_YEAR=?";
        // A month of every year: the institution's rows, or that month's.
        QTest::addRow("%s tab month of every year", qPrintable(code))
            << tab.statement(false, true) << alias << (tab.byInstitution ? "BANK_CODE=?" : month);
        const QString exportAlias = kind->exportStatement().contains(QStringLiteral(" A ")) ? "A" : kind->table();
        QTest::addRow("%s export", qPrintable(code)) << kind->exportStatement() << exportAlias << month;
        const DeclarationImport &rule = kind->importRule();
        QTest::addRow("%s import stored rows", qPrintable(code)) << rule.storedStatement << "A" << month;
        QTest::addRow("%s import count", qPrintable(code))
            << rule.monthCountStatement(kind->table()) << kind->table() << month;
        QTest::addRow("%s import delete", qPrintable(code))
            << rule.monthDeleteStatement(kind->table()) << kind->table() << month;
        const QString rowids = tab.rowidStatement(true, true);
        if (!rowids.isEmpty()) {
            QTest::addRow("%s month delete", qPrintable(code))
                << QStringLiteral("delete from %1 where rowid in (%2 limit 100)").arg(kind->table(), rowids) << alias
                << month;
            QTest::addRow("%s month looked up", qPrintable(code))
                << QStringLiteral("select 1 from %1 where M_YEAR = :Y and M_MONTH = :M limit 1").arg(kind->table())
                << kind->table() << month;
        }
    }
    // The operating check and the county check read one month.
    QTest::newRow("operating check")
        << "select a.acc_code, a.amt from MPBANK a, CACNO B where B.acc_code = a.acc_code and a.bank_code = :B "
           "and a.m_year = :Y and a.m_month = :M order by a.m_year, a.m_month, a.SERIAL"
        << "a" << "M_MONTH=?";
    QTest::newRow("county check")
        << "select A.M_YEAR,A.M_MONTH,A.ACC_CODE,A.AMT,A.HSIEN_ID from HMPBANK A "
           "where A.M_YEAR=:Y and A.M_MONTH=:M order by A.ACC_CODE, A.rowid"
        << "A" << "M_MONTH=?";
    // The counties that have county data: one look-up per county.
    QTest::newRow("county list")
        << "select C.HSIEN_ID from CD01 C where exists (select 1 from HMPBANK H where H.HSIEN_ID = C.HSIEN_ID)"
        << "H" << "HSIEN_ID=?";
}

void tst_QueryPlans::noFullScan()
{
    QFETCH(QString, statement);
    QFETCH(QString, table);
    QFETCH(QString, needs);
    QSqlQuery q(m_db->db());
    QVERIFY2(q.prepare(QStringLiteral("explain query plan ") + statement), qPrintable(q.lastError().text()));
    for (const QString &name : NamedPlaceholders::in(statement))
        q.bindValue(u':' + name, QVariant());
    QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    QStringList plan;
    while (q.next())
        plan << q.value(3).toString();
    QVERIFY(!plan.isEmpty());
    const QString scan = QStringLiteral("SCAN %1").arg(table);
    const QString search = QStringLiteral("SEARCH %1 ").arg(table);
    bool searched = false;
    for (const QString &line : plan) {
        const bool full = line.compare(scan, Qt::CaseInsensitive) == 0
                          || line.startsWith(scan + u' ', Qt::CaseInsensitive);
        QVERIFY2(!full, qPrintable(plan.join(QStringLiteral(" | "))));
        if (line.startsWith(search, Qt::CaseInsensitive)) {
            searched = true;
            QVERIFY2(line.contains(needs, Qt::CaseInsensitive), qPrintable(plan.join(QStringLiteral(" | "))));
        }
    }
    QVERIFY2(searched, qPrintable(plan.join(QStringLiteral(" | "))));
}

QTEST_GUILESS_MAIN(tst_QueryPlans)
#include "tst_query_plans.moc"
