#include "views/lcd_label.h"

#include <QLabel>
#include <QPalette>

namespace vt640 {

void makeLcdBackground(QWidget* widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, QColor::fromRgb(kLcdBack));
    palette.setColor(QPalette::WindowText, QColor::fromRgb(kLcdText));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QLabel* makeLcdLabel(QWidget* parent, const char* name, Qt::Alignment alignment)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(alignment);
    label->setTextFormat(Qt::PlainText);
    label->setMargin(0);
    label->setIndent(0);
    makeLcdBackground(label);
    return label;
}

} // namespace vt640
