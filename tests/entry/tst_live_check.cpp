// The check while keying on the two month tabs, over the shipped formulas and
// the sample month 115/10: what it counts after keying agrees with what 檢核's
// own checks report over the saved month; a county edit is judged in its county;
// the status panel and the pane follow the month's editing and never write.

#include "checks/county_check.h"
#include "checks/operating_check.h"
#include "checks/ui/check_step_pane.h"
#include "checks/ui/live_check_view.h"
#include "db/cached_dataset.h"
#include "entry/county_data_tab.h"
#include "entry/month_tab.h"
#include "entry/operating_data_tab.h"
#include "tests/support/fake_shell.h"
#include "tests/support/test_database.h"
#include "ui/messages.h"
#include "ui/record_grid.h"

#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <memory>

namespace {

using Kind = LiveCheckSession::Kind;

// A month tab of the shipped database with the check while keying wired as the
// main window wires it, on the sample month 115/10.
struct LiveTab
{
    TestDatabase db;
    ScriptedMessages messages;
    FakeShell shell;
    std::unique_ptr<MonthTab> tab;
    LiveCheckView *live = nullptr;

    bool open(Kind kind)
    {
        if (!db.isValid() || !shell.open())
            return false;
        messages.setDefaultAnswer(true);
        tab = std::make_unique<MonthTab>(shell, kind == Kind::County ? CountyDataTab::description()
                                                                     : OperatingDataTab::description());
        live = new LiveCheckView(kind, *tab->dataset(), tab->grid(), tab->editColumn(), tab.get());
        tab->setLiveCheck(live->statusPanel(), live->pane());
        QObject::connect(tab.get(), &MonthTab::monthEditingChanged, live, &LiveCheckView::follow);
        tab->resize(1000, 700);
        tab->setPeriod(115, 10);
        tab->startState();
        tab->show();
        if (!QTest::qWaitForWindowExposed(tab.get()))
            return false;
        // The county tab modifies the rows it holds: they are queried first.
        if (kind == Kind::County)
            tab->query();
        tab->modify();
        return tab->isEditingMonth();
    }

    CachedDataset &ds() { return *tab->dataset(); }

    // The row of an account ("11000", or "A/10100" on the county tab).
    int rowOf(const QString &place)
    {
        const QStringList parts = place.split(u'/');
        if (parts.size() == 2)
            return ds().indexOf({QStringLiteral("HSIEN_ID"), QStringLiteral("ACC_CODE")}, {parts[0], parts[1]});
        return ds().indexOf({QStringLiteral("ACC_CODE")}, {place});
    }

    // Types the amount a row holds plus `delta` into its cell, as a user does.
    bool key(const QString &place, double delta)
    {
        const int row = rowOf(place);
        if (row < 0)
            return false;
        const double amount = ds().value(row, QStringLiteral("AMT")).toDouble() + delta;
        tab->grid()->setCurrentIndex(ds().index(row, tab->editColumn()));
        auto *editor = qobject_cast<QLineEdit *>(tab->grid()->openEditor());
        if (!editor)
            return false;
        editor->selectAll();
        QTest::keyClicks(editor, QString::number(amount, 'f', 4));
        QTest::keyClick(editor, Qt::Key_Return);
        return true;
    }

    // Edits "11000+1" or "A/10100-0.5", in order.
    bool keyAll(const QStringList &edits)
    {
        for (const QString &edit : edits) {
            const qsizetype at = edit.lastIndexOf(QRegularExpression(QStringLiteral("[+-]")));
            if (at <= 0 || !key(edit.left(at), edit.mid(at).toDouble()))
                return false;
        }
        return true;
    }

    QList<CheckResultRow> liveRows() const
    {
        QList<CheckResultRow> rows;
        const LiveCheck &check = live->session().check();
        for (const LiveCheck::Failure &failure : check.failures())
            rows.append(check.row(failure));
        return rows;
    }
};

// The formula rows of a check's findings (missing accounts are not formulas).
QList<CheckResultRow> formulaRows(const QList<CheckResultRow> &rows)
{
    QList<CheckResultRow> formulas;
    for (const CheckResultRow &row : rows) {
        if (row.source)
            formulas.append(row);
    }
    return formulas;
}

} // namespace

class TestLiveCheck : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_settings;

