#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QInputDevice>

namespace vt640::test {

// The test program's application lives in a function-local static. Once a
// test has produced input (keys, window-state changes), Qt registers input
// devices in a registry of its own, which is then younger than the
// application, dies before it at exit, and the application's destructor
// crashes on it. Touching the registry before main makes it the older one.
inline const bool kInputDevicesBeforeApplication = (QInputDevice::devices(), true);

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

// The application object of a test program without windows: creating a
// widget under it aborts, so such a test shows that nothing it runs needs one.
inline QCoreApplication& coreApp()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        return *app;
    static int argc = 1;
    static char name[] = "vt640-test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    return *app;
}

} // namespace vt640::test
