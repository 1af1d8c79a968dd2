#include "db/change_list.h"
#include "db/change_operation.h"
#include "db/change_pack.h"
#include "db/change_values.h"
#include "db/chunked_delete.h"
#include "db/declaration_kind.h"
#include "db/schema.h"
#include "tests/support/database_test.h"

#include <QtTest>

// The history keeps an operation's rows packed into one text: every row must
// come back whole whatever its texts hold (the separators themselves, a
// backslash, nothing at all), written from memory or by a statement over the
// table, and a row's history must be found across the operations of its month.
class tst_ChangePack : public DatabaseTest
{
    Q_OBJECT

    const DeclarationKind &b01() { return *DeclarationKind::find(u"B01"); }
    const TableDef &mpbank() { return *Schema::table(QStringLiteral("MPBANK")); }

    static QVariantMap row(const QString &account, const QVariant &amount)
    {
        return {{"M_YEAR", 90}, {"M_MONTH", 1}, {"BANK_CODE", "ABC"}, {"ACC_CODE", account}, {"AMT", amount},
                {"SERIAL", 1}};
    }
    QString keyOf(const QVariantMap &values)
    {
        return ChangeValues::keyOf(mpbank(), [&](const QString &field) { return values.value(field); });
    }

    // The month's rows as "<words>|<account>|<old values>|<new values>".
    QStringList listed(const QList<ChangeEntry> &entries)
    {
        QStringList out;
        for (const ChangeEntry &e : entries)
            out << QStringList{ChangeOperation::words(e.operation), e.keyField(QStringLiteral("ACC_CODE")),
                               e.describeOld(), e.describeNew()}
                       .join(u'|');
        return out;
    }
    QStringList month(int monthNo = 1)
    {
        QList<ChangeEntry> entries;
        QString error;
        return ChangeEntry::ofMonth(m_db->connectionName(), 90, monthNo, {}, &entries, &error) ? listed(entries)
                                                                                                 : QStringList{error};
    }

    // The delete of the month's stored rows as a tab deletes them, with the history.
    ChunkedDelete monthDelete(ChangeOperation &history, int expectedRows)
    {
        ChunkedDelete whole;
        whole.connectionName = m_db->connectionName();
        whole.table = QStringLiteral("MPBANK");
        whole.rowidStatement = QStringLiteral("select a.rowid from MPBANK a where a.M_YEAR = :Y and a.M_MONTH = :M");
        whole.params = {{"Y", 90}, {"M", 1}};
        whole.expectedRows = expectedRows;
        whole.history = &history;
        return whole;
    }
    bool deleteMonth(int rows)
    {
        ChangeOperation history(m_db->connectionName(), ChangeOperation::Kind::MonthDeleted, b01(), "ABC", 90, 1);
        const ChunkedDelete whole = monthDelete(history, rows);
        QString error;
        return whole.run(&error);
    }
    // Rows added to the month as an import adds them, with the history.
    bool importRows(const QList<QVariantMap> &rows)
    {
        ChangeOperation history(m_db->connectionName(), ChangeOperation::Kind::Imported, b01(), "ABC", 90, 1);
        for (const QVariantMap &r : rows) {
            if (!m_db->insertRow(QStringLiteral("MPBANK"), r))
                return false;
        }
        QString error;
        return history.addStoredRows(QStringLiteral("MPBANK"), QStringLiteral("from MPBANK where M_YEAR = 90"), {},
                                     false, &error)
            && history.write(&error);
    }

private slots:
    void linesReadBack_data();
    void linesReadBack();
    void valuesReadBack_data();
    void valuesReadBack();
    void aRowAcrossOperations_data();
    void aRowAcrossOperations();
    void rowsOutsideTheOperation_data();
    void rowsOutsideTheOperation();
    void keysOfEveryKind_data();
    void keysOfEveryKind();
    void wholeMonthDelete_data();
    void wholeMonthDelete();
    void numbersAsWritten_data();
    void numbersAsWritten();
};

