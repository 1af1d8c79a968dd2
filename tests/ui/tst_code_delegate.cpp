// The pick-list delegate on its own: a one-cell model, the editor it makes, and
// what a picked or typed text writes.
#include "ui/code_delegate.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QStyleOptionViewItem>
#include <QTest>

#include "tests/support/typing.h"

#include <memory>

namespace {

// The kinds of bill: codes 01 to 10, compared as text.
QList<CodeDelegate::Item> billKinds()
{
    return CodeDelegate::dashed({{"01", "商業本票"}, {"02", "融資性本票"}, {"03", "交易性本票"},
                                 {"04", "銀行承兌匯票"}, {"05", "商業承兌匯票"}, {"06", "銀行可轉讓定期存單"},
                                 {"07", "國庫券"}, {"08", "公債"}, {"09", "金融債券"}, {"10", "公司債"}});
}

struct Cell
{
    QWidget host;
    QStandardItemModel model{1, 1};
    CodeDelegate delegate;
    std::unique_ptr<QComboBox> editor;

    explicit Cell(CodeDelegate::Writes writes, const QString &stored = QStringLiteral("05"))
        : delegate(writes)
    {
        model.setHorizontalHeaderLabels({QStringLiteral("票券別")});
        model.setData(index(), stored);
        delegate.setItems(billKinds());
    }
    QModelIndex index() const { return model.index(0, 0); }
    QComboBox *open()
    {
        editor.reset(qobject_cast<QComboBox *>(delegate.createEditor(&host, QStyleOptionViewItem(), index())));
        delegate.setEditorData(editor.get(), index());
        return editor.get();
    }
    QString type(const QString &text)
    {
        open()->lineEdit()->selectAll();
        if (text.isEmpty())
            QTest::keyClick(editor->lineEdit(), Qt::Key_Backspace);
        typeText(editor->lineEdit(), text);
        return delegate.commit(editor.get(), &model, index());
    }
    QString stored() const { return model.data(index()).toString(); }
};

} // namespace

class TstCodeDelegate : public QObject
{
    Q_OBJECT
private slots:
    void pickedOrTypedTextWrites_data();
    void pickedOrTypedTextWrites();
    void editorOffersTheListAndShowsTheStoredCode();
    void untouchedOrEmptiedList();
};

void TstCodeDelegate::pickedOrTypedTextWrites_data()
{
    QTest::addColumn<bool>("writesItem");
    QTest::addColumn<QString>("unknownMessage");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");    // after the commit
    QTest::addColumn<QString>("refusal");   // empty: written
    const QString none;
    QTest::newRow("bare code") << false << none << "09" << "09" << none;
    QTest::newRow("bare code, item written") << true << none << "09" << "09-金融債券" << none;
    QTest::newRow("picked item") << false << none << "09-金融債券" << "09" << none;
    QTest::newRow("blanks around") << false << none << " 03 " << "03" << none;
    QTest::newRow("first and last code") << false << none << "10" << "10" << none;
    // Codes are compared as text and never completed: "1" is no "01" and no "10".
    QTest::newRow("1 is not 01") << false << none << "1" << "05" << "「票券別」無此代號: 1";
    QTest::newRow("9 is not 09") << false << none << "9" << "05" << "「票券別」無此代號: 9";
    QTest::newRow("name alone") << false << none << "金融債券" << "05" << "「票券別」無此代號: 金融債券";
    QTest::newRow("emptied") << false << none << "" << "05" << "「票券別」無此代號: ";
    QTest::newRow("the column's own message") << false << "無此票券別,請查明再行輸入!!!" << "11" << "05"
                                              << "無此票券別,請查明再行輸入!!!";
}

void TstCodeDelegate::pickedOrTypedTextWrites()
{
    QFETCH(bool, writesItem);
    QFETCH(QString, unknownMessage);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(QString, refusal);
    Cell cell(writesItem ? CodeDelegate::Writes::Item : CodeDelegate::Writes::Code);
    cell.delegate.setUnknownMessage(unknownMessage);
    QCOMPARE(cell.type(typed), refusal);
    QCOMPARE(cell.stored(), stored);
    QCOMPARE(cell.editor->count(), 10);   // Enter never adds the typed text to the list
}

void TstCodeDelegate::editorOffersTheListAndShowsTheStoredCode()
{
    // A stored code, or the bare code and blanks a query computes, shows its item.
    for (const QString stored : {"09", "09  "}) {
        Cell cell(CodeDelegate::Writes::Code, stored);
        QComboBox *editor = cell.open();
        QVERIFY(editor->isEditable());
        QCOMPARE(editor->count(), 10);
        QCOMPARE(editor->itemText(0), QStringLiteral("01-商業本票"));
        QCOMPARE(editor->itemText(9), QStringLiteral("10-公司債"));
        QCOMPARE(editor->currentText(), QStringLiteral("09-金融債券"));
    }
    // A value outside the list is shown as it is.
    Cell cell(CodeDelegate::Writes::Code, QStringLiteral("99"));
    QCOMPARE(cell.open()->currentText(), QStringLiteral("99"));
}

void TstCodeDelegate::untouchedOrEmptiedList()
{
    // Walking through a cell writes nothing, not even the item for the code.
    Cell walked(CodeDelegate::Writes::Item);
    QCOMPARE(walked.delegate.commit(walked.open(), &walked.model, walked.index()), QString());
    QCOMPARE(walked.stored(), QStringLiteral("05"));

    // An emptied list (after Discard) offers and takes nothing.
    Cell emptied(CodeDelegate::Writes::Code);
    emptied.delegate.clearItems();
    QCOMPARE(emptied.open()->count(), 0);
    QCOMPARE(emptied.type("07"), QStringLiteral("「票券別」無此代號: 07"));
    QCOMPARE(emptied.stored(), QStringLiteral("05"));
    QVERIFY(!emptied.delegate.resolve("07"));
}

QTEST_MAIN(TstCodeDelegate)
#include "tst_code_delegate.moc"
