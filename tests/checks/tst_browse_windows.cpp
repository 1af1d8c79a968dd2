#include "checks/ui/county_account_window.h"
#include "checks/ui/county_formula_window.h"
#include "checks/ui/operating_account_window.h"
#include "checks/ui/operating_formula_window.h"
#include "db/cached_dataset.h"
#include "tests/support/files.h"
#include "tests/support/test_database.h"
#include "ui/dialog_runner.h"
#include "ui/messages.h"

#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The four read-only browse windows: the formula windows (TfmVELQRules,
// TfmVELQHRules) and the account windows (TfmVELQCACNO, TfmVELQHCACNO).
class TstBrowseWindows : public QObject
{
    Q_OBJECT
private slots:
    void navigationButtonStates_data();
    void navigationButtonStates();
    void captionsColumnsAndWidths_data();
    void captionsColumnsAndWidths();
    void termsFollowTheFormula_data();
    void termsFollowTheFormula();
    void operatorColumnTakesOnlyOperators_data();
    void operatorColumnTakesOnlyOperators();
    void accountOrder_data();
    void accountOrder();
    void importFromTheFormulaWindow_data();
    void importFromTheFormulaWindow();
};

namespace {

// The account, formula and term tables of a window ("Rules", "HCACNO", ...).
struct Tables
{
    explicit Tables(const QString &window) : prefix(window.startsWith(u'H') ? "H" : "") {}
    QString prefix;
    QString accounts = prefix + "CACNO", headers = prefix + "RuleNo1", terms = prefix + "RuleNo2";
};

// `rows` formulas (001, 002, ...) or accounts of the window's tables.
bool fill(TestDatabase &db, const QString &window, int rows)
{
    const auto [prefix, accounts, headers, terms] = Tables(window);
    const bool formulas = window.endsWith(QStringLiteral("Rules"));
    if (formulas && !db.insertRow(accounts, {{"ACC_CODE", "10000"}, {"ACC_NAME", "資產"}}))
        return false;
    for (int i = 1; i <= rows; ++i) {
        const QString code = QStringLiteral("%1").arg(i, 3, 10, QChar(u'0'));
        const bool ok = formulas
            ? db.insertRow(headers, {{"cano", code}, {"quop", "="}, {"remark", "公式"}})
                  && db.insertRow(terms, {{"cano", code}, {"left_flag", "0"}, {"nserial", 1}, {"acc_code", "10000"}})
            : db.insertRow(accounts, {{"ACC_CODE", code}, {"ACC_NAME", "科目"}});
        if (!ok)
            return false;
    }
    return true;
}

std::unique_ptr<BrowseWindow> makeWindow(const QString &name)
{
    if (name == u"Rules")
        return std::make_unique<TfmVELQRules>();
    if (name == u"HRules")
        return std::make_unique<TfmVELQHRules>();
    if (name == u"CACNO")
        return std::make_unique<TfmVELQCACNO>();
    return std::make_unique<TfmVELQHCACNO>();
}

// "1010": 首筆, 末筆, 前筆, 後筆 enabled (1) or not (0).
QString buttonStates(QWidget &window)
{
    QString states;
    for (const char *name : {"sbFirst", "sbLast", "sbPrior", "sbNext"})
        states += window.findChild<QPushButton *>(QString::fromLatin1(name))->isEnabled() ? u'1' : u'0';
    return states;
}

QStringList columnTitles(QTableView *grid)
{
    QStringList titles;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        titles << grid->model()->headerData(c, Qt::Horizontal).toString();
    return titles;
}

QStringList column(QTableView *grid, int c)
{
    QStringList texts;
    for (int r = 0; r < grid->model()->rowCount(); ++r)
        texts << grid->model()->index(r, c).data().toString();
    return texts;
}

} // namespace