void tst_ChangePack::linesReadBack_data()
{
    QTest::addColumn<QStringList>("line");   // key, old, new; "-": no row
    const QString unit(ChangeValues::Separator);
    QTest::newRow("row came") << QStringList{"k", "-", "1" + unit + "2"};
    QTest::newRow("row went") << QStringList{"k", "1" + unit + "2", "-"};
    QTest::newRow("row modified") << QStringList{"k", "1", "2"};
    QTest::newRow("empty values text is a row") << QStringList{"k", "", "-"};
    QTest::newRow("empty both sides") << QStringList{"k", "", ""};
    QTest::newRow("values starting with =") << QStringList{"k", "=", "=="};
    QTest::newRow("empty key") << QStringList{"", "-", "1"};
}

// Each line alone, and all of them in one text, read back as written: a
// missing row told from an empty values text.
void tst_ChangePack::linesReadBack()
{
    QFETCH(QStringList, line);
    const auto part = [](const QString &text) { return text == QLatin1String("-") ? QString() : text; };
    QString packed;
    ChangePack::appendLine(packed, QStringLiteral("first"), QString(), QStringLiteral("0"));
    ChangePack::appendLine(packed, line.at(0), part(line.at(1)), part(line.at(2)));
    ChangePack::appendLine(packed, QStringLiteral("last"), QStringLiteral("9"), QString());
    const QList<ChangePack::Row> rows = ChangePack::rows(packed);
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows.at(0).key, QStringLiteral("first"));
    QCOMPARE(rows.at(1).key, line.at(0));
    QCOMPARE(rows.at(1).oldValues.isNull(), line.at(1) == QLatin1String("-"));
    QCOMPARE(rows.at(1).newValues.isNull(), line.at(2) == QLatin1String("-"));
    QCOMPARE(rows.at(1).oldValues, part(line.at(1)));
    QCOMPARE(rows.at(1).newValues, part(line.at(2)));
    QVERIFY(rows.at(2).newValues.isNull());
}

void tst_ChangePack::valuesReadBack_data()
{
    QTest::addColumn<QString>("account");
    QTest::addColumn<QVariant>("amount");
    QTest::addColumn<QString>("values");
    QTest::newRow("plain") << "11000" << QVariant(12.5) << "AMT=12.5 SERIAL=1";
    QTest::newRow("backslash") << "a\\b" << QVariant(1) << "AMT=1 SERIAL=1";
    QTest::newRow("line feed") << "a\nb" << QVariant(1) << "AMT=1 SERIAL=1";
    QTest::newRow("part separator") << QString("a") + QChar(0x1e) + "b" << QVariant(1) << "AMT=1 SERIAL=1";
    QTest::newRow("field separator") << QString("a") + QChar(0x1f) + "b" << QVariant(1) << "AMT=1 SERIAL=1";
    QTest::newRow("the escape itself") << QString("a") + QChar(0x1b) + "s" << QVariant(1) << "AMT=1 SERIAL=1";
    QTest::newRow("an escape's own look") << QString(QChar(0x1b)) + QChar(0x1b) + "n" << QVariant(1) << "AMT=1 SERIAL=1";
    QTest::newRow("trailing escape") << QString("ab") + QChar(0x1b) << QVariant(1) << "AMT=1 SERIAL=1";
    QTest::newRow("LIKE wildcards") << "%_\\%" << QVariant(1) << "AMT=1 SERIAL=1";
    QTest::newRow("NULL amount") << "11001" << QVariant(QMetaType(QMetaType::Double)) << "AMT= SERIAL=1";
    QTest::newRow("zero amount") << "11002" << QVariant(0.0) << "AMT=0 SERIAL=1";
    QTest::newRow("four places") << "11003" << QVariant(1234567.1234) << "AMT=1234567.1234 SERIAL=1";
    QTest::newRow("negative") << "11004" << QVariant(-0.5) << "AMT=-0.5 SERIAL=1";
    QTest::newRow("a zero after the point") << "11005" << QVariant(-1000.05) << "AMT=-1000.05 SERIAL=1";
    QTest::newRow("one ten-thousandth") << "11006" << QVariant(0.0001) << "AMT=0.0001 SERIAL=1";
    QTest::newRow("wide characters") << "臺北" << QVariant(1) << "AMT=1 SERIAL=1";
}

