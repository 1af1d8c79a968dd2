// A month tab and a second writer on one database (a file, or a server's
// database for the twin run): what the tab read and another connection changed
// since is never overwritten, and a month is never stored by two writers at once.
#include "db/cached_dataset.h"
#include "db/database.h"
#include "db/engine_message.h"
#include "tests/support/month_tab_fixture.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

using namespace month_tab_names;

class TstMonthTabWriters : public QObject
{
    Q_OBJECT
private slots:
    void secondWriterIsNeverOverwritten_data();
    void secondWriterIsNeverOverwritten();
};

void TstMonthTabWriters::secondWriterIsNeverOverwritten_data()
{
    QTest::addColumn<QString>("tab");
    QTest::addColumn<QString>("button");    // what the user does after the tab read the month
    QTest::addColumn<QString>("behind");    // the other writer's statement meanwhile, or none
    QTest::addColumn<QString>("told");      // the start of the last message
    QTest::addColumn<QString>("stored");    // the month's amounts afterwards

    const QString changed = "update MPBANK set AMT = 999 where ACC_CODE = '11000'";
    QTest::newRow("operating modify, the amount changed behind")
        << "operating" << "sbEdit" << changed << EngineMessage::changedByOther(false) << "11000=999.0;12000=2.0";
    QTest::newRow("operating modify, another amount changed behind")
        << "operating" << "sbEdit" << "update MPBANK set AMT = 7 where ACC_CODE = '12000'"
        << "存檔成功!!!" << "11000=5.0;12000=7.0";
    QTest::newRow("operating modify, the month deleted behind")
        << "operating" << "sbEdit" << "delete from MPBANK" << EngineMessage::changedByOther(false) << "";
    // Delete reads the month again before it asks: what it deletes is what the user was asked about.
    QTest::newRow("operating delete, an amount changed before the delete")
        << "operating" << "sbDel" << changed << "刪除成功!!!" << "";
    QTest::newRow("operating delete, untouched") << "operating" << "sbDel" << "" << "刪除成功!!!" << "";
    QTest::newRow("operating add, the month stored behind")
        << "operating" << "sbAdd" << "insert into MPBANK values (115, 1, '995', '12000', 8, 1)"
        << EngineMessage::monthStoredByOther() << "12000=8.0";
    QTest::newRow("operating add, untouched") << "operating" << "sbAdd" << "" << "存檔成功!!!" << "11000=5.0;12000=0.0";
    QTest::newRow("county add, another institution stored the month behind")
        << "county" << "sbAdd" << "insert into HMPBANK values (115, 1, '996', 'A', '11000', 8)"
        << EngineMessage::monthStoredByOther() << "996A11000=8.0";
}

void TstMonthTabWriters::secondWriterIsNeverOverwritten()
{
    QFETCH(QString, tab);
    QFETCH(QString, button);
    QFETCH(QString, behind);
    QFETCH(QString, told);
    QFETCH(QString, stored);

    Fixture f;
    const QStringList accounts{"11000", "12000"};
    const bool county = tab == "county";
    QVERIFY(county ? f.setUpCounty({"A"}, accounts) : f.setUp(accounts));
    if (button != "sbAdd")
        QVERIFY(f.addMonth(115, 1, accounts) && f.click("sbQuery"));
    QString error;
    QVERIFY2(Database::open(f.db.path(), &error, "OTHER"), qPrintable(error));

    // The county tab's buttons carry the suffix "3".
    const QString suffix = county ? "3" : "";
    auto writeBehind = [&] {
        QSqlQuery other(Database::connection("OTHER"));
        return behind.isEmpty() || other.exec(behind);
    };
    EditMode keyedIn = EditMode::Browse;
    if (button == "sbDel") {
        // Read by the query, changed behind, then deleted.
        QVERIFY(writeBehind());
        f.messages.answerNext(true);
        QVERIFY(f.click(button + suffix));
    } else {
        QVERIFY(f.click(button + suffix));
        QVERIFY(f.typeAmount(0, "5"));
        keyedIn = f.shell.editMode();
        QVERIFY(writeBehind());
        QVERIFY(f.click("sbPost" + suffix));
    }
    Database::close("OTHER");

    QVERIFY2(f.messages.lastText().startsWith(told), qPrintable(f.messages.lastText()));
    const bool refused = told != "存檔成功!!!" && told != "刪除成功!!!";
    if (refused && button != "sbDel") {
        // Still in editing with what the user keyed in, to be discarded and queried again.
        QCOMPARE(f.shell.editMode(), keyedIn);
        QVERIFY(f.ds().hasPendingUpdates());
    }
    const QString sql = county ? "select BANK_CODE || HSIEN_ID || ACC_CODE, AMT from HMPBANK order by BANK_CODE, ACC_CODE"
                               : "select ACC_CODE, AMT from MPBANK order by ACC_CODE";
    QCOMPARE(f.db.rowsText(sql), stored);
}

QTEST_MAIN(TstMonthTabWriters)
#include "tst_month_tab_writers.moc"
