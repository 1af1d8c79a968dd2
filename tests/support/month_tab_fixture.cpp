#include "tests/support/month_tab_fixture.h"

#include "db/cached_dataset.h"
#include "ui/period_spin_edit.h"
#include "ui/record_grid.h"

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QLineEdit>
#include <QTest>

bool MonthTabFixture::setUp(const QStringList &accounts, const MonthTabDescription &description)
{
    return setUpTab(QStringLiteral("CACNO"), accounts, {}, description);
}

bool MonthTabFixture::setUpCounty(const QStringList &counties, const QStringList &accounts,
                                  const MonthTabDescription &description)
{
    return setUpTab(QStringLiteral("HCACNO"), accounts, counties, description);
}

bool MonthTabFixture::setUpTab(const QString &accountTable, const QStringList &accounts,
                               const QStringList &counties, const MonthTabDescription &description)
{
    if (!db.isValid())
        return false;
    if (!db.insertRow(QStringLiteral("BN01"), {{"BANK_NO", Bank}, {"BANK_NAME", QStringLiteral("測試銀行")}})
        || !db.insertRow(QStringLiteral("BN01"), {{"BANK_NO", "9950001"}, {"BANK_NAME", QStringLiteral("台北分行")}}))
        return false;
    for (const QString &code : accounts) {
        if (!db.insertRow(accountTable, {{"ACC_CODE", code}, {"ACC_NAME", QStringLiteral("科目") + code}}))
            return false;
    }
    for (const QString &code : counties) {
        if (!db.insertRow(QStringLiteral("CD01"), {{"HSIEN_ID", code}, {"HSIEN_NAME", QStringLiteral("縣") + code}}))
            return false;
    }
    if (!shell.open())
        return false;
    tab = std::make_unique<MonthTab>(shell, description);
    // The dataset's model signals stay consistent through every tab action.
    new QAbstractItemModelTester(tab->dataset(), QAbstractItemModelTester::FailureReportingMode::QtTest,
                                 tab.get());
    tab->resize(900, 600);
    tab->setPeriod(115, 1);
    tab->startState();
    tab->show();
    return QTest::qWaitForWindowExposed(tab.get());
}

bool MonthTabFixture::addMonth(int year, int month, const QStringList &codes, double base, const QString &bank)
{
    int serial = 0;
    for (const QString &code : codes) {
        ++serial;
        if (!db.insertRow(QStringLiteral("MPBANK"), {{"M_YEAR", year}, {"M_MONTH", month},
                                                     {"BANK_CODE", bank}, {"ACC_CODE", code},
                                                     {"AMT", base + serial}, {"SERIAL", serial}}))
            return false;
    }
    return true;
}

bool MonthTabFixture::addCountyMonth(int year, int month, const QStringList &counties,
                                     const QStringList &accounts, double base, const QString &bank)
{
    int n = 0;
    for (const QString &county : counties) {
        for (const QString &code : accounts) {
            if (!db.insertRow(QStringLiteral("HMPBANK"), {{"M_YEAR", year}, {"M_MONTH", month}, {"BANK_CODE", bank},
                                                          {"HSIEN_ID", county}, {"ACC_CODE", code},
                                                          {"AMT", base + ++n}}))
                return false;
        }
    }
    return true;
}

QAbstractButton *MonthTabFixture::button(const QString &name)
{
    return tab->findChild<QAbstractButton *>(name);
}

QString MonthTabFixture::cell(int row, int column)
{
    return ds().index(row, column).data().toString();
}

bool MonthTabFixture::click(const QString &name)
{
    QAbstractButton *b = button(name);
    if (!b || !b->isEnabled())
        return false;
    QTest::mouseClick(b, Qt::LeftButton);
    return true;
}

void MonthTabFixture::period(const QString &y, const QString &m)
{
    year()->setEditText(y);
    month()->setEditText(m);
}

QStringList MonthTabFixture::enabledButtons()
{
    QStringList names;
    for (int i = 0; i < RecordToolbar::ButtonCount; ++i) {
        QAbstractButton *b = tab->toolbar()->button(RecordToolbar::Button(i));
        if (b && b->isEnabled())
            names << b->objectName();
    }
    return names;
}

QLineEdit *MonthTabFixture::editor()
{
    return qobject_cast<QLineEdit *>(grid()->openEditor());
}

bool MonthTabFixture::startTyping(int row, const QString &text)
{
    grid()->setCurrentIndex(ds().index(row, tab->editColumn()));
    QLineEdit *e = editor();
    if (!e)
        return false;
    e->selectAll();
    QTest::keyClicks(e, text);
    return true;
}

bool MonthTabFixture::typeAmount(int row, const QString &text, Qt::Key finish)
{
    if (!startTyping(row, text))
        return false;
    QTest::keyClick(editor(), finish);
    return true;
}

QStringList MonthTabFixture::column(const QString &field)
{
    QStringList values;
    for (int r = 0; r < ds().recordCount(); ++r)
        values << ds().value(r, field).toString();
    return values;
}

bool MonthTabFixture::said(Messages::Icon icon, const QString &text, const QString &caption)
{
    for (const auto &r : messages.records()) {
        if (r.icon == icon && r.text == text && (r.isQuestion || r.caption == caption))
            return true;
    }
    return false;
}
