#include "db/cached_dataset.h"
#include "db/reference_lists.h"
#include "db/table_cursor.h"
#include "reference/ui/county_window.h"
#include "reference/ui/institution_window.h"
#include "reference/ui/maintenance_grid.h"
#include "tests/support/fake_shell.h"
#include "tests/support/test_database.h"
#include "ui/messages.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

// The institutions window (TfmVELQBN01) and the counties window (TfmCD01): one
// window class configured twice, so every shared rule is a data row per window.
class TstMaintenanceWindows : public QObject
{
    Q_OBJECT
private slots:
    void openingStates_data();
    void openingStates();
    void addRunStoresEachRowUntilDiscard_data();
    void addRunStoresEachRowUntilDiscard();
    void saveRefusals_data();
    void saveRefusals();
    void modifyChangesTheNameOnly_data();
    void modifyChangesTheNameOnly();
    void deleteAsksAndRefusesCodesInUse_data();
    void deleteAsksAndRefusesCodesInUse();
    void closeBoxWhileEditingAsksToDiscard_data();
    void closeBoxWhileEditingAsksToDiscard();
    void theRowBeingEditedIsNotLeft_data();
    void theRowBeingEditedIsNotLeft();
    void countyExitRereadsTheCounties_data();
    void countyExitRereadsTheCounties();
};

namespace {

const QString WrongInput = QStringLiteral("輸入資料格式有誤,無法存檔,請查明!!!");
const QString Buttons[] = {"sbFirst", "sbLast", "sbPrior", "sbNext", "sbAdd",
                           "sbEdit", "sbDel", "sbExit", "sbPost", "sbCancel"};

// One window over a database of its own: BN01 holds 995, 9950011, 9950022 and
// CD01 holds A, B, C (in that stored order) unless `rows` says fewer.
struct Fixture
{
    explicit Fixture(const QString &which, int rows = 3) : isCounty(which == u"CD01")
    {
        const char *codes[2][3] = {{"995", "9950011", "9950022"}, {"A", "B", "C"}};
        for (int i = 0; i < rows; ++i) {
            ok = ok && db.insertRow(table(), {{codeField(), codes[isCounty][i]}, {nameField(), "名稱"}});
        }
        ok = ok && db.isValid() && shell.open();
        if (isCounty)
            window = std::make_unique<TfmCD01>(shell.references(), countyState);
        else
            window = std::make_unique<TfmVELQBN01>(shell);
        window->show();
    }

    QString table() const { return isCounty ? QStringLiteral("CD01") : QStringLiteral("BN01"); }
    QString codeField() const { return isCounty ? QStringLiteral("HSIEN_ID") : QStringLiteral("BANK_NO"); }
    QString nameField() const { return isCounty ? QStringLiteral("HSIEN_NAME") : QStringLiteral("BANK_NAME"); }
    EditMode sharedMode() const { return isCounty ? countyState : shell.mode; }
    MaintenanceGrid *grid() const { return window->grid(); }
    QPushButton *button(const QString &name) const { return window->findChild<QPushButton *>(name); }
    void click(const QString &name) const { QTest::mouseClick(button(name), Qt::LeftButton); }

    // "1010..." in the order of Buttons.
    QString states() const
    {
        QString s;
        for (const QString &name : Buttons)
            s += button(name)->isEnabled() ? u'1' : u'0';
        return s;
    }

    // Types into the open cell editor and presses a key there.
    bool type(const QString &text, Qt::Key key) const
    {
        auto *editor = qobject_cast<QLineEdit *>(grid()->openEditor());
        if (!editor)
            return false;
        editor->setText(text);
        QTest::keyClick(editor, key);
        return true;
    }

    QString storedName(const QString &code)
    {
        return db.scalar(QStringLiteral("select %1 from %2 where %3 = '%4'")
                             .arg(nameField(), table(), codeField(), code))
            .toString();
    }

    bool isCounty;
    TestDatabase db{TestDatabase::Content::Empty};
    bool ok = true;
    ScriptedMessages messages;
    FakeShell shell;
    EditMode countyState = EditMode::Browse;
    std::unique_ptr<MaintenanceWindow> window;
};

void addWindowRows()
{
    QTest::addColumn<QString>("which");
    QTest::newRow("TfmVELQBN01") << "BN01";
    QTest::newRow("TfmCD01") << "CD01";
}

} // namespace

