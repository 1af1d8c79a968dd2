#include "bench/bench.h"
#include "bench/bench_database.h"
#include "reports/band_layout.h"
#include "reports/bills_rate_report.h"
#include "reports/county_detail_report.h"
#include "reports/operating_check_report.h"
#include "reports/operating_detail_report.h"
#include "reports/pdf_report_writer.h"
#include "reports/report_fonts.h"

#include <QDir>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSqlDatabase>
#include <QSqlQuery>

// The two operating reports, from the rows to the PDF file:
//   report_detail  the detail report of a month of 500 accounts: query, layout
//                  (every cell measured and fitted) and the PDF written;
//   report_check   the check report of 800 result rows (remarks of ten-term
//                  formulas over two lines): layout and the PDF written;
//   report_county  the county detail report of a month, every county (2,200
//                  rows, a page or more per county): query, layout and PDF.
// The baseline draws the same texts with a plain QPdfWriter at fixed positions:
// no measuring, no frames, no fitting.
//   report_county_list  the county dialog's list over the years of county
//                  data, against the best plain query: each county of CD01
//                  looked up once in HMPBANK (a seek per county where an index
//                  leads with HSIEN_ID), flat in the years stored.
//   report_bills_rate  the bills-rate report of every month of the years
//                  (60 rows a month, written for it and taken back).
namespace {

// The cells of each row drawn one line apart, 45 rows a page.
void plainPdf(const QString &file, const QList<QStringList> &rows)
{
    QPdfWriter pdf(file);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter(&pdf);
    painter.setFont(ReportFonts::font(ReportFonts::Face::Ming, 10));
    const double mm = pdf.logicalDpiY() / 25.4;
    for (int i = 0; i < rows.size(); ++i) {
        if (i > 0 && i % 45 == 0)
            pdf.newPage();
        const double y = (20 + (i % 45) * 6) * mm;
        double x = 10 * mm;
        for (const QString &cell : rows.at(i)) {
            painter.drawText(QPointF(x, y), cell);
            x += 60 * mm;
        }
    }
}

QList<QStringList> cellsOf(const QList<ReportRow> &rows)
{
    QList<QStringList> cells;
    for (const ReportRow &row : rows)
        cells << row.cells;
    return cells;
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
    const double ours = Bench::medianMs(5, [&] { pages = writePdf(BillsRateReport::build(request), file); });
    const QList<QStringList> cells = cellsOf(BillsRateReport::build(request).rows);
    const double plain = Bench::medianMs(5, [&] { plainPdf(plainFile, cells); });
    qInfo("report_bills_rate: %d rows, %d pages", int(cells.size()), pages);
    return {QStringLiteral("report_bills_rate"), ours, plain};
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
    const double detail = Bench::medianMs(7, [&] {
        const ReportOutcome outcome = OperatingDetailReport::build(request);
        pages = writePdf(outcome, file);
        rows = int(outcome.rows.size());
    });
    const QList<QStringList> detailCells = cellsOf(OperatingDetailReport::build(request).rows);
    const double detailPlain = Bench::medianMs(7, [&] { plainPdf(plainFile, detailCells); });
    figures.append({QStringLiteral("report_detail"), detail, detailPlain});
    qInfo("report_detail: %d rows, %d pages", rows, pages);

    const QList<CheckResultRow> results = checkRows(800);
    const double check = Bench::medianMs(7, [&] {
        pages = writePdf(OperatingCheckReport::fromRows(request, QStringLiteral("範例商業銀行"), results), file);
    });
    const QList<QStringList> checkCells =
        cellsOf(OperatingCheckReport::fromRows(request, QString(), results).rows);
    const double checkPlain = Bench::medianMs(7, [&] { plainPdf(plainFile, checkCells); });
    figures.append({QStringLiteral("report_check"), check, checkPlain});
    qInfo("report_check: %d rows, %d pages", int(results.size()), pages);

    request.county = QStringLiteral("0");
    const double county = Bench::medianMs(5, [&] {
        const ReportOutcome outcome = CountyDetailReport::build(request);
        pages = writePdf(outcome, file);
        rows = int(outcome.rows.size());
    });
    const QList<QStringList> countyCells = cellsOf(CountyDetailReport::build(request).rows);
    const double countyPlain = Bench::medianMs(5, [&] { plainPdf(plainFile, countyCells); });
    figures.append({QStringLiteral("report_county"), county, countyPlain});
    qInfo("report_county: %d rows, %d pages", rows, pages);

    QStringList items;
    QString error;
    const double list =
        Bench::medianMs(7, [&] { CountyDetailReport::countyItems(request.connectionName, &items, &error); });
    const double listPlain = Bench::medianMs(7, [&] {
        QSqlQuery q(QSqlDatabase::database(request.connectionName));
        q.exec(QStringLiteral("select C.HSIEN_ID from CD01 C where exists "
                              "(select 1 from HMPBANK H where H.HSIEN_ID = C.HSIEN_ID) order by C.HSIEN_ID"));
        while (q.next()) {
        }
    });
    figures.append({QStringLiteral("report_county_list"), list, listPlain});
    qInfo("report_county_list: %d items", int(items.size()));
    figures.append(billsRateFigure(file, plainFile));
    return figures;
}

const BenchScenario::Registrar registrar({QStringLiteral("report"), runReportScenario});

} // namespace