private slots:
    void initTestCase()
    {
        // The pane's remembered visibility goes to a folder of the test's own.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
    }

    void countAgreesWithCheck_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<int>("failing");
        using L = QStringList;
        QTest::newRow("sample month holds") << Kind::Operating << L{} << 0;
        QTest::newRow("one item of a total") << Kind::Operating << L{"11000+1"} << 1;
        QTest::newRow("two totals") << Kind::Operating << L{"11000+1", "21000+1"} << 2;
        QTest::newRow("total mended, balance broken") << Kind::Operating << L{"11000+1", "21000+1", "19999+1"} << 2;
        QTest::newRow("edit undone") << Kind::Operating << L{"11000+1", "11000-1"} << 0;
        QTest::newRow("fourth decimal counts") << Kind::Operating << L{"31000+0.0001"} << 1;
        QTest::newRow("county: one county") << Kind::County << L{"A/10100+1"} << 1;
        QTest::newRow("county: two counties") << Kind::County << L{"A/10100+1", "B/20100+1"} << 2;
        QTest::newRow("county: account of two formulas") << Kind::County << L{"A/10000+1000000"} << 2;
        QTest::newRow("county: edit undone") << Kind::County << L{"C/10100+1", "C/10100-1"} << 0;
    }

    // Keyed, counted live, saved: 檢核's own check over the saved month lists
    // exactly the formulas the live check lists, with the same remarks and values.
    void countAgreesWithCheck()
    {
        QFETCH(Kind, kind);
        QFETCH(QStringList, edits);
        QFETCH(int, failing);
        LiveTab t;
        QVERIFY(t.open(kind));
        QVERIFY(t.keyAll(edits));
        QCOMPARE(t.live->session().check().failingCount(), failing);
        QCOMPARE(t.live->labLiveCheck->text(), LiveCheckView::countText(failing));
        const QList<CheckResultRow> live = t.liveRows();

        QVERIFY(t.tab->save());
        QList<CheckResultRow> checked;
        if (kind == Kind::Operating) {
            OperatingCheck check;
            check.run(QStringLiteral("995"), 115, 10);
            checked = formulaRows(check.rows());
        } else {
            CountyCheck check;
            QCOMPARE(check.prepare(t.ds(), 115, 10), CountyCheck::Status::Ready);
            check.evaluate();
            checked = formulaRows(check.rows());
        }
        QCOMPARE(live, checked);
        // Saved, the month's editing is over, and so is the check while keying.
        QVERIFY(!t.live->session().isRunning());
        QVERIFY(t.live->statusPanel()->isHidden());
    }

    void countyEditJudgesItsCounty_data()
    {
        QTest::addColumn<QString>("place");
        QTest::addColumn<int>("judged");
        QTest::newRow("account of two formulas") << "A/10000" << 2;
        QTest::newRow("account of one formula") << "H/20100" << 1;
        QTest::newRow("ratio account") << "Z/9101p" << 1;
    }

    // Only the formulas of the account, in the county of the row; the other
    // counties keep holding.
    void countyEditJudgesItsCounty()
    {
        QFETCH(QString, place);
        QFETCH(int, judged);
        LiveTab t;
        QVERIFY(t.open(Kind::County));
        QVERIFY(t.key(place, 7));
        QCOMPARE(t.live->session().lastJudged(), judged);
        const QString county = place.section(u'/', 0, 0);
        QVERIFY(t.live->session().check().failingCount() > 0);
        for (const CheckResultRow &row : t.liveRows())
            QVERIFY2(row.remark.startsWith(county + u' '), qPrintable(row.remark));
    }

    // The pane shows the failing formulas with their steps, a click puts the
    // grid's cursor on the formula's first account without changing a value,
    // and Discard ends it all; whether the pane shows is remembered.
    void paneFollowsEditing()
    {
        QSettings(QStringLiteral("Velqora"), QStringLiteral("velq8")).remove(LiveCheckView::paneSettingKey());
        LiveTab t;
        QVERIFY(t.open(Kind::Operating));
        QVERIFY(!t.live->statusPanel()->isHidden());
        QCOMPARE(t.live->labLiveCheck->text(), QStringLiteral("公式全部相符"));
        QVERIFY(t.live->pane()->isHidden());
        QTest::mouseClick(t.live->sbLivePane, Qt::LeftButton);
        QVERIFY(!t.live->pane()->isHidden());
        QVERIFY(QSettings(QStringLiteral("Velqora"), QStringLiteral("velq8"))
                    .value(LiveCheckView::paneSettingKey())
                    .toBool());

        // 19999 (資產總計) up: 001 no longer holds; its first account is 11000.
        QVERIFY(t.key(QStringLiteral("19999"), 1));
        QTableView *list = t.live->dgLiveCheck;
        QVERIFY(list->model()->rowCount() >= 1);
        QVERIFY(list->model()->index(0, 0).data().toString().startsWith(QStringLiteral("11000+")));
        QCOMPARE(t.live->pnlSteps->labFormula->text(), QStringLiteral("公式 001 計算明細"));
        QVERIFY(t.live->pnlSteps->model()->rowCount() > 0);

        const QStringList before = [&] {
            QStringList amounts;
            for (int r = 0; r < t.ds().recordCount(); ++r)
                amounts << t.ds().value(r, QStringLiteral("AMT")).toString();
            return amounts;
        }();
        list->clicked(list->model()->index(0, 0));
        QCOMPARE(t.ds().currentRow(), t.rowOf(QStringLiteral("11000")));
        for (int r = 0; r < t.ds().recordCount(); ++r)
            QCOMPARE(t.ds().value(r, QStringLiteral("AMT")).toString(), before.at(r));

        QVERIFY(t.tab->toolbar()->discard());
        QVERIFY(!t.live->session().isRunning());
        QVERIFY(t.live->statusPanel()->isHidden());
        QVERIFY(t.live->pane()->isHidden());
        QCOMPARE(list->model()->rowCount(), 0);
        QCOMPARE(t.db.scalar(QStringLiteral("select AMT from MPBANK where ACC_CODE = '19999' and M_YEAR = 115")),
                 QVariant(t.ds().value(t.rowOf(QStringLiteral("19999")), QStringLiteral("AMT"))));

        // Remembered: the next start shows the pane as soon as a month is edited.
        LiveTab again;
        QVERIFY(again.open(Kind::Operating));
        QVERIFY(again.live->sbLivePane->isChecked());
        QVERIFY(!again.live->pane()->isHidden());
    }
};

QTEST_MAIN(TestLiveCheck)
#include "tst_live_check.moc"
