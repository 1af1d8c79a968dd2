#include "bench/bench.h"
#include "bench/bench_database.h"
#include "common/whole_file_writer.h"
#include "reports/band_layout.h"
#include "reports/bills_rate_report.h"
#include "reports/county_detail_report.h"
#include "reports/operating_check_report.h"
#include "reports/operating_detail_report.h"
#include "reports/pdf_report_writer.h"
#include "reports/report_fonts.h"

#include <QBuffer>
#include <QDir>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <algorithm>

// The reports, from the rows to the PDF file, each beside what a plain program
// prints for it:
//   report_detail  the detail report of a month of 500 accounts;
//   report_check   the check report of 800 result rows (remarks of ten-term
//                  formulas over two lines);
//   report_county  the county detail report of a month, every county (2,200
//                  rows, a page or more per county);
//   report_bills_rate  the bills-rate report of every month of the years
//                  (60 rows a month).
// Both sides read the same rows with the same statement and print the same
// texts on the same pages: the title in its face (on every page where ours
// repeats it), the title fields, framed headings and framed cells (amounts
// right-aligned from their measured width, a remark's two lines), a page per
// county, the page numbers; both paint at 1200 dpi and write the file whole and
// synced. The baseline draws each text at a fixed position of a grid: nothing
// is fitted, wrapped or cached. The two are timed in turns.
//   report_county_list  the county dialog's list over the years of county
//                  data, against the best plain query: each county of CD01
//                  looked up once in HMPBANK (a seek per county where an index
//                  leads with HSIEN_ID), flat in the years stored.
namespace {

// The plain program's pages of a report, drawn on a grid of the layout's
// measures; the PDF written as ours is.
void plainPdf(const QString &file, const ReportOutcome &outcome)
{
    const BandLayout::Geometry g;
    const ReportDefinition &d = outcome.definition;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(1200);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        QPainter painter(&pdf);
        painter.setPen(QPen(Qt::black, 0.2 * 1200 / 25.4));
        const double mm = 1200 / 25.4;
        const QFont titleFont = ReportFonts::font(ReportFonts::Face::Kai, g.titlePointSize);
        const QFont bodyFont = ReportFonts::font(ReportFonts::Face::Ming, g.bodyPointSize);
        const QFontMetricsF title(titleFont, &pdf);
        const QFontMetricsF body(bodyFont, &pdf);
        // A line of text in a box of the given height, centred vertically.
        auto line = [&](const QFontMetricsF &m, double x, double y, double width, double height,
                        Qt::Alignment alignment, const QString &text) {
            double left = x * mm;
            if (alignment & Qt::AlignRight)
                left = (x + width) * mm - m.horizontalAdvance(text);
            else if (alignment & Qt::AlignHCenter)
                left = (x + width / 2) * mm - m.horizontalAdvance(text) / 2;
            painter.drawText(QPointF(left, y * mm + (height * mm - m.height()) / 2 + m.ascent()), text);
        };
        const double contentWidth = g.paperWidth - 2 * g.margin;
        double tableWidth = 0;
        for (const ReportDefinition::Column &c : d.columns)
            tableWidth += c.widthMm;
        const double tableX = g.margin + std::max(0.0, (contentWidth - tableWidth) / 2);
        const double bodyBottom = g.paperHeight - g.margin - g.footerHeight - g.footerGap;
        int page = 0;
        double y = 0;
        int rowsOnPage = 0;
        auto startPage = [&](const QString &group) {
            if (page > 0)
                pdf.newPage();
            ++page;
            y = g.margin;
            rowsOnPage = 0;
            if (page == 1 || d.titlePlacement == ReportDefinition::TitlePlacement::EveryPage) {
                painter.setFont(titleFont);
                line(title, g.margin, y, contentWidth, g.titleHeight, Qt::AlignHCenter, d.title);
                y += g.titleHeight;
            }
            painter.setFont(bodyFont);
            QStringList fields = page == 1 || d.titlePlacement == ReportDefinition::TitlePlacement::EveryPage
                                     ? d.titleFields
                                     : QStringList();
            if (d.groupsStartPages)
                fields << group << QString();
            for (qsizetype i = 0; i + 1 < fields.size(); i += 2) {
                line(body, g.margin, y, contentWidth / 2, g.fieldLineHeight, Qt::AlignLeft, fields.at(i));
                line(body, g.margin + contentWidth / 2, y, contentWidth / 2, g.fieldLineHeight, Qt::AlignRight,
                     fields.at(i + 1));
                y += g.fieldLineHeight;
            }
            y += g.titleGap;
            double x = tableX;
            for (const ReportDefinition::Column &c : d.columns) {
                painter.drawRect(QRectF(x * mm, y * mm, c.widthMm * mm, g.headingHeight * mm));
                line(body, x, y, c.widthMm, g.headingHeight, Qt::AlignHCenter, c.heading);
                x += c.widthMm;
            }
            y += g.headingHeight;
            line(body, g.margin, g.paperHeight - g.margin - g.footerHeight, contentWidth, g.footerHeight,
                 Qt::AlignHCenter, QStringLiteral("頁次:%1").arg(page));
        };
        QString group;
        for (const ReportRow &row : outcome.rows) {
            QList<QStringList> cells;
            qsizetype lines = 1;
            for (const QString &cell : row.cells) {
                cells << cell.split(u'\n');
                lines = std::max(lines, cells.last().size());
            }
            const double height = lines * g.lineHeight + g.rowPadding;
            if (page == 0 || (d.groupsStartPages && row.group != group) || (rowsOnPage > 0 && y + height > bodyBottom))
                startPage(row.group);
            group = row.group;
            double x = tableX;
            for (int c = 0; c < d.columns.size() && c < cells.size(); ++c) {
                const ReportDefinition::Column &column = d.columns.at(c);
                painter.drawRect(QRectF(x * mm, y * mm, column.widthMm * mm, height * mm));
                const QStringList &texts = cells.at(c);
                double top = y + (height - texts.size() * g.lineHeight) / 2;
                for (const QString &text : texts) {
                    line(body, x + g.cellPadding, top, column.widthMm - 2 * g.cellPadding, g.lineHeight,
                         column.alignment, text);
                    top += g.lineHeight;
                }
                x += column.widthMm;
            }
            y += height;
            ++rowsOnPage;
        }
    }
    QString error;
    if (!WholeFileWriter::write(file, bytes, &error))
        qWarning("report: %s", qPrintable(error));
}

