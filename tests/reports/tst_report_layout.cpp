#include "reports/band_layout.h"
#include "reports/remark_lines.h"

#include <QTest>

// The band layout read as pages of items (never pixels), and the remark's two lines.
class TstReportLayout : public QObject
{
    Q_OBJECT
private slots:
    void rowsFillPagesUnderHeadingsAndFooter_data();
    void rowsFillPagesUnderHeadingsAndFooter();
    void titleAndGroupsByPage_data();
    void titleAndGroupsByPage();
    void cellsStandInTheirColumns();
    void wideTextsAreNeverCut_data();
    void wideTextsAreNeverCut();
    void remarkSplitsAtSixtyBig5Bytes_data();
    void remarkSplitsAtSixtyBig5Bytes();
};

namespace {

using Role = ReportItem::Role;
using Fit = ReportDefinition::Fit;
const QStringList Fields{"總機構名稱:範例銀行", "製表日期:2026/03/05", "資料基期:115年 3月", "單位金額:元"};

// The shape of the operating data detail report, one row per group given.
ReportDocument layOut(const QStringList &groups, bool titleOnEveryPage = false)
{
    ReportDefinition d;
    d.title = QStringLiteral("測試報表");
    d.titleFields = Fields;
    d.titlePlacement = titleOnEveryPage ? ReportDefinition::TitlePlacement::EveryPage
                                        : ReportDefinition::TitlePlacement::FirstPage;
    d.groupsStartPages = !groups.isEmpty() && !groups.first().isEmpty();
    d.columns = {{QStringLiteral("科目代碼"), 30, Qt::AlignLeft, Fit::Wrap},
                 {QStringLiteral("科      目      名      稱"), 100, Qt::AlignLeft, Fit::Wrap},
                 {QStringLiteral("金           額"), 60, Qt::AlignRight, Fit::Shrink}};
    QList<ReportRow> rows;
    for (int i = 0; i < groups.size(); ++i)
        rows.append({{QStringLiteral("A%1").arg(i), QStringLiteral("科目%1").arg(i), "1,234.5"}, groups.at(i)});
    return BandLayout().layout(d, rows);
}

QList<ReportItem> itemsOf(const ReportDocument::Page &page, Role role)
{
    QList<ReportItem> out;
    for (const ReportItem &item : page.items) {
        if (item.role == role)
            out << item;
    }
    return out;
}

QStringList textsOf(const ReportDocument::Page &page, Role role)
{
    QStringList out;
    for (const ReportItem &item : itemsOf(page, role))
        out << item.text();
    return out;
}

} // namespace

void TstReportLayout::rowsFillPagesUnderHeadingsAndFooter_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("pages");
    // The first page holds 39 rows under the title block, every later page 43.
    QTest::newRow("no row: the frame alone") << 0 << 1;
    QTest::newRow("first page full") << 39 << 1;
    QTest::newRow("one more row") << 40 << 2;
    QTest::newRow("second page full") << 82 << 2;
    QTest::newRow("a month of 500 accounts") << 500 << 12;
}

void TstReportLayout::rowsFillPagesUnderHeadingsAndFooter()
{
    QFETCH(int, rows);
    QFETCH(int, pages);
    const ReportDocument doc = layOut(QStringList(rows, QString()));
    QCOMPARE(doc.pageCount(), pages);
    QCOMPARE(doc.paperMm, QSizeF(210, 297));
    const double footerTop = 297 - 10 - BandLayout::Geometry().footerHeight;
    QList<int> printed;
    for (int p = 0; p < doc.pageCount(); ++p) {
        const ReportDocument::Page &page = doc.pages.at(p);
        QCOMPARE(textsOf(page, Role::Title).size(), p == 0 ? 1 : 0);
        QCOMPARE(textsOf(page, Role::Heading), (QStringList{"科目代碼", "科      目      名      稱", "金           額"}));
        QCOMPARE(textsOf(page, Role::Footer), QStringList{QStringLiteral("頁次:%1").arg(p + 1)});
        const double headingBottom = itemsOf(page, Role::Heading).first().rect.bottom();
        for (const ReportItem &cell : itemsOf(page, Role::Cell)) {
            QVERIFY(cell.rect.top() >= headingBottom - 1e-9 && cell.rect.bottom() < footerTop);
            if (cell.column == 0)
                printed << cell.row;
        }
    }
    QList<int> expected;
    for (int i = 0; i < rows; ++i)
        expected << i;
    QCOMPARE(printed, expected);   // every row once, in order, none lost at a page break
}

void TstReportLayout::titleAndGroupsByPage_data()
{
    QTest::addColumn<bool>("everyPage");
    QTest::addColumn<QStringList>("groups");       // of each row; empty texts: no groups
    QTest::addColumn<QStringList>("pageGroups");   // the group caption of each page
    QTest::addColumn<int>("titlePages");
    QTest::newRow("title on the first page only") << false << QStringList(50, "") << QStringList{"", ""} << 1;
    QTest::newRow("title on every page") << true << QStringList(100, "") << QStringList{"", "", ""} << 3;
    QTest::newRow("each group starts a page") << true << QStringList(3, "臺北市") + QStringList(2, "高雄市")
                                              << QStringList{"臺北市", "高雄市"} << 2;
    QTest::newRow("a long group goes on under its caption") << true << QStringList(45, "臺北市") + QStringList{"高雄市"}
                                                            << QStringList{"臺北市", "臺北市", "高雄市"} << 3;
}