void TstBrowseWindows::navigationButtonStates_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("actions");   // button names, or "click:<row>" in the main grid
    QTest::addColumn<QString>("states");    // 首筆 末筆 前筆 後筆

    QTest::newRow("one formula, opened") << "Rules" << 1 << "" << "1111";
    QTest::newRow("one formula, any move") << "Rules" << 1 << "sbNext" << "0000";
    QTest::newRow("one formula, a click") << "Rules" << 1 << "click:0" << "0000";
    QTest::newRow("no formula, first move") << "HRules" << 0 << "sbFirst" << "0000";
    QTest::newRow("many, last") << "Rules" << 3 << "sbLast" << "1010";
    QTest::newRow("many, first") << "HRules" << 3 << "sbFirst" << "0101";
    QTest::newRow("many, forward to the last row") << "Rules" << 3 << "sbNext,sbNext" << "1111";
    QTest::newRow("many, forward from the last row") << "Rules" << 3 << "sbNext,sbNext,sbNext" << "1010";
    QTest::newRow("many, back from the first row") << "HRules" << 3 << "sbNext,sbPrior,sbPrior" << "0101";
    QTest::newRow("many, a click in the middle") << "Rules" << 3 << "sbLast,click:1" << "1111";
    QTest::newRow("accounts, opened empty") << "CACNO" << 0 << "" << "1111";
    QTest::newRow("accounts, empty, first move") << "CACNO" << 0 << "sbLast" << "0000";
    QTest::newRow("accounts, one, any move") << "HCACNO" << 1 << "sbPrior" << "0000";
    QTest::newRow("accounts, many, last then back") << "HCACNO" << 3 << "sbLast,sbPrior" << "1111";
}

void TstBrowseWindows::navigationButtonStates()
{
    QFETCH(QString, window);
    QFETCH(int, rows);
    QFETCH(QString, actions);
    QFETCH(QString, states);
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    QVERIFY(fill(db, window, rows));
    ScriptedMessages messages;
    auto w = makeWindow(window);
    w->show();
    for (const QString &action : actions.split(u',', Qt::SkipEmptyParts)) {
        if (action.startsWith(QStringLiteral("click:"))) {
            auto *grid = w->findChild<QTableView *>(QStringLiteral("dgRuleNo"));
            const QModelIndex cell = grid->model()->index(action.mid(6).toInt(), 1);
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
        } else {
            QTest::mouseClick(w->findChild<QPushButton *>(action), Qt::LeftButton);
        }
    }
    QCOMPARE(buttonStates(*w), states);
    QVERIFY(w->findChild<QPushButton *>(QStringLiteral("sbExit"))->isEnabled());
    QVERIFY(messages.records().isEmpty());
}

void TstBrowseWindows::captionsColumnsAndWidths_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QList<int>>("nameWidths");   // the term grids' "科目名稱", left and right

    QTest::newRow("TfmVELQRules") << "Rules" << "營運科目公式資料表" << QList<int>{248, 235};
    QTest::newRow("TfmVELQHRules") << "HRules" << "銀行縣市別營運科目公式資料表" << QList<int>{224, 234};
    QTest::newRow("TfmVELQCACNO") << "CACNO" << "營運科目基本資料" << QList<int>{};
    QTest::newRow("TfmVELQHCACNO") << "HCACNO" << "銀行縣市別營運科目基本資料" << QList<int>{};
}

void TstBrowseWindows::captionsColumnsAndWidths()
{
    QFETCH(QString, window);
    QFETCH(QString, caption);
    QFETCH(QList<int>, nameWidths);
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY(db.isValid());
    auto w = makeWindow(window);
    QCOMPARE(w->objectName(), QStringLiteral("TfmVELQ") + window);
    QCOMPARE(w->windowTitle(), caption);
    const bool formulas = !nameWidths.isEmpty();
    // The formula windows open maximised with a status bar; the account windows do not.
    QCOMPARE(bool(w->windowState() & Qt::WindowMaximized), formulas);
    QCOMPARE(w->findChild<QStatusBar *>(QStringLiteral("StatusBar")) != nullptr, formulas);
    const QList<QTableView *> grids = w->findChildren<QTableView *>();
    for (QTableView *grid : grids) {
        QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(grid->selectionBehavior(), QAbstractItemView::SelectRows);
    }
    if (!formulas) {
        QCOMPARE(columnTitles(grids.value(0)),
                 (QStringList{"科目代碼", "科           目          名           稱", "科    目    簡    稱"}));
        return;
    }
    auto *formulaGrid = w->findChild<QTableView *>(QStringLiteral("dgRuleNo"));
    QCOMPARE(columnTitles(formulaGrid), (QStringList{"公式編號", "公式說明"}));
    QCOMPARE(QList<int>({formulaGrid->columnWidth(0), formulaGrid->columnWidth(1)}), (QList<int>{69, 433}));
    const char *terms[] = {"dgRuleLeft", "dgRuleRight"};
    for (int side = 0; side < 2; ++side) {
        auto *grid = w->findChild<QTableView *>(QString::fromLatin1(terms[side]));
        QCOMPARE(columnTitles(grid), (QStringList{"科目名稱", "運算式", "期別"}));
        QCOMPARE(QList<int>({grid->columnWidth(0), grid->columnWidth(1)}), (QList<int>{nameWidths.at(side), 50}));
    }
    auto *combo = w->findChild<QComboBox *>(QStringLiteral("CmbQuop"));
    QVERIFY(!combo->isEnabled());
    QCOMPARE(combo->count(), 5);
}

