#pragma once

#include "reports/report_item.h"

#include <QList>
#include <QSizeF>
#include <QString>

// A report laid out: pages of positioned items on paper of a given size, in
// millimetres. It holds no paint device, so it is kept while the preview
// repaints it, printed, written as a PDF and read by the tests.
struct ReportDocument
{
    struct Page
    {
        QList<ReportItem> items;
    };

    QString title;
    QSizeF paperMm{210, 297};   // A4 portrait
    QList<Page> pages;

    int pageCount() const { return int(pages.size()); }
};
