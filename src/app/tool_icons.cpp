#include "app/tool_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace vt640 {

namespace {

constexpr int kSize = 16;

void drawLink(QPainter& p, bool linked)
{
    p.setPen(QPen(linked ? QColor(0, 140, 0) : QColor(90, 90, 90), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(1.5, 5.5, 7, 5), 2.5, 2.5);
    p.drawRoundedRect(QRectF(7.5, 5.5, 7, 5), 2.5, 2.5);
}

void draw(QPainter& p, const QString& name)
{
    p.setRenderHint(QPainter::Antialiasing);
    if (name == "digital") {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawRect(0, 3, 16, 10);
        p.setPen(QPen(QColor(0, 255, 0), 1));
        QFont f("DejaVu Sans Mono");
        f.setPixelSize(9);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRect(0, 3, 16, 10), Qt::AlignCenter, "8.8");
    } else if (name == "analog") {
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(0.5, 2.5, 15, 11));
        p.drawArc(QRectF(2, 5, 12, 12), 30 * 16, 120 * 16);
        p.setPen(QPen(Qt::red, 1.5));
        p.drawLine(QPointF(8, 12), QPointF(11.5, 6));
    } else if (name == "datalist") {
        p.setPen(QPen(QColor(40, 40, 120), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(0.5, 1.5, 15, 13));
        for (int y = 5; y < 15; y += 3)
            p.drawLine(1, y, 15, y);
        p.drawLine(6, 2, 6, 14);
    } else if (name == "graphical") {
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.drawLine(1, 1, 1, 15);
        p.drawLine(1, 15, 15, 15);
        p.setPen(QPen(QColor(0, 90, 200), 1.5));
        QPainterPath path(QPointF(2, 12));
        path.lineTo(5, 8);
        path.lineTo(8, 10);
        path.lineTo(11, 4);
        path.lineTo(15, 6);
        p.drawPath(path);
    } else if (name == "comparator") {
        const QRectF arc(1, 4, 14, 14);
        p.setPen(QPen(QColor(0, 0, 200), 3, Qt::SolidLine, Qt::FlatCap));
        p.drawArc(arc, 120 * 16, 40 * 16);
        p.setPen(QPen(QColor(0, 160, 0), 3, Qt::SolidLine, Qt::FlatCap));
        p.drawArc(arc, 60 * 16, 60 * 16);
        p.setPen(QPen(QColor(200, 0, 0), 3, Qt::SolidLine, Qt::FlatCap));
        p.drawArc(arc, 20 * 16, 40 * 16);
        p.setPen(QPen(Qt::black, 1));
        p.drawLine(QPointF(8, 11), QPointF(8, 3));
    } else if (name == "tile") {
        p.setPen(QPen(QColor(50, 50, 50), 1));
        p.setBrush(QColor(120, 160, 220));
        p.drawRect(QRectF(0.5, 0.5, 15, 4));
        p.setBrush(QColor(200, 210, 230));
        p.drawRect(QRectF(0.5, 5.5, 6, 4));
        p.drawRect(QRectF(7.5, 5.5, 8, 4));
        p.drawRect(QRectF(0.5, 10.5, 15, 5));
    } else if (name == "port") {
        QPolygonF shell;
        shell << QPointF(1, 4) << QPointF(15, 4) << QPointF(13, 12) << QPointF(3, 12);
        p.setPen(QPen(QColor(50, 50, 50), 1));
        p.setBrush(QColor(180, 185, 195));
        p.drawPolygon(shell);
        p.setBrush(Qt::black);
        for (int i = 0; i < 4; ++i)
            p.drawEllipse(QPointF(4.5 + i * 2.4, 7), 0.8, 0.8);
        for (int i = 0; i < 3; ++i)
            p.drawEllipse(QPointF(5.7 + i * 2.4, 9.5), 0.8, 0.8);
    } else if (name == "about") {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 90, 200));
        p.drawEllipse(QRectF(1, 1, 14, 14));
        p.setPen(Qt::white);
        QFont f("DejaVu Sans");
        f.setPixelSize(11);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRect(1, 1, 14, 14), Qt::AlignCenter, "i");
    }
}

QPixmap picture(const QString& name, bool linked)
{
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    if (name == "link")
        drawLink(p, linked);
    else
        draw(p, name);
    return pixmap;
}

} // namespace

QIcon toolIcon(const QString& name)
{
    QIcon icon(picture(name, false));
    if (name == "link")
        icon.addPixmap(picture(name, true), QIcon::Normal, QIcon::On);
    return icon;
}

} // namespace vt640
