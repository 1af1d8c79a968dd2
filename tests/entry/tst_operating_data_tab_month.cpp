// The operating data tab, continued: deleting a month, the grid keys and the
// amount cell, navigation, the close, and the check and import hooks.
#include "db/cached_dataset.h"
#include "ui/period_spin_edit.h"
#include "ui/record_grid.h"
#include "tests/support/month_tab_fixture.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QtTest>

using namespace month_tab_names;

namespace {

// The paints a widget gets.
struct PaintCounter : QObject
{
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

class TstOperatingDataTabMonth : public QObject
{
    Q_OBJECT
private slots:
    void deleteMonthShowsProgressAndRemovesOnlyThatMonth();
    void failingDeleteKeepsTheStoredMonth();
    void gridKeysMoveAndNeverAppend();
    void amountCellRefusesWhatIsNotANumber();
    void navigationStopsAtTheEnds();
    void closeSavesEditedAndCachedChanges();
    void checkAndImportWaitForTheirHooks();
};

void TstOperatingDataTabMonth::deleteMonthShowsProgressAndRemovesOnlyThatMonth()
{
    Fixture f;
    QStringList accounts;
    for (int i = 1; i <= 250; ++i)
        accounts << QStringLiteral("A%1").arg(i, 4, 10, QLatin1Char('0'));
    QVERIFY(f.setUp(accounts));
    QVERIFY(f.addMonth(115, 1, accounts));
    QVERIFY(f.addMonth(115, 2, accounts.mid(0, 3)));

    QList<QPair<int, int>> seen;   // gauge value, rows left
    QStringList labels;
    QProgressBar *gauge = f.tab->findChild<QProgressBar *>("gdeDEL");
    QLabel *label = f.tab->findChild<QLabel *>("labDEL");
    QVERIFY(gauge && label);
    QVERIFY(!gauge->isVisible());
    QObject::connect(gauge, &QProgressBar::valueChanged, gauge, [&](int value) {
        seen.append({value, f.ds().recordCount()});
        labels << label->text();
        QVERIFY(gauge->isVisible());
    });

    QVERIFY(f.click("sbQuery"));
    f.messages.answerNext(false);
    QVERIFY(f.click("sbDel"));
    QVERIFY(f.said(Icon::Information, QStringLiteral("確定要刪除嗎 ???")));
    QCOMPARE(f.shell.status, QStringLiteral("刪除"));
    QCOMPARE(f.db.count("MPBANK"), 253);
    QVERIFY(seen.isEmpty());

    // The gauge follows every row, but a delete this quick is not worth a
    // paint a row: painting it cost more than the delete.
    PaintCounter painted;
    gauge->installEventFilter(&painted);
    f.messages.answerNext(true);
    QVERIFY(f.click("sbDel"));
    QVERIFY(f.said(Icon::Information, QStringLiteral("刪除成功!!!")));
    QVERIFY2(painted.paints < 10, qPrintable(QString::number(painted.paints)));
    gauge->removeEventFilter(&painted);
    QVERIFY(seen.contains(qMakePair(40, 150)));   // 100 of 250 deleted
    QCOMPARE(seen.last(), qMakePair(99, 2));   // 248 of 250; the last deletion leaves none
    for (int i = 1; i < seen.size(); ++i)
        QVERIFY(seen[i].first > seen[i - 1].first);
    QCOMPARE(labels.first(), QStringLiteral("資料刪除中請稍候...."));
    QVERIFY(!gauge->isVisible());
    QCOMPARE(label->text(), QString());
    QCOMPARE(f.db.count("MPBANK", "M_MONTH = 1"), 0);
    QCOMPARE(f.db.count("MPBANK", "M_MONTH = 2"), 3);
    QCOMPARE(f.ds().recordCount(), 0);

    f.messages.clear();
    QVERIFY(f.click("sbDel"));
    QCOMPARE(f.messages.texts(), QStringList({"查無欲刪除之年月資料!!!"}));
}

void TstOperatingDataTabMonth::failingDeleteKeepsTheStoredMonth()
{
    Fixture f;
    QVERIFY(f.setUpMonth({"10000", "20000", "30000"}));
    QVERIFY(f.db.exec("CREATE TRIGGER boom BEFORE DELETE ON MPBANK WHEN OLD.ACC_CODE = '30000' "
                      "BEGIN SELECT RAISE(ABORT, 'boom'); END"));
    QVERIFY(f.click("sbQuery"));
    f.messages.answerNext(true);
    QVERIFY(f.click("sbDel"));
    QCOMPARE(f.messages.lastText(), QStringLiteral("刪除失敗!!!"));
    QVERIFY(f.messages.records().last().detail.contains("boom"));
    QCOMPARE(f.db.count("MPBANK"), 3);
    QVERIFY(!f.tab->findChild<QProgressBar *>("gdeDEL")->isVisible());
}

void TstOperatingDataTabMonth::gridKeysMoveAndNeverAppend()
{
    Fixture f;
    QVERIFY(f.setUpLoaded({"10000", "20000", "30000", "40000"}));
    RecordGrid *g = f.grid();

    // Down on the last row of a browse grid: no new row, the row before the last.
    QVERIFY(f.click("sbLast"));
    QCOMPARE(g->currentIndex().row(), 3);
    QTest::keyClick(g, Qt::Key_Down);
    QCOMPARE(f.ds().recordCount(), 4);
    QCOMPARE(g->model()->rowCount(), 4);
    QCOMPARE(g->currentIndex().row(), 2);
    QCOMPARE(f.ds().currentRow(), 2);
    QTest::keyClick(g, Qt::Key_Down);
    QCOMPARE(g->currentIndex().row(), 3);

    // Enter and Tab: columns 0 to 2 step right, from the amount on down.
    g->setCurrentIndex(f.ds().index(1, 0));
    QTest::keyClick(g, Qt::Key_Return);
    QCOMPARE(g->currentIndex(), f.ds().index(1, 1));
    QTest::keyClick(g, Qt::Key_Tab);
    QCOMPARE(g->currentIndex(), f.ds().index(1, 2));
    QTest::keyClick(g, Qt::Key_Enter);
    QCOMPARE(g->currentIndex(), f.ds().index(1, 3));
    QTest::keyClick(g, Qt::Key_Return);
    QCOMPARE(g->currentIndex(), f.ds().index(2, 3));
    QCOMPARE(f.ds().currentRow(), 2);

    // In modify mode the keys work from the cell editor as well.
    QVERIFY(f.click("sbEdit"));
    QCOMPARE(g->currentIndex(), f.ds().index(0, 3));
    QLineEdit *e = f.editor();
    QVERIFY(e);
    e->selectAll();
    QTest::keyClicks(e, "12.5");
    QTest::keyClick(e, Qt::Key_Return);
    QCOMPARE(g->currentIndex(), f.ds().index(1, 3));
    QCOMPARE(f.ds().value(0, "AMT").toDouble(), 12.5);
    QVERIFY(f.editor());
    QTest::keyClick(f.editor(), Qt::Key_Tab);
    QCOMPARE(g->currentIndex(), f.ds().index(2, 3));
    g->setCurrentIndex(f.ds().index(2, 2));
    QTest::keyClick(g, Qt::Key_Return);   // name column: to the amount of the same row
    QCOMPARE(g->currentIndex(), f.ds().index(2, 3));

    // Down in the editor on the last row never appends either.
    g->setCurrentIndex(f.ds().index(3, 3));
    QVERIFY(f.editor());
    QTest::keyClicks(f.editor(), "8");
    QTest::keyClick(f.editor(), Qt::Key_Down);
    QCOMPARE(f.ds().recordCount(), 4);
    QCOMPARE(f.ds().value(3, "AMT").toDouble(), 8.0);
    QCOMPARE(g->currentIndex().row(), 3);
    // Enter on the last row stays there.
    QTest::keyClick(f.editor(), Qt::Key_Return);
    QCOMPARE(g->currentIndex(), f.ds().index(3, 3));
    QCOMPARE(f.ds().recordCount(), 4);
}

void TstOperatingDataTabMonth::amountCellRefusesWhatIsNotANumber()
{
    Fixture f;
    QVERIFY(f.setUpLoaded({"10000", "20000"}));   // AMT 1, 2
    QVERIFY(f.click("sbEdit"));

    // Letters and a second point never reach the cell.
    QVERIFY(f.typeAmount(0, "1a2.3.4b"));
    QCOMPARE(f.ds().value(0, "AMT").toDouble(), 12.34);
    QVERIFY(f.typeAmount(0, "abc"));
    QCOMPARE(f.ds().value(0, "AMT").toDouble(), 12.34);   // nothing typed: the value stays
    QVERIFY(f.typeAmount(1, "--5"));
    QCOMPARE(f.ds().value(1, "AMT").toDouble(), -5.0);

    // A minus alone is not a number: Enter keeps the cursor and the value.
    f.grid()->setCurrentIndex(f.ds().index(0, 3));
    f.editor()->selectAll();
    QTest::keyClicks(f.editor(), "-");
    QTest::keyClick(f.editor(), Qt::Key_Return);
    QCOMPARE(f.grid()->currentIndex(), f.ds().index(0, 3));
    QCOMPARE(f.ds().value(0, "AMT").toDouble(), 12.34);

    // The dataset itself refuses a text that is not a number.
    QVERIFY(!f.ds().setData(f.ds().index(1, 3), QStringLiteral("12x")));
    QVERIFY(!f.ds().setData(f.ds().index(1, 3), QStringLiteral("1.2.3")));
    QCOMPARE(f.ds().value(1, "AMT").toDouble(), -5.0);
    // Only the amount column takes input.
    QVERIFY(!f.ds().setData(f.ds().index(1, 2), QStringLiteral("x")));

    // Walking through a cell without typing keeps its stored value exactly (the
    // value is stored after the save: a change behind rows being edited is refused).
    QVERIFY(f.click("sbPost"));
    QCOMPARE(f.db.scalar("select AMT from MPBANK where ACC_CODE = '20000'").toDouble(), -5.0);
    QVERIFY(f.db.exec("update MPBANK set AMT = 1.23456 where ACC_CODE = '20000'"));
    QVERIFY(f.click("sbEdit"));
    QCOMPARE(f.cell(1, 3), QStringLiteral("1.235"));
    f.grid()->setCurrentIndex(f.ds().index(1, 3));
    QTest::keyClick(f.editor(), Qt::Key_Return);
    QVERIFY(f.click("sbPost"));
    QCOMPARE(f.db.scalar("select AMT from MPBANK where ACC_CODE = '20000'").toDouble(), 1.23456);
}

void TstOperatingDataTabMonth::navigationStopsAtTheEnds()
{
    Fixture f;
    QVERIFY(f.setUpLoaded({"10000", "20000", "30000"}));
    QCOMPARE(f.ds().currentRow(), 0);
    QVERIFY(f.click("sbPrior"));
    QCOMPARE(f.ds().currentRow(), 0);
    QVERIFY(f.click("sbNext"));
    QVERIFY(f.click("sbNext"));
    QVERIFY(f.click("sbNext"));
    QCOMPARE(f.ds().currentRow(), 2);
    QCOMPARE(f.grid()->currentIndex().row(), 2);
    QVERIFY(f.click("sbFirst"));
    QCOMPARE(f.grid()->currentIndex().row(), 0);
    QVERIFY(f.click("sbLast"));
    QCOMPARE(f.ds().currentRow(), 2);
    QVERIFY(f.click("sbPrior"));
    QCOMPARE(f.grid()->currentIndex().row(), 1);
    QVERIFY(f.click("sbExit"));
    QCOMPARE(f.shell.closeRequests, 1);

    // While modifying, a button step takes the value still being typed with it.
    QVERIFY(f.click("sbEdit"));
    QVERIFY(f.editor());
    QTest::keyClicks(f.editor(), "77");
    QVERIFY(f.click("sbNext"));
    QCOMPARE(f.ds().currentRow(), 1);
    QCOMPARE(f.grid()->currentIndex(), f.ds().index(1, 3));
    QCOMPARE(f.ds().value(0, "AMT").toDouble(), 77.0);
    QCOMPARE(f.ds().value(1, "AMT").toDouble(), 2.0);
    QVERIFY(f.click("sbPost"));
    QCOMPARE(f.db.scalar("select AMT from MPBANK where ACC_CODE = '10000'").toDouble(), 77.0);
}

void TstOperatingDataTabMonth::closeSavesEditedAndCachedChanges()
{
    {
        // A value still being typed in the cell is saved with the rest.
        Fixture f;
        QVERIFY(f.setUpLoaded({"10000", "20000"}));
        QVERIFY(f.click("sbEdit"));
        QVERIFY(f.typeAmount(0, "10"));
        f.grid()->setCurrentIndex(f.ds().index(1, 3));
        f.editor()->selectAll();
        QTest::keyClicks(f.editor(), "20");
        QVERIFY(f.tab->saveOnClose());
        QCOMPARE(f.db.scalar("select sum(AMT) from MPBANK").toDouble(), 30.0);
    }
    {
        // Rows keyed in, none left in the editor: saved too, not lost.
        Fixture f;
        QVERIFY(f.setUp({"10000", "20000"}));
        QVERIFY(f.click("sbAdd"));
        QVERIFY(f.typeAmount(1, "5"));
        QVERIFY(f.typeAmount(0, "4"));   // Enter goes on to the next row
        QCOMPARE(f.ds().state(), CachedDataset::State::Browse);
        QVERIFY(f.tab->saveOnClose());
        QCOMPARE(f.db.count("MPBANK"), 2);
        QCOMPARE(f.db.scalar("select sum(AMT) from MPBANK").toDouble(), 9.0);
    }
    {
        // A save that fails keeps the window open with the changes in the cache.
        Fixture f;
        QVERIFY(f.setUp({"10000"}));
        QVERIFY(f.db.exec("CREATE TRIGGER boom BEFORE INSERT ON MPBANK BEGIN SELECT RAISE(ABORT, 'boom'); END"));
        QVERIFY(f.click("sbAdd"));
        QVERIFY(f.typeAmount(0, "4"));
        QVERIFY(!f.tab->saveOnClose());
        QVERIFY(f.messages.lastText().contains("boom"));
        QVERIFY(f.ds().hasPendingUpdates());
    }
    {
        // Nothing pending: nothing to do.
        Fixture f;
        QVERIFY(f.setUp({"10000"}));
        QVERIFY(f.tab->saveOnClose());
        QVERIFY(f.messages.records().isEmpty());
    }
}

void TstOperatingDataTabMonth::checkAndImportWaitForTheirHooks()
{
    Fixture f;
    QVERIFY(f.setUpLoaded({"10000"}));
    QVERIFY(!f.button("sbCheck")->isEnabled());
    QVERIFY(!f.button("sbENTERY")->isEnabled());

    int checks = 0;
    f.shell.importKindValue = DeclarationKind::B05;   // so that the tab's setting shows
    DeclarationKind::Id kindSeen = DeclarationKind::B05;
    bool flagSeen = true;
    f.tab->setCheckHook([&] { ++checks; });
    f.tab->setImportHook([&] { kindSeen = f.shell.importKind(); flagSeen = f.shell.importInProgress(); });
    QVERIFY(f.button("sbENTERY")->isEnabled());
    QVERIFY(f.click("sbQuery"));
    QVERIFY(f.click("sbCheck"));
    QCOMPARE(checks, 1);
    QVERIFY(f.click("sbENTERY"));
    QCOMPARE(kindSeen, DeclarationKind::B01);
    QVERIFY(!flagSeen);   // the operating data import runs without the flag

    // A period change turns Check off again; editing turns both off.
    f.month()->setEditText("2");
    QVERIFY(!f.button("sbCheck")->isEnabled());
    QVERIFY(f.click("sbAdd"));
    QVERIFY(!f.button("sbCheck")->isEnabled());
    QVERIFY(!f.button("sbENTERY")->isEnabled());
}

QTEST_MAIN(TstOperatingDataTabMonth)
#include "tst_operating_data_tab_month.moc"