void TstReportLayout::titleAndGroupsByPage()
{
    QFETCH(bool, everyPage);
    QFETCH(QStringList, groups);
    QFETCH(QStringList, pageGroups);
    QFETCH(int, titlePages);
    const ReportDocument doc = layOut(groups, everyPage);
    QCOMPARE(doc.pageCount(), int(pageGroups.size()));
    int titled = 0;
    for (int p = 0; p < doc.pageCount(); ++p) {
        const ReportDocument::Page &page = doc.pages.at(p);
        if (!textsOf(page, Role::Title).isEmpty()) {
            ++titled;
            QCOMPARE(textsOf(page, Role::TitleField), Fields);
        }
        const QStringList caption = pageGroups.at(p).isEmpty() ? QStringList{} : QStringList{pageGroups.at(p)};
        QCOMPARE(textsOf(page, Role::GroupCaption), caption);
        for (const ReportItem &cell : itemsOf(page, Role::Cell))
            QCOMPARE(groups.at(cell.row), pageGroups.at(p));   // no row under another group's caption
    }
    QCOMPARE(titled, titlePages);
}

void TstReportLayout::cellsStandInTheirColumns()
{
    const ReportDocument::Page page = layOut({""}).pages.first();
    const QList<ReportItem> headings = itemsOf(page, Role::Heading);
    const QList<ReportItem> cells = itemsOf(page, Role::Cell);
    const Qt::Alignment alignments[] = {Qt::AlignLeft, Qt::AlignLeft, Qt::AlignRight};
    double x = 10;   // the 190 mm table fills the page between the margins
    for (int c = 0; c < 3; ++c) {
        QCOMPARE(cells[c].text(), (QStringList{"A0", "科目0", "1,234.5"}).at(c));
        QCOMPARE(cells[c].alignment, alignments[c]);
        QCOMPARE(headings[c].alignment, Qt::AlignHCenter);
        QVERIFY(cells[c].framed && headings[c].framed);
        QCOMPARE(cells[c].rect.left(), x);
        QCOMPARE(headings[c].rect.left(), x);
        QCOMPARE(cells[c].rect.top(), headings[c].rect.bottom());
        x = cells[c].rect.right();
    }
    QCOMPARE(x, 200.0);
    const QList<ReportItem> fields = itemsOf(page, Role::TitleField);   // 總機構名稱 left, 製表日期 right
    QCOMPARE(fields.at(0).alignment | fields.at(1).alignment, Qt::AlignLeft | Qt::AlignRight);
    QCOMPARE(fields.at(0).rect.top(), fields.at(1).rect.top());
    QCOMPARE(itemsOf(page, Role::Title).first().pointSize, 20.0);
}

void TstReportLayout::wideTextsAreNeverCut_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("fit");
    QTest::addColumn<double>("widthMm");
    QTest::addColumn<bool>("smaller");
    QTest::addColumn<bool>("wrapped");
    const int shrink = int(Fit::Shrink);
    QTest::newRow("amount that fits") << "1,234,567.123" << shrink << 60.0 << false << false;
    QTest::newRow("amount wider than its cell prints smaller")
        << "123,456,789,012,345.123" << shrink << 35.0 << true << false;
    QTest::newRow("amount too wide at the smallest size wraps")
        << "123,456,789,012,345,678,901,234,567,890.123" << shrink << 20.0 << true << true;
    QTest::newRow("name wider than its cell wraps")
        << "透過損益按公允價值衡量之金融資產透過損益按公允價值衡量之金融資產" << int(Fit::Wrap) << 40.0 << false << true;
}

void TstReportLayout::wideTextsAreNeverCut()
{
    QFETCH(QString, text);
    QFETCH(int, fit);
    QFETCH(double, widthMm);
    QFETCH(bool, smaller);
    QFETCH(bool, wrapped);
    ReportDefinition d;
    d.columns = {{QStringLiteral("H"), widthMm, Qt::AlignRight, Fit(fit)}};
    const ReportItem cell = itemsOf(BandLayout().layout(d, {{{text}, {}}}).pages.first(), Role::Cell).first();
    QCOMPARE(cell.lines.join(QString()), text);   // every character kept, in order
    QCOMPARE(cell.pointSize < 10, smaller);
    QVERIFY(cell.pointSize >= TextFitter::MinPointSize);
    QCOMPARE(cell.lines.size() > 1, wrapped);
    QCOMPARE(cell.rect.height(), cell.lines.size() * 5 + 1.0);   // the row grows with its lines
    TextFitter fitter;
    for (const QString &line : cell.lines)
        QVERIFY2(fitter.widthMm(line, cell.face, cell.pointSize) <= widthMm - 2 * cell.paddingMm, qPrintable(line));
}

void TstReportLayout::remarkSplitsAtSixtyBig5Bytes_data()
{
    QTest::addColumn<QString>("remark");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    const QString a59(59, u'1');
    const QString a60(60, u'2');
    const QString c30(30, u'公');
    QTest::newRow("short: second line empty") << "11000=12000" << "11000=12000" << "";
    QTest::newRow("exactly 60 bytes") << a60 << a60 << "";
    QTest::newRow("exactly 60 bytes of double-byte characters") << c30 << c30 << "";
    QTest::newRow("61 bytes") << a60 + "x" << a60 << "x";
    QTest::newRow("character straddling byte 60 moves whole") << a59 + "缺少" << a59 << "缺少";
    QTest::newRow("120 bytes") << a60 + a60 << a60 << a60;
    QTest::newRow("more than 120 bytes keeps its tail") << c30 + c30 + "公式" << c30 << c30 + "公式";
}

void TstReportLayout::remarkSplitsAtSixtyBig5Bytes()
{
    QFETCH(QString, remark);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QCOMPARE(RemarkLines::twoLines(remark), first + u'\n' + second);
}

QTEST_MAIN(TstReportLayout)
#include "tst_report_layout.moc"
