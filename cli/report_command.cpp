#include "cli/cli_command.h"
#include "reports/band_layout.h"
#include "reports/pdf_report_writer.h"
#include "reports/report_kind.h"
#include "reports/workbook_report_writer.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>

namespace {

QString availableNames()
{
    QStringList names;
    for (const ReportKind &kind : ReportKind::all()) {
        if (kind.isAvailable())
            names << kind.name;
    }
    return names.join(QStringLiteral(", "));
}

// The report KIND names, or nullptr with the reason printed.
const ReportKind *reportKind(CliContext &context, const QString &name)
{
    const ReportKind *kind = ReportKind::byName(name);
    if (!kind) {
        context.err << "report: unknown report " << name << " (one of " << availableNames() << ")\n";
        return nullptr;
    }
    if (!kind->isAvailable()) {
        context.err << "report: " << name << " (" << kind->caption << ") is not available yet; "
                    << "the reports available are " << availableNames() << "\n";
        return nullptr;
    }
    return kind;
}

int runReport(CliContext &context, const QStringList &args)
{
    if (args.isEmpty() || args.first().startsWith(u'-')) {
        context.err << "report needs a report: one of " << availableNames() << "\n";
        return 2;
    }
    const ReportKind *kind = reportKind(context, args.first());
    if (!kind)
        return 2;

    CliArgs rest(args.mid(1));
    ReportRequest request;
    QString error;
    bool hasYear = false;
    bool hasMonth = false;
    if (!rest.period(0, &request.period.year, &request.period.month, &hasYear, &hasMonth, &error)) {
        context.err << error << "\n";
        return 2;
    }
    QString unitText, dateText, pdf, xlsx;
    const bool hasUnit = rest.value(QStringLiteral("--unit"), &unitText);   // absent or empty: 元
    const bool hasCounty = rest.value(QStringLiteral("--county"), &request.county);
    const bool hasDate = rest.value(QStringLiteral("--date"), &dateText);
    const bool hasPdf = rest.value(QStringLiteral("--pdf"), &pdf);
    const bool hasXlsx = rest.value(QStringLiteral("--xlsx"), &xlsx);
    if (!rest.rest().isEmpty()) {
        context.err << "report: unexpected arguments: " << rest.rest().join(u' ') << "\n";
        return 2;
    }
    // A PDF, a workbook or both; an option given must name a file.
    if (!hasYear || !hasMonth || (!hasPdf && !hasXlsx) || (hasPdf && pdf.isEmpty()) || (hasXlsx && xlsx.isEmpty())) {
        context.err << "report needs --year Y --month M --pdf FILE and/or --xlsx FILE\n";
        return 2;
    }
    // One file written over by the other would be neither.
    if (hasPdf && hasXlsx && QDir::cleanPath(QFileInfo(pdf).absoluteFilePath()) == QDir::cleanPath(QFileInfo(xlsx).absoluteFilePath())) {
        context.err << "report: --pdf and --xlsx name the same file: " << pdf << "\n";
        return 2;
    }
    const std::optional<AmountUnit> unit = AmountUnit::fromText(unitText);
    if (!unit) {
        context.err << AmountUnit::refusal(unitText) << "\n";
        return 2;
    }
    request.unit = *unit;
    // What the report's dialog does not ask for is refused, never silently dropped.
    if (hasUnit && !kind->asksUnit) {
        context.err << "report: " << kind->name << " takes no --unit\n";
        return 2;
    }
    if (hasCounty && !kind->asksCounty) {
        context.err << "report: " << kind->name << " takes no --county\n";
        return 2;
    }
    // A county code is one character, as the dialog passes the first of its item.
    if (request.county.size() > 1) {
        context.err << "report: --county must be one county code, or 0 for every county: " << request.county
                    << "\n";
        return 2;
    }
    request.printedOn = hasDate ? QDate::fromString(dateText, Qt::ISODate) : QDate::currentDate();
    if (!request.printedOn.isValid()) {
        context.err << "--date must be a date YYYY-MM-DD: " << dateText << "\n";
        return 2;
    }

    if (!context.openDatabase())
        return 2;
    const ReportOutcome outcome = kind->build(request);
    if (outcome.status != ReportOutcome::Status::Ready) {
        context.err << outcome.message << "\n";
        return outcome.status == ReportOutcome::Status::NothingToPrint ? 1 : 2;
    }
    if (hasPdf) {
        const ReportDocument document = BandLayout().layout(outcome.definition, outcome.rows);
        if (!PdfReportWriter::write(document, pdf, &error)) {
            context.err << error << "\n";
            return 2;
        }
        context.out << pdf << ": " << document.pageCount() << " 頁\n";
    }
    if (hasXlsx) {
        int sheets = 0;
        if (!WorkbookReportWriter::write(outcome.definition, outcome.rows, xlsx, &error, &sheets)) {
            context.err << error << "\n";
            return 2;
        }
        context.out << xlsx << ": " << sheets << " 工作表\n";
    }
    return 0;
}

const CliCommand::Registrar registrar({
    QStringLiteral("report"),
    QStringLiteral("report KIND --year Y --month M [--unit 元|仟元|萬元|百萬元] [--county C] [--date YYYY-MM-DD] "
                   "[--pdf FILE] [--xlsx FILE]"),
    QStringLiteral("Writes a report of the month as a PDF, as the report dialogs print it (--pdf),\n"
                   "or as a workbook for a spreadsheet (--xlsx: amounts as numbers formatted as the\n"
                   "report prints them, a sheet per county for county-detail), or both. KIND is\n"
                   "operating-detail (營運資料明細表), operating-check (營運資料明細檢核表),\n"
                   "overdue-ratio (各營業單位逾期放款超過 3%  明細表), bills-rate (兼營票券利率業務統計表),\n"
                   "bills-trading (兼營票券交易業務統計表), county-detail (銀行縣市別營運資料明細表) or\n"
                   "county-check (銀行縣市別營運資料檢核表). For overdue-ratio, bills-rate and\n"
                   "bills-trading a year or month of 0 leaves that part of the period open. --unit\n"
                   "scales the amounts of operating-detail and county-detail and is only printed by\n"
                   "the others (default 元; county-check takes none), --county is the county code of\n"
                   "county-detail (0 or absent: every county), --date is the printing date (default\n"
                   "today). Prints each file and its pages (a workbook: its sheets). Exit status 0\n"
                   "the files were written, 1 nothing to print (the report's message; no file), 2\n"
                   "wrong input or a failure (no partial file is left)."),
    runReport,
    true,
});

} // namespace
