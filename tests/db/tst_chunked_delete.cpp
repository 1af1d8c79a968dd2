#include "db/chunked_delete.h"
#include "db/declaration_kind.h"
#include "tests/support/database_test.h"

#include <QtTest>

// A month tab's rows deleted by the tab's own condition, a chunk at a time:
// exactly the rows the tab shows go (not a row whose account the tab's join
// drops, not another month's), the gauge hears of every chunk, and a month
// that holds other rows than were read is refused for the caller to roll back.
class tst_ChunkedDelete : public DatabaseTest
{
    Q_OBJECT

private slots:
    void deletes_data();
    void deletes();
};

void tst_ChunkedDelete::deletes_data()
{
    QTest::addColumn<int>("rows");          // rows of the month the tab shows
    QTest::addColumn<int>("expected");      // rows the tab read
    QTest::addColumn<int>("chunk");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QList<int>>("progress");
    QTest::newRow("one chunk") << 3 << 3 << 100 << true << QList<int>{3};
    QTest::newRow("chunks, the last short") << 5 << 5 << 2 << true << QList<int>{2, 4, 5};
    QTest::newRow("exact chunks") << 4 << 4 << 2 << true << QList<int>{2, 4};
    // The rows are counted before any goes: a refusal deletes nothing.
    QTest::newRow("a row added since the read") << 4 << 3 << 100 << false << QList<int>{};
    QTest::newRow("a row gone since the read") << 2 << 3 << 100 << false << QList<int>{};
    QTest::newRow("an empty month read as empty") << 0 << 0 << 100 << true << QList<int>{};
}

void tst_ChunkedDelete::deletes()
{
    QFETCH(int, rows);
    QFETCH(int, expected);
    QFETCH(int, chunk);
    QFETCH(bool, ok);
    QFETCH(QList<int>, progress);
    for (int i = 1; i <= rows; ++i) {
        const QString code = QStringLiteral("1%1000").arg(i);
        QVERIFY(m_db->insertRow("CACNO", {{"ACC_CODE", code}, {"ACC_NAME", "科目"}}));
        QVERIFY(m_db->insertRow("MPBANK", {{"M_YEAR", 115}, {"M_MONTH", 10}, {"BANK_CODE", "995"},
                                           {"ACC_CODE", code}, {"AMT", i}, {"SERIAL", i}}));
    }
    // Kept: an account the tab's join drops, another institution, another month.
    QVERIFY(m_db->insertRow("MPBANK", {{"M_YEAR", 115}, {"M_MONTH", 10}, {"BANK_CODE", "995"}, {"ACC_CODE", "99999"}}));
    QVERIFY(m_db->insertRow("CACNO", {{"ACC_CODE", "20000"}, {"ACC_NAME", "負債"}}));
    QVERIFY(m_db->insertRow("MPBANK", {{"M_YEAR", 115}, {"M_MONTH", 10}, {"BANK_CODE", "996"}, {"ACC_CODE", "20000"}}));
    QVERIFY(m_db->insertRow("MPBANK", {{"M_YEAR", 115}, {"M_MONTH", 9}, {"BANK_CODE", "995"}, {"ACC_CODE", "20000"}}));
    const int before = m_db->count("MPBANK");

    ChunkedDelete whole;
    whole.table = QStringLiteral("MPBANK");
    whole.rowidStatement = DeclarationKind::get(DeclarationKind::B01).tabQuery().rowidStatement(true, true);
    whole.params = {{"BANK_CODE", "995"}, {"seYYY", 115}, {"seMM", 10}};
    whole.expectedRows = expected;
    whole.chunkRows = chunk;
    QList<int> heard;
    whole.progress = [&](int deleted) { heard << deleted; };
    QVERIFY(m_db->exec("begin"));
    QString error;
    QCOMPARE(whole.run(&error), ok);
    QVERIFY(m_db->exec("commit"));
    QCOMPARE(heard, progress);
    QCOMPARE(error.isEmpty(), ok);
    // Only the month's rows the tab shows went, and none when refused.
    QCOMPARE(m_db->count("MPBANK"), before - (ok ? rows : 0));
    QCOMPARE(m_db->count("MPBANK", "ACC_CODE = '99999' or BANK_CODE = '996' or M_MONTH = 9"), 3);
}

QTEST_GUILESS_MAIN(tst_ChunkedDelete)
#include "tst_chunked_delete.moc"
