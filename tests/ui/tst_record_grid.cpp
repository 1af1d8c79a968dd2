// What the record grid does with a value it cannot write: the refusal said once,
// with the column named, the cell kept in editing with the typed text, the
// stored value untouched. Every box is a real modal box (ModalMessages), so the
// focus leaves the editor as it does for a user.
#include "db/cached_dataset.h"
#include "tests/support/modal_messages.h"
#include "tests/support/test_database.h"
#include "tests/support/typing.h"
#include "ui/code_delegate.h"
#include "ui/record_grid.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

namespace {

// The counties 1 and 2 in a grid in editing mode: column 0 the code (a pick
// list of the codes 1 to 3), column 1 the name, 8 Big5 bytes wide.
struct GridFixture
{
    TestDatabase db{TestDatabase::Content::Empty};
    ModalMessages messages;
    CachedDataset dataset;
    RecordGrid grid{QStringLiteral("dbgeCD01")};

    bool setUp()
    {
        if (!db.isValid() || !db.insertRow("CD01", {{"HSIEN_ID", "1"}, {"HSIEN_NAME", QStringLiteral("臺北市")}})
            || !db.insertRow("CD01", {{"HSIEN_ID", "2"}, {"HSIEN_NAME", QStringLiteral("高雄市")}}))
            return false;
        dataset.setSql(QStringLiteral("select HSIEN_ID, HSIEN_NAME from CD01 order by rowid"));
        dataset.setUpdateTable(QStringLiteral("CD01"));
        dataset.setColumnTitle(QStringLiteral("HSIEN_ID"), QStringLiteral("縣市代號"));
        dataset.setColumnTitle(QStringLiteral("HSIEN_NAME"), QStringLiteral("縣  市  名 稱"));
        if (!dataset.open())
            return false;
        auto *codes = new CodeDelegate(CodeDelegate::Writes::Code, &grid);
        codes->setItems(CodeDelegate::dashed({{"1", "臺北市"}, {"2", "高雄市"}, {"3", "臺中市"}}));
        grid.setItemDelegateForColumn(0, codes);
        grid.setDataset(&dataset);
        grid.setAdvanceColumns(1);
        grid.resize(500, 300);
        grid.show();
        grid.setEditing(true);
        return QTest::qWaitForWindowActive(&grid);
    }

    QWidget *editor() { return grid.openEditor(); }
    QString editorText()
    {
        if (auto *line = qobject_cast<QLineEdit *>(editor()))
            return line->text();
        auto *combo = qobject_cast<QComboBox *>(editor());
        return combo ? combo->currentText() : QStringLiteral("<no editor>");
    }
    bool type(int row, int column, const QString &text)
    {
        grid.setCurrentIndex(dataset.index(row, column));
        QWidget *e = editor();
        if (auto *combo = qobject_cast<QComboBox *>(e))
            e = combo->lineEdit();
        auto *line = qobject_cast<QLineEdit *>(e);
        if (!line)
            return false;
        line->selectAll();
        typeText(line, text);
        return true;
    }
};

} // namespace

class TstRecordGrid : public QObject
{
    Q_OBJECT
private slots:
    void refusedValueIsSaidAndStaysInEditing_data();
    void refusedValueIsSaidAndStaysInEditing();
    void leavingARefusedCellWithTheMouseComesBack();
};

void TstRecordGrid::refusedValueIsSaidAndStaysInEditing_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("refusal");   // empty: written
    QTest::newRow("name fits") << 1 << "臺中市" << "";
    QTest::newRow("name exactly 8 bytes") << 1 << "新北市AB" << "";
    QTest::newRow("name too wide") << 1 << "臺北市政府" << "「縣 市 名 稱」超過 8 個位元組: 臺北市政府";
    QTest::newRow("name not in Big5") << 1 << "台湾" << "「縣 市 名 稱」含有 Big5 無法表示的字元: 台湾";
    // A box as wide as the screen otherwise: the value is shown shortened.
    QTest::newRow("name of 300 characters") << 1 << QString(300, u'x')
                                            << "「縣 市 名 稱」超過 8 個位元組: " + QString(20, u'x') + "...";
    QTest::newRow("code in the list") << 0 << "3" << "";
    QTest::newRow("code not in the list") << 0 << "9" << "「縣市代號」無此代號: 9";
}

void TstRecordGrid::refusedValueIsSaidAndStaysInEditing()
{
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, refusal);
    GridFixture f;
    QVERIFY(f.setUp());
    const QString before = f.dataset.value(0, f.dataset.columns().at(column)).toString();
    QVERIFY(f.type(0, column, typed));
    QTest::keyClick(f.editor(), Qt::Key_Return);
    const QString stored = f.dataset.value(0, f.dataset.columns().at(column)).toString();
    if (refusal.isEmpty()) {
        QVERIFY(f.messages.records().isEmpty());
        QCOMPARE(stored, typed);
        return;
    }
    // Said once, as a warning with the application caption, though the box took
    // the focus from the editor.
    QCOMPARE(f.messages.texts(), QStringList({refusal}));
    QCOMPARE(f.messages.records().first().icon, Messages::Icon::Warning);
    QCOMPARE(f.messages.records().first().caption, QStringLiteral("Velqora"));
    QCOMPARE(f.grid.currentIndex(), f.dataset.index(0, column));
    QCOMPARE(f.editorText(), typed);
    QCOMPARE(stored, before);
    QVERIFY(!f.dataset.hasPendingUpdates());
    QCOMPARE(f.grid.commitEditor(), RecordGrid::Commit::Refused);
    QVERIFY(!f.grid.settleEditor());
}

void TstRecordGrid::leavingARefusedCellWithTheMouseComesBack()
{
    GridFixture f;
    QVERIFY(f.setUp());
    QVERIFY(f.type(0, 1, "臺北市政府"));
    const QRect other = f.grid.visualRect(f.dataset.index(1, 1));
    QTest::mouseClick(f.grid.viewport(), Qt::LeftButton, {}, other.center());
    QTRY_COMPARE(f.grid.currentIndex(), f.dataset.index(0, 1));
    QCOMPARE(f.messages.texts(), QStringList({"「縣 市 名 稱」超過 8 個位元組: 臺北市政府"}));
    QCOMPARE(f.dataset.currentRow(), 0);
    QCOMPARE(f.editorText(), QStringLiteral("臺北市政府"));
    QCOMPARE(f.dataset.value(0, "HSIEN_NAME").toString(), QStringLiteral("臺北市"));
    // Mended, the same click goes on.
    QLineEdit *line = qobject_cast<QLineEdit *>(f.editor());
    QVERIFY(line);
    line->selectAll();
    typeText(line, "臺北");
    QTest::mouseClick(f.grid.viewport(), Qt::LeftButton, {}, other.center());
    QTRY_COMPARE(f.dataset.currentRow(), 1);
    QCOMPARE(f.dataset.value(0, "HSIEN_NAME").toString(), QStringLiteral("臺北"));
    QCOMPARE(f.messages.records().size(), 1);
}

QTEST_MAIN(TstRecordGrid)
#include "tst_record_grid.moc"
