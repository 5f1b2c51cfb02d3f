// vt640-recorder: the meter's data logger.
#include "app/app_windows.h"
#include "app/core/global_state.h"
#include "app/core/link_state.h"
#include "app/dlg_about_form.h"
#include "app/form_main.h"
#include "app/guarded_application.h"
#include "app/widget_prompt_service.h"
#include "meter/sim/demo_meter_host.h"
#include "publish/publish_cli.h"
#include "resources/version.h"

#include <CLI/CLI.hpp>

#include <QFile>

#include <QDir>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

int main(int argc, char** argv)
{
    // The command line is read before Qt starts, so that --help and
    // --version need no display, and Qt is given none of it.
    CLI::App cli{"Show and log the readings of a Vt640 power multimeter.", "vt640-recorder"};
    cli.set_version_flag("-V,--version", "vt640-recorder " VT640_VERSION " (" VT640_RELEASE_DATE ")",
                         "Print the version and exit");
    bool demo = false;
    std::string file;
    cli.add_flag("--demo", demo, "link at once to the built-in simulated meter");
    cli.add_option("FILE", file, "a logger file (.640, .r27, .r26) to open, as Open opens it")->type_name("");
    vt640::AppWindows::Options options;
    vt640::publish::addPublishOptions(cli, options.publish);
    cli.formatter(std::make_shared<vt640::publish::OptionalValueFormatter>());
    cli.footer("With --mqtt every record of automatic logging also goes to <PREFIX>/<ID>/state (PREFIX vt640 by\n"
               "default), the run's temporary file keeping what the broker has not yet taken.");
    try {
        cli.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success))
            return cli.exit(e); // --help or --version, on standard output
        std::cerr << "vt640-recorder: " << e.what() << "\nRun 'vt640-recorder --help' for its options.\n";
        return 2;
    }
    if (std::string why; !vt640::publish::settingsFor(options.publish, "COM1", why) && !why.empty()) {
        std::cerr << "vt640-recorder: " << why << "\nRun 'vt640-recorder --help' for its options.\n";
        return 2;
    }

    int qtArgc = 1;
    vt640::GuardedApplication app(qtArgc, argv);
    app.setWindowIcon(vt640::applicationIcon());
    // Lets the desktop match the windows to the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(VT640_APP_ID));
    // File dialogs start where the program was started, or in the user's
    // documents when the menu started it in its own folder.
    vt640::WidgetPromptService prompts(vt640::FileFolders::forThisRun(QDir::currentPath()));
    app.setPrompts(&prompts);

    std::unique_ptr<vt640::sim::DemoMeterHost> demoMeter;
    options.openFile = QFile::decodeName(QByteArray::fromStdString(file));
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
