#include "views/core/display_fonts.h"

#include <QStringList>

namespace vt640 {

QFont arialFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arimo"), QStringLiteral("Nimbus Sans"),
                      QStringLiteral("Helvetica")});
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QFont arialFontPixels(int pixels, bool bold)
{
    QFont font = arialFont();
    font.setPixelSize(pixels > 0 ? pixels : 1);
    font.setBold(bold);
    return font;
}

QFont arialFontPoints(int points)
{
    QFont font = arialFont();
    font.setPointSize(points > 0 ? points : 1);
    return font;
}

QFont timesFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                      QStringLiteral("Tinos"), QStringLiteral("Nimbus Roman"),
                      QStringLiteral("Times")});
    font.setStyleHint(QFont::Serif);
    return font;
}

} // namespace vt640