void TstMaintenanceWindows::openingStates_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("states");   // 首筆 末筆 前筆 後筆 新增 修改 刪除 離開 存檔 放棄

    QTest::newRow("institutions, empty") << "BN01" << 0 << "0000100100";
    QTest::newRow("counties, empty: 修改 and 刪除 stay enabled") << "CD01" << 0 << "0000111100";
    QTest::newRow("institutions, one") << "BN01" << 1 << "0000111100";
    QTest::newRow("institutions, three") << "BN01" << 3 << "0101111100";
    QTest::newRow("counties, three") << "CD01" << 3 << "0101111100";
}

void TstMaintenanceWindows::openingStates()
{
    QFETCH(QString, which);
    QFETCH(int, rows);
    QFETCH(QString, states);
    Fixture f(which, rows);
    QVERIFY2(f.ok, qPrintable(f.db.lastError()));
    QCOMPARE(f.states(), states);
    QCOMPARE(f.window->statusText(), QStringLiteral("Ready"));
    QCOMPARE(f.window->objectName(), f.isCounty ? QStringLiteral("TfmCD01") : QStringLiteral("TfmVELQBN01"));
    QCOMPARE(f.window->windowTitle(), f.isCounty ? QStringLiteral("縣市別基本資料維護") : QStringLiteral("金融機構基本資料維護"));
    const QStringList titles = f.isCounty ? QStringList{"縣市別代號 ", "縣市別名稱"} : QStringList{"金融機構代碼", "金融機構名稱"};
    QCOMPARE(f.grid()->model()->columnCount(), 2);
    for (int c = 0; c < 2; ++c)
        QCOMPARE(f.grid()->model()->headerData(c, Qt::Horizontal).toString(), titles.at(c));
    QCOMPARE(f.button(QStringLiteral("sbPost"))->toolTip(), QStringLiteral("功能鍵-F5"));
    QCOMPARE(f.button(QStringLiteral("sbDel"))->toolTip(), QStringLiteral("功能鍵-F4"));
    QVERIFY(!(f.grid()->model()->flags(f.grid()->model()->index(0, 1)) & Qt::ItemIsEditable));
    QVERIFY(f.messages.records().isEmpty());
}

void TstMaintenanceWindows::addRunStoresEachRowUntilDiscard_data() { addWindowRows(); }

void TstMaintenanceWindows::addRunStoresEachRowUntilDiscard()
{
    QFETCH(QString, which);
    Fixture f(which);
    QVERIFY2(f.ok, qPrintable(f.db.lastError()));
    const QStringList codes = f.isCounty ? QStringList{"X", "Y", "Z"} : QStringList{"996", "997", "998"};
    f.click(QStringLiteral("sbAdd"));
    QCOMPARE(f.window->state(), EditMode::Add);
    QCOMPARE(f.sharedMode(), EditMode::Add);
    QCOMPARE(f.window->statusText(), QStringLiteral("新增"));
    QCOMPARE(f.states(), QStringLiteral("0000000011"));
    for (const QString &code : codes) {
        if (!f.isCounty || code == codes.first())
            QCOMPARE(f.grid()->currentIndex().column(), MaintenanceWindow::CodeColumn);
        else   // the counties window leaves the focus where it was
            f.grid()->focusColumn(MaintenanceWindow::CodeColumn);
        QVERIFY(f.type(code, Qt::Key_Tab));                   // code, Tab: the name
        QVERIFY(f.type(QStringLiteral("新") + code, Qt::Key_Return));   // name, Enter: saved
        QCOMPARE(f.storedName(code), QStringLiteral("新") + code);
        QCOMPARE(f.window->state(), EditMode::Add);
    }
    QCOMPARE(f.window->dataset().recordCount(), 3 + 3 + 1);   // and a fresh empty row
    QVERIFY(f.messages.records().isEmpty());                   // an add run shows no message
    f.click(QStringLiteral("sbCancel"));
    QCOMPARE(f.window->dataset().recordCount(), 6);
    QCOMPARE(f.db.count(f.table()), 6);
    QCOMPARE(f.window->state(), EditMode::Browse);
    QCOMPARE(f.sharedMode(), EditMode::Browse);
    QCOMPARE(f.window->statusText(), QStringLiteral("Ready"));
}

