#include "ui/dialog_runner.h"
#include "ui/messages.h"
#include "checks/ui/check_result_model.h"
#include "checks/ui/check_step_pane.h"
#include "checks/ui/check_window.h"
#include "checks/ui/operating_check_runner.h"
#include "tests/support/test_database.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QToolTip>
#include <QTest>

// The result window and the check as the operating data tab runs it: messages,
// progress label and gauge, the window opened through the dialog runner.
class TstCheckWindow : public QObject
{
    Q_OBJECT
private slots:
    void windowShowsTheRowsWithTitlesAndPictures();
    void aValueOutOfRangeIsSaidInWords();
    void exitClosesTheWindow();
    void longRemarkIsReadWholeInItsTip();
    void checkOfTheMonth_data();
    void checkOfTheMonth();
    void secondCheckShowsOnlyItsOwnRows();
    void stepPaneFollowsTheCurrentRow_data();
    void stepPaneFollowsTheCurrentRow();

private:
    // A stand-in for the operating data tab's controls.
    struct Tab
    {
        QWidget widget;
        QSpinBox *seYYY = new QSpinBox(&widget);
        QLabel *labDEL = new QLabel(&widget);
        QProgressBar *gdeDEL = new QProgressBar(&widget);
        QList<int> gauge;
        Tab()
        {
            seYYY->setRange(0, 999);
            gdeDEL->setRange(0, 100);
            gdeDEL->hide();
            QObject::connect(gdeDEL, &QProgressBar::valueChanged, [this](int v) { gauge.append(v); });
            widget.show();
        }
    };
    // The small month of fill(), the messages said and the tab, for one test.
    struct Month
    {
        TestDatabase db{TestDatabase::Content::Empty};
        ScriptedMessages messages;
        Tab tab;
        bool ready();   // the database open and filled
    };
    struct Seen
    {
        int windows = 0;
        QStringList remarks;
        QStringList money1;
        QStringList money2;
        QString label;          // the label while the window is open
        bool gaugeVisible = false;
    };
    static DialogRunner::Driver reader(Seen *seen, Tab *tab);
};

// A check of the month as the operating data tab runs it, and what it showed.
struct MonthCase
{
    int year, month;
    double amount30000;         // stored for 30000 first, unless 0
    bool withQuery;             // the tab's query step is given
    QString querySays;          // what the tab's query says itself
    OperatingCheck::Status status;
    QStringList messages;       // every one a warning captioned "Velqora"
    int queries;                // how often the tab's query ran
    QStringList remarks, money1, money2;   // the rows of the window, none: no window
    int gaugeEnd;               // the last value of the gauge, -1: never moved
};
Q_DECLARE_METATYPE(MonthCase)

namespace {

const QString Bank = QStringLiteral("995");

bool fill(TestDatabase &db)
{
    return db.exec({"insert into CACNO (ACC_CODE, ACC_NAME) values ('20000', '負債'), ('10000', '資產'), ('30000', '權益')",
                    "insert into RuleNo1 (cano, quop) values ('001', '=')",
                    "insert into RuleNo2 (cano, left_flag, nserial, acc_code, noop) values "
                    "('001', '0', 1, '10000', '/'), ('001', '0', 2, '20000', ''), ('001', '1', 1, '30000', '')",
                    "insert into MPBANK (M_YEAR, M_MONTH, BANK_CODE, ACC_CODE, AMT, SERIAL) values "
                    "(115, 10, '995', '10000', 1234567.5, 1), (115, 10, '995', '20000', 3, 2)"});
}

} // namespace

bool TstCheckWindow::Month::ready()
{
    return db.isValid() && fill(db);
}

DialogRunner::Driver TstCheckWindow::reader(Seen *seen, Tab *tab)
{
    return [seen, tab](QDialog &dialog) {
        ++seen->windows;
        auto *grid = dialog.findChild<QTableView *>(QStringLiteral("DBGridExt1"));
        if (!grid)
            return 0;
        const QAbstractItemModel *m = grid->model();
        for (int r = 0; r < m->rowCount(); ++r) {
            seen->remarks << m->index(r, 0).data().toString();
            seen->money1 << m->index(r, 1).data().toString();
            seen->money2 << m->index(r, 2).data().toString();
        }
        if (tab) {
            seen->label = tab->labDEL->text();
            seen->gaugeVisible = tab->gdeDEL->isVisible();
        }
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("sbExit")), Qt::LeftButton);
        return dialog.result();
    };
}