// A report built as the dialogs print it: laid out and written as a PDF; its pages.
int writePdf(const ReportOutcome &outcome, const QString &file)
{
    const ReportDocument document = BandLayout().layout(outcome.definition, outcome.rows);
    QString error;
    if (!PdfReportWriter::write(document, file, &error))
        qWarning("report: %s", qPrintable(error));
    return document.pageCount();
}

// Ours and the baseline timed in turns, so that a change in the machine's load
// weighs on both alike; the median of each.
BenchFigure alternating(const QString &scenario, int repeats, const std::function<void()> &ours,
                        const std::function<void()> &plain)
{
    QList<double> oursMs, plainMs;
    for (int i = 0; i < repeats; ++i) {
        oursMs << Bench::medianMs(1, ours);
        plainMs << Bench::medianMs(1, plain);
    }
    std::sort(oursMs.begin(), oursMs.end());
    std::sort(plainMs.begin(), plainMs.end());
    return {scenario, oursMs.at(repeats / 2), plainMs.at(repeats / 2)};
}

QList<CheckResultRow> checkRows(int count)
{
    QList<CheckResultRow> rows;
    for (int r = 0; r < count; ++r) {
        QString remark;
        for (int t = 0; t < 5; ++t)
            remark += QStringLiteral("A%1+").arg((r + t) % BenchDatabase::Accounts + 1, 4, 10, QChar(u'0'));
        remark.chop(1);
        remark += u'=';
        for (int t = 5; t < 10; ++t)
            remark += QStringLiteral("A%1-").arg((r + t) % BenchDatabase::Accounts + 1, 4, 10, QChar(u'0'));
        remark.chop(1);
        rows.append({remark, Decimal4::fromRaw(123456789012345 + r), Decimal4::fromRaw(-98765432100 - r)});
    }
    return rows;
}

