#pragma once

#include <QApplication>

namespace vt640::test {

// The one QApplication of a GUI test program, created on first use on the
// platform ctest sets (offscreen).
inline QApplication& guiApp()
{
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        return *app;
    static int argc = 1;
    static char name[] = "vt640-test";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt's own statics (the input-device registry among
    // them) may be created after it and would go first at exit.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

} // namespace vt640::test