void TstCheckWindow::windowShowsTheRowsWithTitlesAndPictures()
{
    const QList<CheckResultRow> rows{
        {QStringLiteral("10000/20000=30000"), Decimal4::fromRaw(12345678912345), Decimal4::fromRaw(-5000)},
        {QStringLiteral("缺少營運科目: 30000   權益"), std::nullopt, std::nullopt},
        {QStringLiteral("A=B"), Decimal4(), Decimal4::fromRaw(3333)},
    };
    TfmVELQ8CHECK window(rows);
    QAbstractItemModelTester tester(window.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(window.windowTitle(), QStringLiteral("公式檢核"));
    QVERIFY(window.windowState() & Qt::WindowMaximized);
    QVERIFY(window.isModal());
    QTableView *grid = window.findChild<QTableView *>(QStringLiteral("DBGridExt1"));
    QVERIFY(grid);
    QCOMPARE(grid->columnWidth(0), 609);
    const QAbstractItemModel *m = grid->model();
    QCOMPARE(m->columnCount(), 3);
    QCOMPARE(m->headerData(0, Qt::Horizontal).toString(),
             QStringLiteral("公") + QString(82, u' ') + QStringLiteral("式"));
    QCOMPARE(m->headerData(1, Qt::Horizontal).toString(), QStringLiteral("左式金額"));
    QCOMPARE(m->headerData(2, Qt::Horizontal).toString(), QStringLiteral("右式金額"));
    QCOMPARE(m->rowCount(), 3);
    QCOMPARE(m->index(0, 0).data().toString(), QStringLiteral("10000/20000=30000"));
    QCOMPARE(m->index(0, 1).data().toString(), QStringLiteral("1,234,567,891.235"));
    QCOMPARE(m->index(0, 2).data().toString(), QStringLiteral("-0.5"));
    QCOMPARE(m->index(1, 1).data().toString(), QString());      // missing account: empty
    QVERIFY(!m->index(1, 1).data(Qt::EditRole).isValid());
    QCOMPARE(m->index(2, 1).data().toString(), QString());      // the picture shows 0 as empty
    QCOMPARE(m->index(2, 2).data().toString(), QStringLiteral("0.333"));
    QCOMPARE(m->index(2, 2).data(Qt::EditRole).toDouble(), 0.3333);
    QVERIFY(!(m->flags(m->index(0, 0)) & Qt::ItemIsEditable));
    QCOMPARE(window.findChild<QPushButton *>(QStringLiteral("sbExit"))->text(), QStringLiteral("離開"));
    // Without a check to explain the rows there is no pane of steps.
    QVERIFY(!window.findChild<CheckStepPane *>());
}

// A value the check cannot hold is said in words in the grid, in both roles:
// no number, clamped or not, stands for it.
void TstCheckWindow::aValueOutOfRangeIsSaidInWords()
{
    const CheckValue out = CheckValue::of(WideDecimal4::outOfRange());
    TfmVELQ8CHECK window({{QStringLiteral("A*B=C"), out, Decimal4::fromRaw(10000)}});
    const QAbstractItemModel *m = window.findChild<QTableView *>(QStringLiteral("DBGridExt1"))->model();
    for (const int role : {int(Qt::DisplayRole), int(Qt::EditRole)})
        QCOMPARE(m->index(0, 1).data(role).toString(), QStringLiteral("超出範圍"));
    QCOMPARE(m->index(0, 2).data().toString(), QStringLiteral("1"));
}

void TstCheckWindow::exitClosesTheWindow()
{
    TfmVELQ8CHECK window({{QStringLiteral("x"), Decimal4(), Decimal4()}});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::mouseClick(window.sbExit, Qt::LeftButton);
    QVERIFY(!window.isVisible());
    QCOMPARE(window.result(), int(QDialog::Accepted));
}

void TstCheckWindow::longRemarkIsReadWholeInItsTip()
{
    const QString remark = QStringLiteral("10000+").repeated(20);   // 120 bytes, wider than its column
    TfmVELQ8CHECK window({{remark, Decimal4(), Decimal4()}});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *grid = window.findChild<QTableView *>(QStringLiteral("DBGridExt1"));
    const QRect cell = grid->visualRect(grid->model()->index(0, 0));
    QVERIFY(grid->fontMetrics().horizontalAdvance(remark) > cell.width());
    QHelpEvent tip(QEvent::ToolTip, cell.center(), grid->viewport()->mapToGlobal(cell.center()));
    QApplication::sendEvent(grid->viewport(), &tip);
    QTRY_COMPARE(QToolTip::text(), remark);
}

void TstCheckWindow::checkOfTheMonth_data()
{
    QTest::addColumn<MonthCase>("c");
    using S = OperatingCheck::Status;
    QTest::newRow("an incomplete period warns and moves the focus")
        << MonthCase{0, 10, 0, true, "", S::PeriodIncomplete, {"請輸入欲檢核之年月資料!!!"}, 0, {}, {}, {}, -1};
    QTest::newRow("an empty month warns after the query step")
        << MonthCase{115, 9, 0, true, "查無任何符合資料!!!", S::NoData, {"查無任何符合資料!!!", "查無符合之資料!!!"}, 1,
                     {}, {}, {}, -1};
    // 1234567.5 / 3 = 411522.5 against a missing 30000 (0); then 30000 is missing.
    QTest::newRow("a failing month opens the window with its rows")
        << MonthCase{115, 10, 0, false, "", S::RowsFound, {}, 0, {"10000/20000=30000", "缺少營運科目: 30000   權益"},
                     {"411,522.5", ""}, {"", ""}, 100};
    QTest::newRow("a passing month says so without a window")
        << MonthCase{115, 10, 411522.5, false, "", S::AllHold, {"資料完全符合!!!"}, 0, {}, {}, {}, 100};
}

void TstCheckWindow::checkOfTheMonth()
{
    QFETCH(MonthCase, c);
    const auto &[year, month, amount30000, withQuery, querySays, status, messages, queries, remarks, money1, money2,
                 gaugeEnd] = c;
    Month m;
    QVERIFY2(m.ready(), qPrintable(m.db.lastError()));
    if (amount30000 != 0)
        QVERIFY(m.db.insertRow(QStringLiteral("MPBANK"), {{"M_YEAR", 115}, {"M_MONTH", 10}, {"BANK_CODE", "995"},
                                                          {"ACC_CODE", "30000"}, {"AMT", amount30000}, {"SERIAL", 3}}));
    Seen seen;
    DialogRunner::Scoped driver(reader(&seen, &m.tab));
    QApplication::setActiveWindow(&m.tab.widget);
    int ran = 0;
    std::function<void()> query;
    if (withQuery) {
        query = [&] {
            ++ran;
            if (!querySays.isEmpty())
                m.messages.warning(querySays);
        };
    }
    m.tab.labDEL->setText(QStringLiteral("old"));
    QCOMPARE(runOperatingCheck(&m.tab.widget, year, month, Bank, m.tab.labDEL, m.tab.gdeDEL, query, m.tab.seYYY,
                               m.db.connectionName()),
             status);
    QCOMPARE(m.messages.texts(), messages);
    for (const auto &record : m.messages.records()) {
        QCOMPARE(record.icon, Messages::Icon::Warning);
        QCOMPARE(record.caption, QStringLiteral("Velqora"));
    }
    QCOMPARE(ran, queries);
    QCOMPARE(seen.windows, remarks.isEmpty() ? 0 : 1);
    QCOMPARE(seen.remarks, remarks);
    QCOMPARE(seen.money1, money1);
    QCOMPARE(seen.money2, money2);
    // While the window was open the check's label and gauge were up.
    QCOMPARE(seen.label, remarks.isEmpty() ? QString() : QStringLiteral("資料檢核中請稍候...."));
    QCOMPARE(seen.gaugeVisible, !remarks.isEmpty());
    QCOMPARE(m.tab.gauge.isEmpty() ? -1 : m.tab.gauge.last(), gaugeEnd);
    if (status == OperatingCheck::Status::PeriodIncomplete)
        QTRY_VERIFY(m.tab.seYYY->hasFocus());
    // Afterwards both are cleared.
    QVERIFY(m.tab.labDEL->text().isEmpty());
    QVERIFY(!m.tab.gdeDEL->isVisible());
}

void TstCheckWindow::secondCheckShowsOnlyItsOwnRows()
{
    Month m;
    QVERIFY2(m.ready(), qPrintable(m.db.lastError()));
    Seen first;
    {
        DialogRunner::Scoped driver(reader(&first, &m.tab));
        runOperatingCheck(&m.tab.widget, 115, 10, Bank, m.tab.labDEL, m.tab.gdeDEL, {}, nullptr, m.db.connectionName());
    }
    QCOMPARE(first.remarks.size(), 2);
    // The missing amount is keyed in, with a value that still fails the formula.
    QVERIFY(m.db.insertRow(QStringLiteral("MPBANK"), {{"M_YEAR", 115}, {"M_MONTH", 10}, {"BANK_CODE", "995"},
                                                      {"ACC_CODE", "30000"}, {"AMT", 7}, {"SERIAL", 3}}));
    Seen second;
    {
        DialogRunner::Scoped driver(reader(&second, &m.tab));
        runOperatingCheck(&m.tab.widget, 115, 10, Bank, m.tab.labDEL, m.tab.gdeDEL, {}, nullptr, m.db.connectionName());
    }
    QCOMPARE(second.windows, 1);
    QCOMPARE(second.remarks, QStringList{QStringLiteral("10000/20000=30000")});
    QCOMPARE(second.money1, QStringList{QStringLiteral("411,522.5")});
    QCOMPARE(second.money2, QStringList{QStringLiteral("7")});
}

void TstCheckWindow::stepPaneFollowsTheCurrentRow_data()
{
    QTest::addColumn<QString>("keys");          // pressed in the grid: D down, U up
    QTest::addColumn<QString>("formula");       // labFormula
    QTest::addColumn<QStringList>("steps");     // the rows of dgSteps, fields joined by "|"
    QTest::addColumn<QString>("comparison");    // labCompare
    const QStringList steps{"左式|10000|資產|當期||1,234,567.5|1,234,567.5|起始值",
                            "左式|20000|負債|當期|/|3|411,522.5|",
                            "右式|30000|權益|當期||缺少|0|無金額，略過"};
    const QString comparison = QStringLiteral("比較：左式 411,522.5 = 右式 0，不成立");
    QTest::newRow("the first row, a failing formula, opens with the window")
        << "" << "公式 001 計算明細" << steps << comparison;
    QTest::newRow("a missing account explains nothing") << "D" << "" << QStringList() << "";
    QTest::newRow("back on the formula") << "DU" << "公式 001 計算明細" << steps << comparison;
}

void TstCheckWindow::stepPaneFollowsTheCurrentRow()
{
    QFETCH(QString, keys);
    QFETCH(QString, formula);
    QFETCH(QStringList, steps);
    QFETCH(QString, comparison);
    Month m;
    QVERIFY2(m.ready(), qPrintable(m.db.lastError()));
    QStringList shown;
    QString formulaText;
    QString comparisonText;
    DialogRunner::Scoped driver([&](QDialog &dialog) {
        auto *window = qobject_cast<TfmVELQ8CHECK *>(&dialog);
        window->show();
        for (const QChar key : keys)
            QTest::keyClick(window->DBGridExt1, key == u'D' ? Qt::Key_Down : Qt::Key_Up);
        auto *pane = window->findChild<CheckStepPane *>(QStringLiteral("pnlSteps"));
        auto *grid = pane->findChild<QTableView *>(QStringLiteral("dgSteps"));
        QAbstractItemModelTester tester(grid->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        for (int r = 0; r < grid->model()->rowCount(); ++r) {
            QStringList fields;
            for (int c = 0; c < grid->model()->columnCount(); ++c)
                fields << grid->model()->index(r, c).data().toString();
            shown << fields.join(u'|');
        }
        formulaText = pane->findChild<QLabel *>(QStringLiteral("labFormula"))->text();
        comparisonText = pane->findChild<QLabel *>(QStringLiteral("labCompare"))->text();
        return int(QDialog::Accepted);
    });
    runOperatingCheck(&m.tab.widget, 115, 10, Bank, m.tab.labDEL, m.tab.gdeDEL, {}, nullptr, m.db.connectionName());
    QCOMPARE(shown, steps);
    QCOMPARE(formulaText, formula);
    QCOMPARE(comparisonText, comparison);
}

QTEST_MAIN(TstCheckWindow)
#include "tst_check_window.moc"