BenchFigure billsRateFigure(const QString &file, const QString &plainFile)
{
    ReportRequest request;
    request.period = Period{0, 0};
    request.printedOn = QDate(2026, 3, 5);
    int pages = 0;
    int rows = 0;
    const BenchFigure figure = alternating(
        QStringLiteral("report_bills_rate"), 5,
        [&] { pages = writePdf(BillsRateReport::build(request), file); },
        [&] {
            const ReportOutcome outcome = BillsRateReport::build(request);
            plainPdf(plainFile, outcome);
            rows = int(outcome.rows.size());
        });
    qInfo("report_bills_rate: %d rows, %d pages", rows, pages);
    return figure;
}

QList<BenchFigure> runReportScenario(BenchContext &context)
{
    QList<BenchFigure> figures;
    const QString file = QDir(context.folder).filePath(QStringLiteral("report.pdf"));
    const QString plainFile = QDir(context.folder).filePath(QStringLiteral("plain.pdf"));
    ReportRequest request;
    request.period = Period{BenchDatabase::LastYear, 12};
    request.unit = AmountUnit(AmountUnit::Id::Thousand);
    request.printedOn = QDate(2026, 3, 5);

    int pages = 0;
    int rows = 0;
    figures.append(alternating(
        QStringLiteral("report_detail"), 9,
        [&] {
            const ReportOutcome outcome = OperatingDetailReport::build(request);
            pages = writePdf(outcome, file);
            rows = int(outcome.rows.size());
        },
        [&] { plainPdf(plainFile, OperatingDetailReport::build(request)); }));
    qInfo("report_detail: %d rows, %d pages", rows, pages);

    const QList<CheckResultRow> results = checkRows(800);
    figures.append(alternating(
        QStringLiteral("report_check"), 7,
        [&] {
            pages = writePdf(OperatingCheckReport::fromRows(request, QStringLiteral("範例商業銀行"), results), file);
        },
        [&] { plainPdf(plainFile, OperatingCheckReport::fromRows(request, QStringLiteral("範例商業銀行"), results)); }));
    qInfo("report_check: %d rows, %d pages", int(results.size()), pages);

    request.county = QStringLiteral("0");
    figures.append(alternating(
        QStringLiteral("report_county"), 5,
        [&] {
            const ReportOutcome outcome = CountyDetailReport::build(request);
            pages = writePdf(outcome, file);
            rows = int(outcome.rows.size());
        },
        [&] { plainPdf(plainFile, CountyDetailReport::build(request)); }));
    qInfo("report_county: %d rows, %d pages", rows, pages);

    QStringList items;
    QString error;
    figures.append(alternating(
        QStringLiteral("report_county_list"), 7,
        [&] { CountyDetailReport::countyItems(request.connectionName, &items, &error); },
        [&] {
            QSqlQuery q(QSqlDatabase::database(request.connectionName));
            q.exec(QStringLiteral("select C.HSIEN_ID from CD01 C where exists "
                                  "(select 1 from HMPBANK H where H.HSIEN_ID = C.HSIEN_ID) order by C.HSIEN_ID"));
            while (q.next()) {
            }
        }));
    qInfo("report_county_list: %d items", int(items.size()));
    figures.append(billsRateFigure(file, plainFile));
    return figures;
}

const BenchScenario::Registrar registrar({QStringLiteral("report"), runReportScenario});

} // namespace