void TstMaintenanceWindows::saveRefusals_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");   // empty: stored
    QTest::addColumn<int>("focus");         // the grid's column afterwards

    const QString bytes30 = QString(15, QChar(0x540D));   // 名 takes two Big5 bytes
    QTest::newRow("institutions, empty code") << "BN01" << "" << "名" << WrongInput << 1;
    QTest::newRow("counties, empty code: the focus stays") << "CD01" << "" << "名" << WrongInput << 0;
    QTest::newRow("institutions, existing code") << "BN01" << "9950011" << "名" << "資料重覆!!!" << 0;
    QTest::newRow("counties, existing code") << "CD01" << "B" << "名" << "資料重覆!!!" << 0;
    QTest::newRow("institutions, name of 30 bytes") << "BN01" << "996" << bytes30 << "" << 0;
    QTest::newRow("institutions, name of 31 bytes")
        << "BN01" << "996" << bytes30 + "x" << "「金融機構名稱」超過 30 個位元組: " + bytes30 + "x" << 1;
    QTest::newRow("counties, name of 8 bytes") << "CD01" << "Z" << "名名名名" << "" << 0;
    QTest::newRow("counties, name of 9 bytes")
        << "CD01" << "Z" << "名名名名x" << "「縣市別名稱」超過 8 個位元組: 名名名名x" << 1;
    QTest::newRow("counties, code of 2 bytes") << "CD01" << "ZZ" << "" << "「縣市別代號」超過 1 個位元組: ZZ" << 0;
    QTest::newRow("institutions, a character Big5 lacks")
        << "BN01" << "996" << "名\U0001F600" << "「金融機構名稱」含有 Big5 無法表示的字元: 名\U0001F600" << 1;
}

void TstMaintenanceWindows::saveRefusals()
{
    QFETCH(QString, which);
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(QString, message);
    QFETCH(int, focus);
    Fixture f(which);
    QVERIFY2(f.ok, qPrintable(f.db.lastError()));
    f.click(QStringLiteral("sbAdd"));
    QVERIFY(f.type(code, Qt::Key_Tab));
    if (f.grid()->currentIndex().column() == MaintenanceWindow::NameColumn)
        QVERIFY(f.type(name, Qt::Key_Tab));   // back to the code column, without saving
    f.messages.clear();
    f.click(QStringLiteral("sbPost"));
    if (message.isEmpty()) {
        QVERIFY(f.messages.records().isEmpty());
        QCOMPARE(f.storedName(code), name);
        return;
    }
    QCOMPARE(f.messages.texts(), QStringList{message});
    QCOMPARE(f.messages.records().first().icon, Messages::Icon::Warning);
    QCOMPARE(f.messages.records().first().caption, QStringLiteral("Velqora"));
    QCOMPARE(f.grid()->currentIndex().column(), focus);
    if (message.startsWith(u'「')) {   // the refused text stays in its cell, to be mended
        auto *editor = qobject_cast<QLineEdit *>(f.grid()->openEditor());
        QVERIFY(editor);
        QCOMPARE(editor->text(), focus == MaintenanceWindow::CodeColumn ? code : name);
    }
    QCOMPARE(f.window->state(), EditMode::Add);
    QCOMPARE(f.db.count(f.table()), 3);
    QCOMPARE(f.storedName(QStringLiteral("9950011")), f.isCounty ? QString() : QStringLiteral("名稱"));
}

void TstMaintenanceWindows::modifyChangesTheNameOnly_data() { addWindowRows(); }

void TstMaintenanceWindows::modifyChangesTheNameOnly()
{
    QFETCH(QString, which);
    Fixture f(which);
    QVERIFY2(f.ok, qPrintable(f.db.lastError()));
    f.click(QStringLiteral("sbNext"));
    const QString code = f.window->dataset().value(f.codeField()).toString();
    f.click(QStringLiteral("sbEdit"));
    QCOMPARE(f.window->statusText(), QStringLiteral("修改"));
    QCOMPARE(f.sharedMode(), EditMode::Modify);
    QCOMPARE(f.grid()->currentIndex().column(), MaintenanceWindow::NameColumn);
    const QAbstractItemModel *model = f.grid()->model();
    QVERIFY(!(model->flags(model->index(1, 0)) & Qt::ItemIsEditable));
    QVERIFY(model->flags(model->index(1, 1)) & Qt::ItemIsEditable);
    // Enter while modifying goes back to the code column and saves nothing.
    QVERIFY(f.type(QStringLiteral("改名"), Qt::Key_Return));
    QCOMPARE(f.grid()->currentIndex().column(), MaintenanceWindow::CodeColumn);
    QCOMPARE(f.storedName(code), QStringLiteral("名稱"));
    f.click(QStringLiteral("sbPost"));
    QCOMPARE(f.messages.texts(), QStringList{"存檔成功!!!"});
    QCOMPARE(f.messages.records().first().icon, Messages::Icon::Information);
    QCOMPARE(f.storedName(code), QStringLiteral("改名"));
    QCOMPARE(f.db.count(f.table()), 3);
    QCOMPARE(f.window->state(), EditMode::Browse);
    QCOMPARE(f.states(), QStringLiteral("1111111100"));
}