// A row written from memory (a keyed save) and the same row written by the
// statement over the table (an import) list alike, and the row's own history
// finds both by the key its tab computes.
void tst_ChangePack::valuesReadBack()
{
    QFETCH(QString, account);
    QFETCH(QVariant, amount);
    QFETCH(QString, values);
    const QVariantMap stored = row(account, amount);
    ChangeOperation keyed(m_db->connectionName(), ChangeOperation::Kind::Keyed, b01(), "ABC", 90, 1);
    keyed.addRow(keyOf(stored), QString(),
                 ChangeValues::valuesOf(mpbank(), [&](const QString &field) { return stored.value(field); }));
    QString error;
    QVERIFY2(keyed.write(&error), qPrintable(error));
    QVERIFY(importRows({stored}));

    QCOMPARE(month(), (QStringList{"鍵入|" + account + "||" + values, "匯入|" + account + "||" + values}));
    QList<ChangeEntry> ofRow;
    QVERIFY2(ChangeEntry::ofRow(m_db->connectionName(), "B01", keyOf(stored), &ofRow, &error), qPrintable(error));
    QCOMPARE(ofRow.size(), 2);
    QCOMPARE(m_db->scalar(QStringLiteral("select sum(ROWS_CHANGED) from CHANGE_LOG")).toInt(), 2);
}

void tst_ChangePack::aRowAcrossOperations_data()
{
    QTest::addColumn<QStringList>("steps");   // "import", "delete"
    QTest::addColumn<QStringList>("ofRow");   // the history of account 11000
    QTest::addColumn<int>("rows");            // rows the month lists
    QTest::newRow("imported") << QStringList{"import"} << QStringList{"匯入|11000||AMT=1 SERIAL=1"} << 3;
    QTest::newRow("imported, month deleted")
        << QStringList{"import", "delete"}
        << QStringList{"匯入|11000||AMT=1 SERIAL=1", "刪除整月|11000|AMT=1 SERIAL=1|"} << 6;
    QTest::newRow("imported, deleted, imported again")
        << QStringList{"import", "delete", "import"}
        << QStringList{"匯入|11000||AMT=1 SERIAL=1", "刪除整月|11000|AMT=1 SERIAL=1|", "匯入|11000||AMT=1 SERIAL=1"}
        << 9;
}

// Operations listed in the order they were made, each one's rows by key; the
// history of one row picks its lines out of every operation of its month, and
// not another month's row of the same account.
void tst_ChangePack::aRowAcrossOperations()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, ofRow);
    QFETCH(int, rows);
    QVariantMap otherMonth = row(QStringLiteral("11000"), 5.0);
    otherMonth.insert(QStringLiteral("M_MONTH"), 2);
    ChangeOperation other(m_db->connectionName(), ChangeOperation::Kind::Keyed, b01(), "ABC", 90, 2);
    other.addRow(keyOf(otherMonth), QString(), QStringLiteral("5") + ChangeValues::Separator + QStringLiteral("1"));
    QString error;
    QVERIFY(other.write(&error));
    for (const QString &step : steps) {
        if (step == QLatin1String("import"))
            QVERIFY(importRows({row("11500", 2.0), row("11000", 1.0), row("1234p", 3.0)}));
        else
            QVERIFY(deleteMonth(3));
    }
    const QStringList all = month();
    QCOMPARE(all.size(), rows);
    QCOMPARE(all.mid(0, 3), (QStringList{"匯入|11000||AMT=1 SERIAL=1", "匯入|11500||AMT=2 SERIAL=1",
                                         "匯入|1234p||AMT=3 SERIAL=1"}));
    QCOMPARE(m_db->scalar(QStringLiteral("select sum(ROWS_CHANGED) from CHANGE_LOG where M_MONTH = 1")).toInt(),
             rows);
    QList<ChangeEntry> entries;
    QVERIFY2(ChangeEntry::ofRow(m_db->connectionName(), "B01", keyOf(row("11000", 1.0)), &entries, &error),
             qPrintable(error));
    QCOMPARE(listed(entries), ofRow);
}

