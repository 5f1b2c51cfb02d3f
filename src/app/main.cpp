// vt640-recorder: the meter's data logger.
#include "app/app_windows.h"
#include "app/core/global_state.h"
#include "app/core/link_state.h"
#include "app/dlg_about_form.h"
#include "app/form_main.h"
#include "app/guarded_application.h"
#include "app/widget_prompt_service.h"
#include "meter/sim/demo_meter_host.h"

#include <QDir>

#include <cstdio>
#include <cstring>
#include <memory>

int main(int argc, char** argv)
{
    bool demo = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--demo") == 0) {
            demo = true;
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("usage: vt640-recorder [--demo]\n"
                        "  --demo  link at once to the built-in simulated meter\n");
            return 0;
        }
    }

    vt640::GuardedApplication app(argc, argv);
    app.setWindowIcon(vt640::applicationIcon());
    // Lets the desktop match the windows to the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(VT640_APP_ID));
    // File dialogs start where the program was started, or in the user's
    // documents when the menu started it in its own folder.
    vt640::WidgetPromptService prompts(vt640::FileFolders::forThisRun(QDir::currentPath()));
    app.setPrompts(&prompts);

    std::unique_ptr<vt640::sim::DemoMeterHost> demoMeter;
    vt640::AppWindows::Options options;
    if (demo) {
        demoMeter = std::make_unique<vt640::sim::DemoMeterHost>();
        if (demoMeter->start())
            options.demoDevice = QString::fromStdString(demoMeter->devicePath());
        else
            std::fprintf(stderr, "vt640-recorder: no pseudo-terminal for the simulated meter\n");
    }

    vt640::GlobalState state;
    int status = 1;
    {
        std::unique_ptr<vt640::AppWindows> windows;
        // Start-up runs before the event loop: what throws there is reported
        // as in the loop, and the program then ends.
        const bool started = app.guard([&] {
            windows = std::make_unique<vt640::AppWindows>(state, prompts, options);
            windows->showStartupWindows();
            if (demo && state.meterPort)
                windows->link().setLinked(true);
        });
        if (started) {
            app.endWithMainWindow(windows->formMain());
            status = app.exec();
        }
        // The windows go in the reverse order of their creation; the
        // recorder removes its temporary files on the way.
    }
    return status;
}
