#include "ui/fonts.h"

#include <QApplication>
#include <QFont>

namespace AppFonts {

void install()
{
    QFont::insertSubstitutions(QStringLiteral("標楷體"),
                               {QStringLiteral("AR PL UKai TW"), QStringLiteral("AR PL UKai TW MBE"),
                                QStringLiteral("AR PL UKai CN")});
    QFont::insertSubstitutions(QStringLiteral("細明體"),
                               {QStringLiteral("AR PL UMing TW"), QStringLiteral("AR PL UMing TW MBE"),
                                QStringLiteral("AR PL UMing CN")});
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("細明體"), QStringLiteral("AR PL UMing TW")});
    // 10 points: the result grid's title "公 ... 式" then spans its 609-pixel column as drawn.
    font.setPointSize(10);
    QApplication::setFont(font);
}

} // namespace AppFonts