void tst_ChangePack::rowsOutsideTheOperation_data()
{
    QTest::addColumn<int>("monthNo");
    QTest::addColumn<QString>("bank");
    QTest::addColumn<QString>("key");   // as the history lists it
    QTest::newRow("the operation's month") << 1 << "ABC" << "M_YEAR=90 M_MONTH=1 BANK_CODE=ABC ACC_CODE=11000";
    QTest::newRow("trailing blanks, the same institution")
        << 1 << "ABC  " << "M_YEAR=90 M_MONTH=1 BANK_CODE=ABC ACC_CODE=11000";
    QTest::newRow("another month") << 2 << "ABC" << "M_YEAR=90 M_MONTH=2 BANK_CODE=ABC ACC_CODE=11000";
    QTest::newRow("another institution") << 1 << "XYZ" << "M_YEAR=90 M_MONTH=1 BANK_CODE=XYZ ACC_CODE=11000";
    QTest::newRow("a leading blank") << 1 << " ABC" << "M_YEAR=90 M_MONTH=1 BANK_CODE= ABC ACC_CODE=11000";
}

// A line leaves out the month and institution its operation records, but only
// for a row that has them: a row of another month or institution that an
// operation's statement took as well keeps them, beside a row of the month.
void tst_ChangePack::rowsOutsideTheOperation()
{
    QFETCH(int, monthNo);
    QFETCH(QString, bank);
    QFETCH(QString, key);
    QVariantMap odd = row(QStringLiteral("11000"), 1.0);
    odd.insert(QStringLiteral("M_MONTH"), monthNo);
    odd.insert(QStringLiteral("BANK_CODE"), bank);
    QVERIFY(importRows({row(QStringLiteral("10000"), 2.0), odd}));
    QList<ChangeEntry> entries;
    QString error;
    QVERIFY2(ChangeEntry::ofMonth(m_db->connectionName(), 90, 1, {}, &entries, &error), qPrintable(error));
    QStringList keys;
    for (const ChangeEntry &e : entries)
        keys << e.describeKey();
    QStringList expected{"M_YEAR=90 M_MONTH=1 BANK_CODE=ABC ACC_CODE=10000", key};
    keys.sort();
    expected.sort();
    QCOMPARE(keys, expected);
}

void tst_ChangePack::keysOfEveryKind_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QVariantMap>("stored");
    const QVariantMap month{{"M_YEAR", 90}, {"M_MONTH", 1}, {"BANK_CODE", "ABC"}};
    const auto with = [&](const QVariantMap &more) {
        QVariantMap out = month;
        out.insert(more);
        return out;
    };
    QTest::newRow("operating data") << "B01" << with({{"ACC_CODE", "11000"}, {"AMT", 1.5}, {"SERIAL", 1}});
    QTest::newRow("overdue ratios") << "B02" << with({{"BANK_CODE1", "0010"}, {"M_RATE", 2.25}});
    // These two keys start with the institution, before the month.
    QTest::newRow("bills rates") << "B03"
                                 << with({{"FLAG1", "1"}, {"FLAG2", "2"}, {"FLAG3", "03"}, {"FLAG4", "4"}, {"RATE", 1.0}});
    QTest::newRow("bills trades") << "B04"
                                  << with({{"FLAG1", "1"}, {"FLAG2", "2"}, {"FLAG3", "03"}, {"AMT", 5.0}, {"AMT1", 6.0}});
    QTest::newRow("county data") << "B05" << with({{"HSIEN_ID", "A"}, {"ACC_CODE", "H0001"}, {"AMT", 7.0}});
}

// Whatever the order of a kind's key fields, a line that left out the
// operation's month and institution reads back as the key a tab computes.
void tst_ChangePack::keysOfEveryKind()
{
    QFETCH(QString, kind);
    QFETCH(QVariantMap, stored);
    const DeclarationKind &declaration = *DeclarationKind::find(kind);
    QVERIFY(m_db->insertRow(declaration.table(), stored));
    ChangeOperation history(m_db->connectionName(), ChangeOperation::Kind::Imported, declaration, "ABC", 90, 1);
    QString error;
    QVERIFY2(history.addStoredRows("t", QStringLiteral("from %1 t where t.M_YEAR = 90").arg(declaration.table()), {},
                                   false, &error)
                 && history.write(&error),
             qPrintable(error));
    QList<ChangeEntry> entries;
    QVERIFY2(ChangeEntry::ofMonth(m_db->connectionName(), 90, 1, kind, &entries, &error), qPrintable(error));
    QCOMPARE(entries.size(), 1);
    const TableDef &table = *Schema::table(declaration.table());
    QCOMPARE(entries.first().key, ChangeValues::keyOf(table, [&](const QString &field) { return stored.value(field); }));
}

