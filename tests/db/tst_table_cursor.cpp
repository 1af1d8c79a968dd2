#include "db/table_cursor.h"
#include "tests/support/engine_words.h"
#include "tests/support/test_database.h"

#include <QtTest>

// Whole-table cursors: records in stored order and exact-match look-up by key.
class tst_TableCursor : public QObject
{
    Q_OBJECT

private slots:
    void storedOrderAndMoves();
    void findKey();
    void refreshAndErrors();
};

void tst_TableCursor::storedOrderAndMoves()
{
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    // Stored order is insertion order, not key order: a branch first makes it
    // the declaring institution.
    for (const char *no : {"9950011", "995", "1000001"})
        QVERIFY(db.insertRow("BN01", {{"BANK_NO", no}, {"BANK_NAME", QString("name ") + no}}));
    TableCursor tblBN01("bn01");
    QVERIFY2(tblBN01.open(), qPrintable(tblBN01.lastError()));
    QCOMPARE(tblBN01.tableName(), QString("BN01"));
    QCOMPARE(tblBN01.recordCount(), 3);
    QCOMPARE(tblBN01.position(), 0);
    QVERIFY(tblBN01.bof() && !tblBN01.eof());
    QStringList order;
    for (tblBN01.first(); !tblBN01.eof(); tblBN01.next())
        order << tblBN01.text("bank_no");
    QCOMPARE(order, (QStringList{"9950011", "995", "1000001"}));
    QCOMPARE(tblBN01.position(), 2);   // next() at the last record stays there
    tblBN01.prior();
    QVERIFY(!tblBN01.bof() && !tblBN01.eof());
    tblBN01.first();
    tblBN01.prior();
    QVERIFY(tblBN01.bof());
    QCOMPARE(tblBN01.position(), 0);
    tblBN01.last();
    QVERIFY(tblBN01.eof());
    QCOMPARE(tblBN01.value(1, "BANK_NAME").toString(), QString("name 995"));
    QVERIFY(!tblBN01.value("NO_SUCH_FIELD").isValid());

    TableCursor empty("CD01");
    QVERIFY(empty.open());
    QVERIFY(empty.isEmpty() && empty.bof() && empty.eof());
    QCOMPARE(empty.position(), -1);
    empty.next();
    QVERIFY(!empty.value("HSIEN_ID").isValid());
}

void tst_TableCursor::findKey()
{
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    QVERIFY(db.insertRow("RuleNo2", {{"cano", "001"}, {"left_flag", "0"}, {"nserial", 2}, {"acc_code", "A2"}}));
    QVERIFY(db.insertRow("RuleNo2", {{"cano", "001"}, {"left_flag", "0"}, {"nserial", 1}, {"acc_code", "A1"}}));
    QVERIFY(db.insertRow("RuleNo2", {{"cano", "002"}, {"left_flag", "1"}, {"nserial", 1}, {"acc_code", "B1"}}));
    QVERIFY(db.insertRow("CD01", {{"HSIEN_ID", "A"}, {"HSIEN_NAME", "臺北市  "}}));

    TableCursor rules("RuleNo2");
    QVERIFY(rules.open());
    QVERIFY(rules.findKey({"001", "0", 1}));
    QCOMPARE(rules.position(), 1);
    QCOMPARE(rules.text("acc_code"), QString("A1"));
    // Numbers match by value whatever their type; text without trailing blanks.
    QCOMPARE(rules.indexOfKey({"002  ", "1", 1.0}), 2);
    QCOMPARE(rules.indexOfKey({"001", "0", qlonglong(2)}), 0);
    // A miss leaves the cursor where it was.
    QVERIFY(!rules.findKey({"001", "1", 1}));
    QCOMPARE(rules.position(), 1);
    QCOMPARE(rules.indexOfKey({"001", "0", 1.5}), -1);
    // A leading part of the key finds the first record in stored order.
    QCOMPARE(rules.indexOfKey({"001"}), 0);
    QCOMPARE(rules.indexOfKey({"002", "1"}), 2);
    QCOMPARE(rules.indexOfKey({}), -1);

    TableCursor tblCD01("CD01");
    QVERIFY(tblCD01.open());
    QVERIFY(tblCD01.findKey({"A "}));
    QCOMPARE(tblCD01.text("HSIEN_NAME"), QString("臺北市"));
    QVERIFY(!tblCD01.findKey({"a"}));   // exact match is case-sensitive

    // The keyless result table has nothing to find.
    TableCursor result("CACNONO3");
    QVERIFY(result.open());
    QVERIFY(!result.findKey({"x"}));
}

void tst_TableCursor::refreshAndErrors()
{
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    TableCursor tblCD01("CD01");
    QVERIFY(tblCD01.open());
    QVERIFY(tblCD01.isEmpty());
    QVERIFY(db.insertRow("CD01", {{"HSIEN_ID", "B"}}));
    QVERIFY(db.insertRow("CD01", {{"HSIEN_ID", "A"}}));
    QVERIFY(tblCD01.isEmpty());   // read on open, not live
    QVERIFY(tblCD01.refresh());
    QCOMPARE(tblCD01.recordCount(), 2);
    QVERIFY(tblCD01.findKey({"A"}));
    QCOMPARE(tblCD01.position(), 1);
    QVERIFY(tblCD01.refresh());
    QCOMPARE(tblCD01.position(), 0);

    TableCursor missing("NO_TABLE");
    QVERIFY(!missing.open());
    QVERIFY(!missing.isOpen());
    QVERIFY(missing.lastError().contains(EngineWords::missingTable()));

    TableCursor noConnection("CD01", "nowhere");
    QVERIFY(!noConnection.open());
    QVERIFY(!noConnection.lastError().isEmpty());
}

QTEST_GUILESS_MAIN(tst_TableCursor)
#include "tst_table_cursor.moc"