void TstBrowseWindows::termsFollowTheFormula_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("operating") << "Rules";
    QTest::newRow("county") << "HRules";
}

void TstBrowseWindows::termsFollowTheFormula()
{
    QFETCH(QString, window);
    const auto [prefix, accounts, headers, terms] = Tables(window);
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY(db.isValid());
    auto term = [&](const char *cano, const char *side, int n, const char *code, const char *op, const char *tcurr) {
        return db.insertRow(terms, {{"cano", cano}, {"left_flag", side}, {"nserial", n}, {"acc_code", code},
                                    {"noop", op}, {"TCURR", tcurr}});
    };
    QVERIFY(db.insertRow(accounts, {{"ACC_CODE", "10000"}, {"ACC_NAME", "資產"}}));
    QVERIFY(db.insertRow(accounts, {{"ACC_CODE", "20000"}, {"ACC_NAME", "負債"}}));
    QVERIFY(db.insertRow(headers, {{"cano", "002"}, {"quop", ">="}}));
    QVERIFY(db.insertRow(headers, {{"cano", "001"}, {"quop", "<>"}}));
    // Entered out of order; 99999 is in no account table.
    QVERIFY(term("001", "0", 2, "20000", "", "1"));
    QVERIFY(term("001", "0", 1, "10000", "-", ""));
    QVERIFY(term("001", "0", 3, "99999", "+", ""));
    QVERIFY(term("001", "1", 1, "20000", "", " "));
    QVERIFY(term("002", "1", 1, "10000", "", "1"));

    auto w = makeWindow(window);
    auto *left = w->findChild<QTableView *>(QStringLiteral("dgRuleLeft"));
    auto *right = w->findChild<QTableView *>(QStringLiteral("dgRuleRight"));
    auto *quop = w->findChild<QComboBox *>(QStringLiteral("CmbQuop"));
    QCOMPARE(column(w->findChild<QTableView *>(QStringLiteral("dgRuleNo")), 0), (QStringList{"001", "002"}));
    QCOMPARE(column(left, 0), (QStringList{"10000 資產", "20000 負債"}));
    QCOMPARE(column(left, 1), (QStringList{"-", ""}));
    QCOMPARE(column(left, 2), (QStringList{"當期", "前期"}));
    QCOMPARE(column(right, 2), (QStringList{"當期"}));
    QCOMPARE(quop->currentText(), QStringLiteral("<>"));   // shown although not in the list

    QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("sbNext")), Qt::LeftButton);
    QCOMPARE(column(left, 0), QStringList());
    QCOMPARE(column(right, 0), (QStringList{"10000 資產"}));
    QCOMPARE(column(right, 2), (QStringList{"前期"}));
    QCOMPARE(quop->currentText(), QStringLiteral(">="));
    QVERIFY(!quop->isEnabled());
}

void TstBrowseWindows::operatorColumnTakesOnlyOperators_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("refused");

    QTest::newRow("+") << 1 << int(Qt::Key_Plus) << "+" << false;
    QTest::newRow("/") << 1 << int(Qt::Key_Slash) << "/" << false;
    QTest::newRow("Tab") << 1 << int(Qt::Key_Tab) << "\t" << false;
    QTest::newRow("a letter") << 1 << int(Qt::Key_A) << "a" << true;
    QTest::newRow("a digit") << 1 << int(Qt::Key_5) << "5" << true;
    QTest::newRow("Enter") << 1 << int(Qt::Key_Return) << "\r" << true;
    QTest::newRow("an arrow is not typing") << 1 << int(Qt::Key_Down) << "" << false;
    QTest::newRow("a letter in the name column") << 0 << int(Qt::Key_A) << "a" << false;
}

