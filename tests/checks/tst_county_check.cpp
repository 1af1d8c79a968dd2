// The county check: its order (per county the failing formulas, then the missing
// accounts), counties without rows, the remark cut by Big5 bytes, what it takes
// from the rows held, the runner's messages and progress, and velq8-cli check
// --county giving the rows of the window.
#include "checks/county_check.h"
#include "checks/explanation_text.h"
#include "checks/formula_set.h"
#include "checks/ui/check_window.h"
#include "checks/ui/check_result_model.h"
#include "checks/ui/check_step_pane.h"
#include "checks/ui/county_check_runner.h"
#include "common/big5_text.h"
#include "db/cached_dataset.h"
#include "db/declaration_kind.h"
#include "tests/support/cli_process.h"
#include "tests/support/explanation_match.h"
#include "tests/support/test_database.h"
#include "ui/dialog_runner.h"
#include "ui/messages.h"

#include <QLabel>
#include <QProgressBar>
#include <QStandardItemModel>
#include <QtTest>

namespace {

using Status = CountyCheck::Status;

QList<FormulaTerm> side(const QStringList &codes)
{
    QList<FormulaTerm> terms;
    for (const QString &code : codes)
        terms.append({code, QStringLiteral("+")});
    if (!terms.isEmpty())
        terms.last().noop.clear();
    return terms;
}

// The county tab's dataset after a query of the month (or closed when month is 0).
void query(CachedDataset &rows, int year, int month)
{
    const PeriodQuery &q = DeclarationKind::get(DeclarationKind::B05).tabQuery();
    rows.setSql(q.statement(true, true));
    rows.setParam(q.yearParam, year);
    rows.setParam(q.monthParam, month);
    if (month != 0)
        QVERIFY2(rows.open(), qPrintable(rows.lastError()));
}

} // namespace

class TstCountyCheck : public QObject
{
    Q_OBJECT
private slots:
    void perCountyFormulasThenMissingAccounts();
    void remarkCutByBytes_data();
    void remarkCutByBytes();
    void prepareTakesTheRowsFirstThenThePeriod_data();
    void prepareTakesTheRowsFirstThenThePeriod();
    void amountsOfTheMonthFirstRowWins();
    void runnerOnTheSampleMonth_data();
    void runnerOnTheSampleMonth();
    void everyFailingRowIsExplainedInItsCounty_data();
    void everyFailingRowIsExplainedInItsCounty();
};

void TstCountyCheck::perCountyFormulasThenMissingAccounts()
{
    const FormulaSet set({{"001", "=", side({"10000"}), side({"20000"})}, {"002", ">", side({"10000"}), side({"20000"})}},
                         {{"10000", "甲"}, {"20000", "乙"}, {"30000", "丙"}});
    const QList<CountyCheck::County> counties{{"A", "A  臺北市"}, {"B", "B  臺中市"}, {"C", "C  基隆市"}};
    CountyAmounts amounts;
    amounts.add(u"A", u"10000", 1);
    amounts.add(u"A", u"20000", 2);
    amounts.add(u"B", u"10000", 3);
    amounts.add(u"B", u"20000", 3);   // C has no rows: judged on zeros
    QList<int> progress;
    const QList<CheckResultRow> rows
        = CountyCheck::evaluate(set, counties, amounts, [&](int k, int n) { progress << k * 100 / n; });
    QStringList remarks;
    QStringList values;
    QStringList sources;   // formula and county positions
    for (const CheckResultRow &r : rows) {
        remarks << r.remark;
        values << (r.left ? r.left->toString() + u'/' + r.right->toString() : QString());
        sources << (r.source ? QStringLiteral("%1/%2").arg(r.source->formula).arg(r.source->county) : QString());
    }
    const QString missing30000 = QStringLiteral("缺少營運科目: 30000   丙");
    QCOMPARE(remarks, QStringList({"A  臺北市資料有誤   10000=20000", "A  臺北市資料有誤   10000>20000", missing30000,
                                   "B  臺中市資料有誤   10000>20000", missing30000,
                                   "C  基隆市資料有誤   10000>20000", "缺少營運科目: 10000   甲",
                                   "缺少營運科目: 20000   乙", missing30000}));
    QCOMPARE(values, QStringList({"1/2", "1/2", "", "3/3", "", "0/0", "", "", ""}));
    QCOMPARE(sources, QStringList({"0/0", "1/0", "", "1/1", "", "1/2", "", "", ""}));
    QCOMPARE(progress, QList<int>({33, 66, 100}));
    QVERIFY(CountyCheck::evaluate(set, {}, amounts).isEmpty());   // no county, nothing judged
}