void tst_ChangePack::wholeMonthDelete_data()
{
    QTest::addColumn<int>("stored");          // rows of the month in the table
    QTest::addColumn<int>("expected");        // rows the tab read
    QTest::addColumn<QList<int>>("progress"); // rows deleted after each chunk of 2, when it succeeds
    QTest::newRow("chunks that divide the month") << 6 << 6 << QList<int>{2, 4, 6};
    QTest::newRow("a last chunk of one row") << 5 << 5 << QList<int>{2, 4, 5};
    QTest::newRow("nothing stored") << 0 << 0 << QList<int>{};
    QTest::newRow("a row added behind the tab") << 6 << 5 << QList<int>{};
    QTest::newRow("a row gone behind the tab") << 4 << 5 << QList<int>{};
}

// A month deleted a chunk at a time with its history (the rows read once, for
// the history and for the chunks' rowids): every row the tab read goes and
// the gauge follows each chunk, the history holding each row as it was in
// stored order; when the month holds other rows than the tab read, the delete
// is refused and, the caller rolling back, the month and the history are as
// they were.
void tst_ChangePack::wholeMonthDelete()
{
    QFETCH(int, stored);
    QFETCH(int, expected);
    QFETCH(QList<int>, progress);
    for (int i = 0; i < stored; ++i)
        QVERIFY(m_db->insertRow(QStringLiteral("MPBANK"), row(QStringLiteral("1100%1").arg(i), i)));
    ChangeOperation history(m_db->connectionName(), ChangeOperation::Kind::MonthDeleted, b01(), "ABC", 90, 1);
    ChunkedDelete whole = monthDelete(history, expected);
    whole.chunkRows = 2;
    QList<int> seen;
    whole.progress = [&](int deleted) { seen << deleted; };

    QVERIFY(m_db->db().transaction());
    QString error;
    const bool ok = whole.run(&error);
    QVERIFY2(ok == (stored == expected), qPrintable(error));
    if (ok) {
        QVERIFY(m_db->db().commit());
        QCOMPARE(seen, progress);
    } else {
        QCOMPARE(error, ChunkedDelete::changedMessage(expected, stored));
        QVERIFY(m_db->db().rollback());
    }
    QCOMPARE(m_db->count(QStringLiteral("MPBANK")), ok ? 0 : stored);
    const QStringList lines = month();
    QCOMPARE(lines.size(), ok ? stored : 0);
    if (!lines.isEmpty())   // the rows as they were, in stored order
        QCOMPARE(lines.last(), QStringLiteral("刪除整月|1100%1|AMT=%1 SERIAL=1|").arg(stored - 1));
}

void tst_ChangePack::numbersAsWritten_data()
{
    QTest::addColumn<double>("amount");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 1234.0 << "1234";
    QTest::newRow("negative whole") << -3.0 << "-3";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("one place") << 1234.5 << "1234.5";
    QTest::newRow("a zero inside the places") << -1000.05 << "-1000.05";
    QTest::newRow("four places") << 0.0001 << "0.0001";
    QTest::newRow("below one, negative") << -0.5 << "-0.5";
    QTest::newRow("the largest written as ten-thousandths") << 99999999999.9999 << "99999999999.9999";
    QTest::newRow("larger") << 123456789012.3456 << "123456789012.3456";
    QTest::newRow("sixteen digits") << 1234567890123456.0 << "1234567890123456";
    QTest::newRow("more than four places: rounded") << 1.23456 << "1.2346";
}

// An amount is written as the same plain decimal by a row in memory (a save)
// and by a row read from the table (a month replaced or deleted on SQLite).
void tst_ChangePack::numbersAsWritten()
{
    QFETCH(double, amount);
    QFETCH(QString, text);
    QString fromMemory;
    ChangeValues::appendValue(fromMemory, ChangeValues::Kind::Number, amount);
    QCOMPARE(fromMemory, text);
    QByteArray fromTable;
    ChangeValues::appendNumberUtf8(fromTable, amount);
    QCOMPARE(QString::fromUtf8(fromTable), text);
}

QTEST_MAIN(tst_ChangePack)
#include "tst_change_pack.moc"
