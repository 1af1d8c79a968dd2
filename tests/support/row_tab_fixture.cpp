#include "tests/support/row_tab_fixture.h"

#include "db/cached_dataset.h"
#include "entry/row_tabs.h"
#include "tests/support/typing.h"

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTest>

bool RowTabFixture::setUp(DeclarationKind::Id kind)
{
    const QList<std::pair<const char *, QString>> institutions = {
        {"995", QStringLiteral("測試銀行")},       {"9950001", QStringLiteral("台北分行")},
        {"9950002", QStringLiteral("台中分行")},   {"9950003", QStringLiteral("高雄分行")},
        {"9990000", QStringLiteral("其他銀行")},   {"9990001", QStringLiteral("其他分行")},
    };
    for (const auto &[code, name] : institutions) {
        if (!db.isValid() || !db.insertRow(QStringLiteral("BN01"), {{"BANK_NO", code}, {"BANK_NAME", name}}))
            return false;
    }
    if (!shell.open())
        return false;
    tab.reset(RowTabs::create(shell, kind));
    // The dataset's model signals stay consistent through every tab action.
    new QAbstractItemModelTester(tab->dataset(), QAbstractItemModelTester::FailureReportingMode::QtTest,
                                 tab.get());
    tab->resize(1000, 500);
    tab->setPeriod(115, 1);
    tab->startState();
    tab->show();
    return QTest::qWaitForWindowActive(tab.get());
}

bool RowTabFixture::store(const QVariantMap &values)
{
    QVariantMap row{{"M_YEAR", 115}, {"M_MONTH", 1}, {"BANK_CODE", "995"}};
    row.insert(values);
    return db.insertRow(tab->kind().table(), row);
}

bool RowTabFixture::click(RecordToolbar::Button which)
{
    QAbstractButton *b = button(which);
    if (!b || !b->isEnabled())
        return false;
    QTest::mouseClick(b, Qt::LeftButton);
    return true;
}

QString RowTabFixture::shown(int row, int column)
{
    const QModelIndex index = ds().index(row, column);
    auto *cells = qobject_cast<QStyledItemDelegate *>(grid()->itemDelegateForIndex(index));
    return cells ? cells->displayText(index.data(), QLocale()) : index.data().toString();
}

bool RowTabFixture::typeInto(RecordGrid *grid, const QString &text, Qt::Key key)
{
    QWidget *editor = grid->openEditor();
    if (auto *combo = qobject_cast<QComboBox *>(editor))
        editor = combo->lineEdit();
    auto *line = qobject_cast<QLineEdit *>(editor);
    if (!line)
        return false;
    line->selectAll();
    QTest::keyClick(line, Qt::Key_Backspace);
    typeText(line, text);
    // The key goes where a user's key goes: to the widget with the focus.
    if (key != Qt::Key_unknown)
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : line, key);
    return true;
}

bool RowTabFixture::typeRowInto(RecordGrid *grid, const QStringList &cells)
{
    for (int i = 0; i < cells.size(); ++i) {
        QString cell = cells.at(i);
        const bool enter = cell.endsWith(u'\n');
        if (enter)
            cell.chop(1);
        const Qt::Key key = enter ? Qt::Key_Return : i + 1 < cells.size() ? Qt::Key_Tab : Qt::Key_unknown;
        if (!typeInto(grid, cell, key))
            return false;
    }
    return true;
}

void RowTabFixture::clickColumn(int column)
{
    const QRect cell = grid()->visualRect(ds().index(ds().currentRow(), column));
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
}

QStringList RowTabFixture::said() const
{
    QStringList out;
    for (const ScriptedMessages::Record &r : messages.records()) {
        QString kind = r.icon == Messages::Icon::Warning ? QStringLiteral("warning")
                     : r.icon == Messages::Icon::Critical ? QStringLiteral("error")
                     : r.icon == Messages::Icon::Question ? QStringLiteral("question")
                     : r.isQuestion                       ? QStringLiteral("confirm")
                                                          : QStringLiteral("information");
        if (!r.isQuestion && r.caption != Messages::appCaption())
            kind += u'(' + r.caption + u')';
        out << kind + u':' + r.text;
    }
    return out;
}