void TstMaintenanceWindows::deleteAsksAndRefusesCodesInUse_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<bool>("inUse");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QStringList>("said");
    QTest::addColumn<QString>("states");   // the buttons afterwards

    const QString question = QStringLiteral("確定要刪除嗎 ???");
    // Two rows, the second one deleted: one is left.
    QTest::newRow("institutions, No") << "BN01" << false << false << QStringList{question} << "1111111100";
    QTest::newRow("institutions, Yes: refreshed")
        << "BN01" << false << true << QStringList{question, "刪除成功!!!"} << "0000111100";
    QTest::newRow("counties, Yes: the buttons stay as they were")
        << "CD01" << false << true << QStringList{question, "刪除成功!!!"} << "1111111100";
    QTest::newRow("institutions, in use")
        << "BN01" << true << true
        << QStringList{"金融機構代碼 9950011 仍有申報資料 (營運資料 MPBANK 2 筆、各營業單位逾期放款比率 EM03 1 筆),無法刪除!!!"}
        << "1111111100";
    QTest::newRow("counties, in use")
        << "CD01" << true << true << QStringList{"縣市別代號 B 仍有申報資料 (銀行縣市別資料 HMPBANK 1 筆),無法刪除!!!"}
        << "1111111100";
}

void TstMaintenanceWindows::deleteAsksAndRefusesCodesInUse()
{
    QFETCH(QString, which);
    QFETCH(bool, inUse);
    QFETCH(bool, answer);
    QFETCH(QStringList, said);
    QFETCH(QString, states);
    Fixture f(which, 2);
    QVERIFY2(f.ok, qPrintable(f.db.lastError()));
    if (inUse) {
        // 9950011 declares twice and is a business unit of 995 once; county B has one row.
        for (int month : {1, 2}) {
            QVERIFY(f.db.insertRow("MPBANK", {{"M_YEAR", 115}, {"M_MONTH", month}, {"BANK_CODE", "9950011"},
                                              {"ACC_CODE", "11000"}, {"AMT", 1}}));
        }
        QVERIFY(f.db.insertRow("EM03", {{"M_YEAR", 115}, {"M_MONTH", 1}, {"BANK_CODE", "995"},
                                        {"BANK_CODE1", "9950011"}, {"M_RATE", 1}}));
        QVERIFY(f.db.insertRow("HMPBANK", {{"M_YEAR", 115}, {"M_MONTH", 1}, {"BANK_CODE", "995"},
                                           {"HSIEN_ID", "B"}, {"ACC_CODE", "11000"}, {"AMT", 1}}));
    }
    f.click(QStringLiteral("sbNext"));
    const QString code = f.window->dataset().value(f.codeField()).toString();
    f.messages.answerNext(answer);
    f.click(QStringLiteral("sbDel"));
    QCOMPARE(f.messages.texts(), said);
    if (!inUse)
        QCOMPARE(f.messages.records().first().icon, Messages::Icon::Information);   // a question of the information kind
    const bool gone = !inUse && answer;
    QCOMPARE(f.db.count(f.table(), QStringLiteral("%1 = '%2'").arg(f.codeField(), code)), gone ? 0 : 1);
    QCOMPARE(f.window->dataset().recordCount(), gone ? 1 : 2);
    QCOMPARE(f.states(), states);
    QCOMPARE(f.window->statusText(), QStringLiteral("Ready"));
}

void TstMaintenanceWindows::closeBoxWhileEditingAsksToDiscard_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<bool>("modify");
    QTest::addColumn<bool>("answer");
    QTest::newRow("institutions adding, Yes") << "BN01" << false << true;
    QTest::newRow("institutions modifying, No") << "BN01" << true << false;
    QTest::newRow("counties adding, No") << "CD01" << false << false;
    QTest::newRow("counties modifying, Yes") << "CD01" << true << true;
}

