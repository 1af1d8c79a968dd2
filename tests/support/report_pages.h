#pragma once

#include "reports/report_document.h"
#include "reports/report_outcome.h"
#include "reports/report_request.h"

#include <QDate>
#include <QStringList>

// Reading a report as its pages of items, never pixels. Header only: the report
// tests link the report library themselves.
namespace ReportPages {

// The parameters of a report printed on 2026-03-05.
inline ReportRequest request(int year, int month, const QString &unit = QStringLiteral("元"))
{
    ReportRequest r;
    r.period = Period{year, month};
    r.unit = AmountUnit::fromText(unit).value();
    r.printedOn = QDate(2026, 3, 5);
    return r;
}

// Each detail row as it stands on the pages, its cells joined by "|".
inline QStringList lines(const ReportDocument &document)
{
    QStringList out;
    int row = -1;
    for (const ReportDocument::Page &page : document.pages) {
        for (const ReportItem &item : page.items) {
            if (item.role != ReportItem::Role::Cell)
                continue;
            if (item.row != row)
                out << QString();
            else
                out.last() += u'|';
            row = item.row;
            out.last() += item.text();
        }
    }
    return out;
}

// What a report gave instead of pages, as one text to compare: the message
// with how the windows show it ("plain: 查無符合資料理!!", "warning: ...",
// "silent: ..."); "ready" when there is something to print.
inline QString outcome(const ReportOutcome &o)
{
    if (o.isReady())
        return QStringLiteral("ready");
    const char *notice[] = {"plain", "warning", "error", "silent"};
    const QString status = o.status == ReportOutcome::Status::Failed ? QStringLiteral(" (failed)") : QString();
    return QString::fromLatin1(notice[int(o.notice)]) + QStringLiteral(": ") + o.message + status;
}

// The cells of every row, for a comparison with the rows expected.
inline QList<QStringList> cells(const QList<ReportRow> &rows)
{
    QList<QStringList> out;
    for (const ReportRow &row : rows)
        out << row.cells;
    return out;
}

} // namespace ReportPages
