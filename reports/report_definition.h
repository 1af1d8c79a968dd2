#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <Qt>

// What a report prints, before any page exists: the title block, the columns
// and how the rows fall onto pages. The band layout turns a definition and its
// rows into pages; every report of the system is one of these.
struct ReportDefinition
{
    enum class TitlePlacement { FirstPage, EveryPage };

    // What a cell does with a text wider than itself. Nothing is ever cut.
    enum class Fit {
        Wrap,     // breaks the text onto more lines; the row grows
        Shrink,   // prints it smaller on one line (amounts keep their digits
                  // together), and wraps only below the smallest readable size
    };

    struct Column
    {
        QString heading;
        double widthMm = 0;
        Qt::Alignment alignment = Qt::AlignLeft;
        Fit fit = Fit::Wrap;
        // The number picture the column's figures print in (",#.###"); empty for
        // text and for figures printed as plain numbers. A workbook formats its
        // numbers after it.
        QString picture = {};
    };

    QString title;
    // The items under the title ("製表日期:2026/03/05", ...), two to a line: the
    // first of a pair on the left, the second on the right.
    QStringList titleFields;
    TitlePlacement titlePlacement = TitlePlacement::FirstPage;
    // When set, every group of rows (ReportRow::group) starts a new page, and the
    // header of each of its pages names it under the title block.
    bool groupsStartPages = false;
    QList<Column> columns;
};
