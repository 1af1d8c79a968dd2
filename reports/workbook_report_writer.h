#pragma once

#include "reports/report_definition.h"
#include "reports/report_row.h"

#include <QList>
#include <QString>

// Writes a report as a workbook (.xlsx) for a spreadsheet: on each sheet the
// title, the title fields (the first of a pair in the first column, the second
// right-aligned in the last), the group's name when groups start pages, an
// empty row, the row of headings (the panes frozen under it) and one row per
// report row. A figure (ReportRow::figures) is a number cell, in the report's
// unit and unrounded, formatted after its column's picture
// (WorkbookNumberFormat); every other cell is the text the report prints.
//
// A report whose groups start pages (the county detail) has a sheet per group,
// named after it (SheetNames); any other has one sheet named after its title.
//
// The workbook is made in a private temporary folder, then written whole as the
// PDF is (WholeFileWriter): a failure leaves no partial file, no temporary, and
// an older file of the name as it was.
namespace WorkbookReportWriter {

// False and *error (the system's reason) when the workbook cannot be made or
// written; *sheets, when given, the number of sheets written.
bool write(const ReportDefinition &definition, const QList<ReportRow> &rows, const QString &file, QString *error,
           int *sheets = nullptr);

} // namespace WorkbookReportWriter
