#include "reports/band_layout.h"

#include <algorithm>

using Face = ReportFonts::Face;
using Role = ReportItem::Role;

// The state of one layout: the page being filled and where its next band goes.
class BandLayout::Run
{
public:
    Run(const Geometry &g, TextFitter &fitter, const ReportDefinition &definition)
        : m_g(g), m_fitter(fitter), m_def(definition)
    {
        m_contentWidth = g.paperWidth - 2 * g.margin;
        double tableWidth = 0;
        for (const ReportDefinition::Column &c : definition.columns)
            tableWidth += c.widthMm;
        // A table narrower than the page stands in its middle.
        double x = g.margin + std::max(0.0, (m_contentWidth - tableWidth) / 2);
        for (const ReportDefinition::Column &c : definition.columns) {
            m_columnX.append(x);
            x += c.widthMm;
        }
        m_bodyBottom = g.paperHeight - g.margin - g.footerHeight - g.footerGap;
        m_doc.title = definition.title;
        m_doc.paperMm = QSizeF(g.paperWidth, g.paperHeight);
    }

    void addRow(int index, const ReportRow &row)
    {
        const bool newGroup = m_def.groupsStartPages && row.group != m_group;
        m_group = row.group;
        const Band band = fitColumns(row.cells, false);
        const double height = band.lines * m_g.lineHeight + m_g.rowPadding;
        // A row never splits; a page takes at least one row whatever its height.
        if (m_doc.pages.isEmpty() || newGroup || (m_rowsOnPage > 0 && m_y + height > m_bodyBottom))
            startPage();
        for (int c = 0; c < band.cells.size(); ++c) {
            ReportItem item = cellItem(Role::Cell, c, m_y, height, band.cells.at(c), m_def.columns.at(c).alignment);
            item.row = index;
            page().items.append(std::move(item));
        }
        m_y += height;
        ++m_rowsOnPage;
    }

    ReportDocument finish()
    {
        if (m_doc.pages.isEmpty())
            startPage();
        for (int i = 0; i < m_doc.pages.size(); ++i) {
            const QRectF box(m_g.margin, m_g.paperHeight - m_g.margin - m_g.footerHeight, m_contentWidth,
                             m_g.footerHeight);
            m_doc.pages[i].items.append(textItem(Role::Footer, box, {QStringLiteral("頁次:%1").arg(i + 1)},
                                                 Qt::AlignHCenter, Face::Ming, m_g.bodyPointSize));
        }
        m_doc.measured = m_fitter.measured();
        return std::move(m_doc);
    }

private:
    // The texts of a row of cells, each fitted into its column; a band is as
    // many lines high as its fullest cell.
    struct Band
    {
        QList<TextFitter::Fitted> cells;
        int lines = 1;
    };

    ReportDocument::Page &page() { return m_doc.pages.last(); }

    // Headings always wrap: they are words, and the row of headings grows with them.
    Band fitColumns(const QStringList &texts, bool headings)
    {
        Band band;
        for (int c = 0; c < m_def.columns.size(); ++c) {
            const ReportDefinition::Column &column = m_def.columns.at(c);
            band.cells << m_fitter.fit(texts.value(c), column.widthMm - 2 * m_g.cellPadding,
                                       headings ? ReportDefinition::Fit::Wrap : column.fit, Face::Ming,
                                       m_g.bodyPointSize);
            band.lines = std::max(band.lines, int(band.cells.last().lines.size()));
        }
        return band;
    }

    ReportItem textItem(Role role, const QRectF &rect, const QStringList &lines, Qt::Alignment alignment,
                        Face face, double pointSize) const
    {
        ReportItem item;
        item.role = role;
        item.rect = rect;
        item.lines = lines;
        item.alignment = alignment;
        item.face = face;
        item.pointSize = pointSize;
        item.lineHeightMm = role == Role::Title ? m_g.titleHeight : m_g.lineHeight;
        return item;
    }

    ReportItem cellItem(Role role, int column, double y, double height, const TextFitter::Fitted &text,
                        Qt::Alignment alignment) const
    {
        const QRectF rect(m_columnX.at(column), y, m_def.columns.at(column).widthMm, height);
        ReportItem item = textItem(role, rect, text.lines, alignment, Face::Ming, text.pointSize);
        item.framed = true;
        item.paddingMm = m_g.cellPadding;
        item.column = column;
        return item;
    }