void TstMaintenanceWindows::closeBoxWhileEditingAsksToDiscard()
{
    QFETCH(QString, which);
    QFETCH(bool, modify);
    QFETCH(bool, answer);
    Fixture f(which);
    QVERIFY2(f.ok, qPrintable(f.db.lastError()));
    f.click(modify ? QStringLiteral("sbEdit") : QStringLiteral("sbAdd"));
    QVERIFY(f.type(modify ? QStringLiteral("改名") : QStringLiteral("9"), Qt::Key_Tab));
    f.messages.answerNext(answer);
    f.window->close();
    QCOMPARE(f.messages.texts(), QStringList{"是否確定放棄!!!"});
    QCOMPARE(f.window->isVisible(), !answer);
    const EditMode editing = modify ? EditMode::Modify : EditMode::Add;
    QCOMPARE(f.sharedMode(), answer ? EditMode::Browse : editing);
    QCOMPARE(f.window->dataset().hasPendingUpdates() || f.window->dataset().state() != CachedDataset::State::Browse,
             !answer);
    QCOMPARE(f.db.count(f.table()), 3);
    QCOMPARE(f.storedName(f.isCounty ? QStringLiteral("A") : QStringLiteral("995")), QStringLiteral("名稱"));
}

void TstMaintenanceWindows::theRowBeingEditedIsNotLeft_data() { addWindowRows(); }

void TstMaintenanceWindows::theRowBeingEditedIsNotLeft()
{
    QFETCH(QString, which);
    Fixture f(which);
    QVERIFY2(f.ok, qPrintable(f.db.lastError()));
    f.click(QStringLiteral("sbEdit"));
    QCOMPARE(f.window->dataset().currentRow(), 0);
    const QModelIndex other = f.grid()->model()->index(2, 1);
    QTest::mouseClick(f.grid()->viewport(), Qt::LeftButton, {}, f.grid()->visualRect(other).center());
    QTest::keyClick(f.grid(), Qt::Key_Down);
    QCoreApplication::processEvents();
    QCOMPARE(f.window->dataset().currentRow(), 0);
    QCOMPARE(f.grid()->currentIndex().row(), 0);
    QVERIFY(f.messages.records().isEmpty());   // refused silently
    QCOMPARE(f.window->state(), EditMode::Modify);
}

void TstMaintenanceWindows::countyExitRereadsTheCounties_data()
{
    QTest::addColumn<bool>("discardFirst");
    QTest::newRow("added, then 離開") << false;
    QTest::newRow("added without saving, 放棄, then 離開") << true;
}

void TstMaintenanceWindows::countyExitRereadsTheCounties()
{
    QFETCH(bool, discardFirst);
    Fixture f(QStringLiteral("CD01"));
    QVERIFY2(f.ok, qPrintable(f.db.lastError()));
    ReferenceLists &lists = f.shell.references();
    f.click(QStringLiteral("sbAdd"));
    QVERIFY(f.type(QStringLiteral("W"), Qt::Key_Tab));
    if (discardFirst) {
        QVERIFY(f.type(QStringLiteral("新縣"), Qt::Key_Tab));
    } else {
        QVERIFY(f.type(QStringLiteral("新縣"), Qt::Key_Return));
    }
    f.click(QStringLiteral("sbCancel"));
    QVERIFY(!f.button(QStringLiteral("sbPost"))->isEnabled());
    f.click(QStringLiteral("sbExit"));
    QCOMPARE(f.window->result(), int(QDialog::Accepted));
    QCOMPARE(lists.qryCD01().recordCount(), discardFirst ? 3 : 4);
    QCOMPARE(lists.tblCD01().indexOfKey({QStringLiteral("W")}) >= 0, !discardFirst);
    QCOMPARE(lists.countyNames().value(QStringLiteral("W")), discardFirst ? QString() : QStringLiteral("W  新縣"));
    QVERIFY(!lists.qryCD01().hasPendingUpdates());
    // The county list is the main window's again: every field shown, none editable.
    f.window.reset();
    QCOMPARE(lists.qryCD01().columns(), lists.qryCD01().fieldNames());
    QVERIFY(!lists.qryCD01().beforePost);
}

QTEST_MAIN(TstMaintenanceWindows)
#include "tst_maintenance_windows.moc"