void TstBrowseWindows::operatorColumnTakesOnlyOperators()
{
    QFETCH(int, column);
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(bool, refused);
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY(db.isValid());
    QVERIFY(fill(db, QStringLiteral("Rules"), 1));
    QVERIFY(db.insertRow(QStringLiteral("RuleNo2"), {{"cano", "001"}, {"left_flag", "1"}, {"nserial", 1},
                                                     {"acc_code", "10000"}, {"noop", "+"}}));
    ScriptedMessages messages;
    TfmVELQRules w;
    w.show();
    for (const char *name : {"dgRuleLeft", "dgRuleRight"}) {
        auto *grid = w.findChild<QTableView *>(QString::fromLatin1(name));
        grid->setCurrentIndex(grid->model()->index(0, column));
        messages.clear();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(grid, &press);
        QCOMPARE(messages.texts(), refused ? QStringList{FormulaBrowseWindow::OperatorMessage} : QStringList());
        if (refused) {
            QCOMPARE(messages.records().first().icon, Messages::Icon::Information);
            QCOMPARE(messages.records().first().caption, QStringLiteral("Velqora"));
        }
    }
    QVERIFY(!w.leftTerms()->hasPendingUpdates() && !w.rightTerms()->hasPendingUpdates());
    QCOMPARE(db.count(QStringLiteral("RuleNo2"), QStringLiteral("noop = '+'")), 1);
}

void TstBrowseWindows::accountOrder_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QStringList>("codes");
    QTest::newRow("operating: stored order") << "CACNO" << QStringList{"30000", "10000", "20000"};
    QTest::newRow("county: by code") << "HCACNO" << QStringList{"10000", "20000", "30000"};
}

void TstBrowseWindows::accountOrder()
{
    QFETCH(QString, window);
    QFETCH(QStringList, codes);
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY(db.isValid());
    for (const char *code : {"30000", "10000", "20000"}) {
        QVERIFY(db.insertRow(window, {{"ACC_CODE", code}, {"ACC_NAME", "名稱"}, {"ACC_B_NAME", "簡稱"},
                                      {"UACNO", "U"}, {"DACNO", "D"}}));
    }
    auto w = makeWindow(window);
    auto *grid = w->findChild<QTableView *>(QStringLiteral("DBGridExt1"));
    QCOMPARE(column(grid, 0), codes);
    QCOMPARE(grid->model()->columnCount(), 3);   // UACNO and DACNO are not shown
}

void TstBrowseWindows::importFromTheFormulaWindow_data()
{
    QTest::addColumn<bool>("clean");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QStringList>("formulas");   // the grid afterwards

    QTest::newRow("clean, Yes") << true << true << QStringList{"010"};
    QTest::newRow("clean, No") << true << false << QStringList{"001"};
    QTest::newRow("faulty") << false << true << QStringList{"001"};
}

void TstBrowseWindows::importFromTheFormulaWindow()
{
    QFETCH(bool, clean);
    QFETCH(bool, answer);
    QFETCH(QStringList, formulas);
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY(db.isValid());
    QVERIFY(fill(db, QStringLiteral("Rules"), 1));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("new.tsv"));
    QVERIFY(writeFile(path, QByteArray("RuleNo1\t1\t010\t=\t\n")
                                + (clean ? "RuleNo2\t1\t010\t0\t1\t10000\t\t\n" : "RuleNo2\t1\t010\t0\t1\t77777\t\t\n")
                                + "# 公式檔結束\n"));
    ScriptedMessages messages;
    messages.answerNext(answer);
    TfmVELQRules w;
    DialogRunner::Scoped driver([&path](QDialog &dialog) {
        auto *files = qobject_cast<QFileDialog *>(&dialog);
        if (!files)
            return int(QDialog::Rejected);
        files->selectFile(path);
        return int(QDialog::Accepted);
    });
    QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("sbImport")), Qt::LeftButton);

    QCOMPARE(column(w.findChild<QTableView *>(QStringLiteral("dgRuleNo")), 0), formulas);
    QCOMPARE(db.scalar(QStringLiteral("select group_concat(cano) from RuleNo1")).toString(), formulas.join(u','));
    if (!clean) {
        QCOMPARE(messages.records().size(), 1);   // no question
        QCOMPARE(messages.records().first().icon, Messages::Icon::Warning);
        QVERIFY2(messages.lastText().contains(QStringLiteral("第 2 行: 科目代碼「77777」不在 CACNO")),
                 qPrintable(messages.lastText()));
        return;
    }
    QVERIFY(messages.records().first().isQuestion);
    QCOMPARE(messages.records().first().text, QStringLiteral("確定要以公式檔的 1 個公式取代現有的營運科目公式嗎?"));
    QCOMPARE(messages.said(QStringLiteral("公式載入成功!!!")), answer);
}

QTEST_MAIN(TstBrowseWindows)
#include "tst_browse_windows.moc"