void TstCountyCheck::remarkCutByBytes_data()
{
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<QString>("expectedTail");   // after the 20-byte prefix
    QTest::newRow("short: whole") << QStringList({"H1"}) << "H1=H2";
    // By characters 120 would be 128 bytes: the 8 double-byte of the prefix count twice.
    const QStringList many(40, QStringLiteral("H0001"));
    QTest::newRow("ASCII: 120 bytes") << many << (QStringList(many).join(u'+') + "=H2").left(100);
    // 99 ASCII bytes after the prefix; "甲" would take bytes 120 and 121.
    QTest::newRow("double-byte across 120") << QStringList({QString(99, u'x') + "甲乙"}) << QString(99, u'x');
}

void TstCountyCheck::remarkCutByBytes()
{
    QFETCH(QStringList, left);
    QFETCH(QString, expectedTail);
    const FormulaSet set({{"001", "=", side(left), side({"H2"})}}, {});
    CountyAmounts amounts;
    amounts.add(u"A", u"H2", 1);
    const QList<CheckResultRow> rows = CountyCheck::evaluate(set, {{"A", "A  臺北市"}}, amounts);
    QCOMPARE(rows.size(), 1);
    const QString prefix = QStringLiteral("A  臺北市資料有誤   ");
    QCOMPARE(Big5Text::byteLength(prefix), 20);
    QCOMPARE(rows.first().remark, prefix + expectedTail);
    QVERIFY(Big5Text::byteLength(rows.first().remark) <= CheckResultRow::RemarkWidth);
}

void TstCountyCheck::prepareTakesTheRowsFirstThenThePeriod_data()
{
    QTest::addColumn<int>("queried");   // the month the rows were read for; 0: closed
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<Status>("status");
    QTest::newRow("closed, period 0") << 0 << 0 << 10 << Status::NoRows;
    QTest::newRow("empty, period 0") << 9 << 115 << 0 << Status::NoRows;
    QTest::newRow("rows, year 0") << 10 << 0 << 10 << Status::PeriodIncomplete;
    QTest::newRow("rows, month 0") << 10 << 115 << 0 << Status::PeriodIncomplete;
    QTest::newRow("rows, whole period") << 10 << 115 << 10 << Status::Ready;
}

void TstCountyCheck::prepareTakesTheRowsFirstThenThePeriod()
{
    QFETCH(int, queried);
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(Status, status);
    TestDatabase db;
    QVERIFY(db.isValid());
    CachedDataset rows;
    query(rows, 115, queried);
    CountyCheck check;
    QCOMPARE(check.prepare(rows, year, month), status);
}

void TstCountyCheck::amountsOfTheMonthFirstRowWins()
{
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY(db.isValid());
    QVERIFY(db.insertRow("CD01", {{"HSIEN_ID", "A"}, {"HSIEN_NAME", "甲市"}}));
    QVERIFY(db.insertRow("HCACNO", {{"ACC_CODE", "10000"}, {"ACC_NAME", "甲"}}));
    for (const auto &[bank, amount] : QList<std::pair<QString, double>>{{"995", 1}, {"996", 2}})
        QVERIFY(db.insertRow("HMPBANK", {{"M_YEAR", 115}, {"M_MONTH", 1}, {"BANK_CODE", bank}, {"HSIEN_ID", "A"},
                                         {"ACC_CODE", "10000"}, {"AMT", amount}}));
    CachedDataset rows;
    query(rows, 115, 1);
    QCOMPARE(rows.recordCount(), 2);
    const CountyAmounts month = CountyAmounts::fromRows(rows, 115, 1);
    QCOMPARE(month.size(), 1);
    QCOMPARE(month.of("A").find("10000")->toString(), QStringLiteral("1"));
    // The rows held are of another month than the one checked: nothing is found.
    QCOMPARE(CountyAmounts::fromRows(rows, 115, 2).size(), 0);
}

void TstCountyCheck::runnerOnTheSampleMonth_data()
{
    QTest::addColumn<QString>("change");      // applied to the sample database first
    QTest::addColumn<int>("month");           // the tab's month (its rows are 115/10's)
    QTest::addColumn<QStringList>("said");
    QTest::addColumn<int>("windowRows");      // -1: no window
    QTest::newRow("every formula holds") << "" << 10 << QStringList({"資料完全符合!!!"}) << -1;
    QTest::newRow("no rows held") << "DELETE FROM HMPBANK" << 10 << QStringList() << -1;
    QTest::newRow("month 0") << "" << 0 << QStringList({"請輸入欲檢核之年月資料!!!"}) << -1;
    QTest::newRow("a changed amount fails its formula")
        << "UPDATE HMPBANK SET AMT = AMT + 1 WHERE HSIEN_ID = 'B' AND ACC_CODE = '10000'" << 10 << QStringList() << 1;
}

