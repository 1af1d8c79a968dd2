#include "reports/report_fonts.h"

namespace ReportFonts {

QStringList families(Face face)
{
    if (face == Face::Kai)
        return {QStringLiteral("AR PL UKai TW"), QStringLiteral("AR PL UKai TW MBE"), QStringLiteral("標楷體")};
    return {QStringLiteral("AR PL UMing TW"), QStringLiteral("AR PL UMing TW MBE"), QStringLiteral("細明體")};
}

QFont font(Face face, double pointSize)
{
    QFont f;
    f.setFamilies(families(face));
    f.setPointSizeF(pointSize);
    // Glyph advances as designed, not snapped to pixels of one resolution: the
    // widths measured for the layout hold on the PDF, the printer and the preview.
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

} // namespace ReportFonts
