#include "app/widgets/elided_label.h"

#include <QPainter>
#include <QStyle>

#include <algorithm>

namespace vt640 {

ElidedLabel::ElidedLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setWordWrap(false);
    setTextFormat(Qt::PlainText);
}

QRect ElidedLabel::textRect() const
{
    QRect r = contentsRect();
    const int m = margin();
    r.adjust(m, m, -m, -m);
    if (indent() > 0) {
        if (alignment() & Qt::AlignRight)
            r.setRight(r.right() - indent());
        else
            r.setLeft(r.left() + indent());
    }
    return r;
}

QString ElidedLabel::shownText() const
{
    return fontMetrics().elidedText(text(), Qt::ElideMiddle, std::max(0, textRect().width()));
}

QSize ElidedLabel::minimumSizeHint() const
{
    const QSize full = QLabel::minimumSizeHint();
    const int few = fontMetrics().horizontalAdvance(QStringLiteral("/dev/…")) + std::max(0, indent()) + 2 * margin();
    return QSize(std::min(full.width(), few), full.height());
}

void ElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    drawFrame(&p);
    style()->drawItemText(&p, textRect(), QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                          isEnabled(), shownText(), foregroundRole());
}

} // namespace vt640