void TstCountyCheck::runnerOnTheSampleMonth()
{
    QFETCH(QString, change);
    QFETCH(int, month);
    QFETCH(QStringList, said);
    QFETCH(int, windowRows);
    TestDatabase db;
    QVERIFY(db.isValid());
    if (!change.isEmpty())
        QVERIFY(db.exec(change));
    CachedDataset rows;
    query(rows, 115, 10);
    ScriptedMessages messages;
    QWidget tab;
    auto *label = new QLabel(&tab);
    auto *gauge = new QProgressBar(&tab);
    tab.show();
    QList<int> progress;
    QObject::connect(gauge, &QProgressBar::valueChanged, [&](int v) { progress << v; });
    QList<CheckResultRow> shown;
    QString paneComparison;   // the steps of the first row, in its county
    DialogRunner::Scoped driver([&](QDialog &dialog) {
        shown = qobject_cast<TfmVELQ8CHECK *>(&dialog)->model()->rows();
        if (auto *pane = dialog.findChild<CheckStepPane *>(); pane && pane->model()->rowCount() > 0)
            paneComparison = pane->labCompare->text();
        return int(QDialog::Accepted);
    });
    runCountyCheck(&tab, rows, 115, month, label, gauge);
    QCOMPARE(messages.texts(), said);
    QCOMPARE(windowRows < 0 ? -1 : int(shown.size()), windowRows);
    QVERIFY(!gauge->isVisible());
    QCOMPARE(label->text(), QString());
    // The gauge followed the counties only when something was evaluated.
    const bool evaluated = windowRows >= 0 || said.contains("資料完全符合!!!");
    QCOMPARE(progress.isEmpty() ? 0 : progress.last(), evaluated ? 100 : 0);
    if (windowRows < 0)
        return;
    for (const CheckResultRow &r : shown)
        QVERIFY2(r.remark.startsWith(QStringLiteral("B  ")), qPrintable(r.remark));
    // The pane opened on the first row shows the values of that row, in its county.
    using ExplanationText::Numbers;
    QVERIFY2(paneComparison.endsWith(ExplanationText::number(*shown.first().left, Numbers::Grouped) + " = 右式 "
                                     + ExplanationText::number(*shown.first().right, Numbers::Grouped) + "，不成立"),
             qPrintable(paneComparison));
    // velq8-cli check --county lists the rows of the window, line by line.
    const CliProcess cli = velq8(db.path(), {"check", "--county", "--year", "115", "--month", "10"});
    QStringList lines;
    for (const CheckResultRow &r : shown)
        lines << r.remark + u'\t' + r.left->toString() + u'\t' + r.right->toString();
    QCOMPARE(cli.out, lines.join(u'\n') + u'\n');
    QCOMPARE(cli.status, 1);
}

void TstCountyCheck::everyFailingRowIsExplainedInItsCounty_data()
{
    QTest::addColumn<QString>("change");    // applied to the sample month first
    QTest::addColumn<int>("formulaRows");   // failing formulas at least
    QTest::newRow("one county's amount changed")
        << "UPDATE HMPBANK SET AMT = AMT + 1 WHERE HSIEN_ID = 'B' AND ACC_CODE = '10000'" << 1;
    QTest::newRow("amounts differ by county")
        << "UPDATE HMPBANK SET AMT = AMT * ((select count(*) from CD01 c where c.HSIEN_ID < HMPBANK.HSIEN_ID) % 3) "
           "- rowid % 5 * 0.0007" << 40;
    QTest::newRow("every fourth row missing") << "DELETE FROM HMPBANK WHERE rowid % 4 = 0" << 20;
    QTest::newRow("deposits 0: divisions by 0") << "UPDATE HMPBANK SET AMT = 0 WHERE ACC_CODE = '10000'" << 22;
}

void TstCountyCheck::everyFailingRowIsExplainedInItsCounty()
{
    QFETCH(QString, change);
    QFETCH(int, formulaRows);
    TestDatabase db;
    QVERIFY(db.isValid());
    QVERIFY(db.exec(change));
    CachedDataset rows;
    query(rows, 115, 10);
    CountyCheck check;
    QCOMPARE(check.prepare(rows, 115, 10), Status::Ready);
    QCOMPARE(check.evaluate(), Status::RowsFound);
    int explained = 0;
    for (const CheckResultRow &row : check.rows()) {
        // The amounts of the county whose code and name begin the remark.
        const QString county = row.source ? check.counties().at(row.source->county).id : QString();
        QVERIFY2(!row.left || row.remark.startsWith(county + QStringLiteral("  ")), qPrintable(row.remark));
        const auto e = check.explain(row);
        const QString mismatch = explanationMismatch(row, e, check.amounts().of(county));
        QVERIFY2(mismatch.isEmpty(), qPrintable(row.remark + u' ' + mismatch));
        explained += e ? 1 : 0;
    }
    QVERIFY2(explained >= formulaRows, qPrintable(QString::number(explained)));
}

QTEST_MAIN(TstCountyCheck)
#include "tst_county_check.moc"
