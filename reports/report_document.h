#pragma once

#include "reports/report_item.h"

#include <QList>
#include <QSizeF>
#include <QString>

#include <memory>

class ReferenceWidths;

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
    // The widths of the texts the layout measured, shared with every copy; a
    // painter at the layout's resolution takes them instead of measuring again.
    // Null for a document made by hand.
    std::shared_ptr<ReferenceWidths> measured;

    int pageCount() const { return int(pages.size()); }
};
