#pragma once

#include "reports/report_fonts.h"

#include <QRectF>
#include <QString>
#include <QStringList>
#include <Qt>

// One positioned piece of a laid-out page: a text box, framed or not. Positions
// are millimetres from the top left corner of the paper, sizes in points; the
// painter converts to the pixels of its device. The lines are final: the layout
// has already wrapped or shrunk them to fit between the paddings.
struct ReportItem
{
    enum class Role { Title, TitleField, GroupCaption, Heading, Cell, Footer };

    Role role = Role::Cell;
    QRectF rect;                 // the frame (or the box of an unframed text)
    QStringList lines;           // stacked from the top of the centred block
    Qt::Alignment alignment = Qt::AlignLeft;   // horizontal; lines are centred vertically
    ReportFonts::Face face = ReportFonts::Face::Ming;
    double pointSize = 10;
    double lineHeightMm = 5;
    double paddingMm = 0;        // left and right, inside the frame
    bool framed = false;
    int row = -1;                // detail row (0-based) of a cell, else -1
    int column = -1;             // column of a cell or heading, else -1

    QString text() const { return lines.join(u'\n'); }
};
