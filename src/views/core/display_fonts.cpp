#include "views/core/display_fonts.h"

#include <QFontMetrics>
#include <QStringList>

#include <algorithm>

namespace vt640 {

QFont arialFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                      QStringLiteral("Nimbus Sans"), QStringLiteral("Helvetica")});
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
    font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"), QStringLiteral("Tinos"),
                      QStringLiteral("Nimbus Roman"), QStringLiteral("Times")});
    font.setStyleHint(QFont::Serif);
    return font;
}

QFont fontFittingWidth(QFont font, const QString& text, int width)
{
    const bool pixels = font.pixelSize() > 0;
    for (;;) {
        const int size = pixels ? font.pixelSize() : font.pointSize();
        const int advance = QFontMetrics(font).horizontalAdvance(text);
        if (size <= 1 || advance <= width)
            return font;
        // The width follows the size closely: jump close to the fit, then step.
        const int guess = std::min(
            size - 1, std::max(1, static_cast<int>(static_cast<long long>(size) * width / std::max(advance, 1))));
        if (pixels)
            font.setPixelSize(guess);
        else
            font.setPointSize(guess);
    }
}

} // namespace vt640
