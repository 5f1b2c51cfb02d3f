#include "app/widgets/caption_width.h"

#include <QApplication>
#include <QFontMetrics>

namespace vt640 {

int captionFitWidth(const QString& caption)
{
    QFont font = QApplication::font();
    font.setBold(true);
    const QFontMetrics metrics(font);
    // A title-bar button is about as wide as the bar is high: a line of text
    // and a few pixels around it.
    const int button = metrics.height() + 8;
    constexpr int kButtons = 4;
    constexpr int kMargins = 32;
    return metrics.horizontalAdvance(caption) + kButtons * button + kMargins;
}

} // namespace vt640