    void startPage()
    {
        m_doc.pages.append(ReportDocument::Page{});
        m_y = m_g.margin;
        m_rowsOnPage = 0;
        if (m_doc.pages.size() == 1 || m_def.titlePlacement == ReportDefinition::TitlePlacement::EveryPage)
            addTitleBlock();
        if (m_def.groupsStartPages)
            addFieldLine(Role::GroupCaption, {m_group});
        m_y += m_g.titleGap;
        addHeadings();
    }

    void addTitleBlock()
    {
        const QRectF box(m_g.margin, m_y, m_contentWidth, m_g.titleHeight);
        page().items.append(textItem(Role::Title, box, {m_def.title}, Qt::AlignHCenter, Face::Kai,
                                     m_g.titlePointSize));
        m_y += m_g.titleHeight;
        for (qsizetype i = 0; i < m_def.titleFields.size(); i += 2)
            addFieldLine(Role::TitleField, m_def.titleFields.mid(i, 2));
    }

    // One line of one or two texts: the first on the left half, the second on the right.
    void addFieldLine(Role role, const QStringList &texts)
    {
        const double half = m_contentWidth / 2;
        QList<TextFitter::Fitted> fitted;
        int lines = 1;
        for (const QString &text : texts) {
            fitted << m_fitter.fit(text, half, ReportDefinition::Fit::Wrap, Face::Ming, m_g.bodyPointSize);
            lines = std::max(lines, int(fitted.last().lines.size()));
        }
        const double height = m_g.fieldLineHeight + (lines - 1) * m_g.lineHeight;
        for (int i = 0; i < fitted.size(); ++i) {
            const QRectF box(m_g.margin + i * half, m_y, half, height);
            ReportItem item = textItem(role, box, fitted.at(i).lines, i == 0 ? Qt::AlignLeft : Qt::AlignRight,
                                       Face::Ming, fitted.at(i).pointSize);
            item.column = i;
            page().items.append(std::move(item));
        }
        m_y += height;
    }

    void addHeadings()
    {
        QStringList headings;
        for (const ReportDefinition::Column &column : m_def.columns)
            headings << column.heading;
        const Band band = fitColumns(headings, true);
        const double height = std::max(m_g.headingHeight, band.lines * m_g.lineHeight + m_g.rowPadding);
        for (int c = 0; c < band.cells.size(); ++c)
            page().items.append(cellItem(Role::Heading, c, m_y, height, band.cells.at(c), Qt::AlignHCenter));
        m_y += height;
    }

    const Geometry &m_g;
    TextFitter &m_fitter;
    const ReportDefinition &m_def;
    ReportDocument m_doc;
    QList<double> m_columnX;
    double m_contentWidth = 0;
    double m_bodyBottom = 0;
    double m_y = 0;
    int m_rowsOnPage = 0;
    QString m_group;
};

ReportDocument BandLayout::layout(const ReportDefinition &definition, const QList<ReportRow> &rows)
{
    Run run(m_geometry, m_fitter, definition);
    for (int i = 0; i < rows.size(); ++i)
        run.addRow(i, rows.at(i));
    return run.finish();
}

bool BandLayout::holds(const ReportDefinition &definition, const Geometry &g)
{
    double tableWidth = 0;
    for (const ReportDefinition::Column &c : definition.columns)
        tableWidth += c.widthMm;
    const double fieldLines = (definition.titleFields.size() + 1) / 2 + (definition.groupsStartPages ? 1 : 0);
    const double above = g.margin + g.titleHeight + fieldLines * g.fieldLineHeight + g.titleGap + g.headingHeight;
    const double below = g.footerGap + g.footerHeight + g.margin;
    const double body = g.paperHeight - above - below;
    // A hundredth of a millimetre of slack: page sizes come back from the
    // printer in points.
    return tableWidth <= g.paperWidth - 2 * g.margin + 0.01
           && body + 0.01 >= MinimumRows * (g.lineHeight + g.rowPadding);
}
