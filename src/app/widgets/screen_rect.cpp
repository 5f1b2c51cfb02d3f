#include "app/widgets/screen_rect.h"

#include <QGuiApplication>
#include <QScreen>

namespace vt640 {

QRect primaryScreenRect()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

} // namespace vt640
