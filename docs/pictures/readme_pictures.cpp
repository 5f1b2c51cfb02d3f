// Makes the README's pictures from the program itself: the fifteen windows
// as start-up makes them, on the simulated meter, with time running on a
// clock of its own, drawn on Qt's offscreen platform on a screen of
// 1600 x 1000 pixels. The same input always gives the same pictures, on any
// machine and without a display.
//
//   vt640-readme-pictures OUTDIR      (scripts/readme_pictures.sh runs it)
//
// Writes OUTDIR/recorder.png (the whole screen after three minutes of
// logging), OUTDIR/views_dcv.png and OUTDIR/views_watts.png (the digital
// meter, the analog meter and the comparator on DC volts and on
// single-phase watts). Exits non-zero, saying why, when a picture cannot be
// made or the program shows a message on the way.
#include "app/app_windows.h"
#include "app/core/acquisition_cycle.h"
#include "app/core/global_state.h"
#include "app/core/link_state.h"
#include "app/form_main.h"
#include "app/dlg_about_form.h"
#include "meter/frame_decoder.h"
#include "meter/meter_link.h"
#include "meter/sim/demo_meter.h"
#include "meter/sim/demo_meter_host.h"
#include "recorder/core/recorder_clock.h"
#include "recorder/graphical_form.h"
#include "viewer/data_string_grid_form.h"
#include "views/analog_meter_form.h"
#include "views/comparator_form.h"
#include "views/digital_meter_form.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using namespace vt640;

constexpr int kScreenWidth = 1600;
constexpr int kScreenHeight = 1000;

// The offscreen platform's screen. Its windows get a thin frame, which the
// pictures show as a line between them.
const char kScreenConfig[] = R"({
  "windowFrameMargins": true,
  "screens": [ { "name": "readme", "x": 0, "y": 0, "width": 1600, "height": 1000,
                 "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1 } ]
})";

// Saturday 1 June 2024, 14:05:00 local time, two hours east of UTC, moved
// only by the loop below.
class PictureClock : public RecorderClock {
public:
    std::int64_t utcMs() const override { return msSinceEpochOf(LocalTime{2024, 6, 1, 12, 5, 0, 0}) + elapsedMs; }
    int utcOffsetMinutes(std::int64_t) const override { return 120; }
    std::uint32_t tickMs() const override { return static_cast<std::uint32_t>(100000 + elapsedMs); }

    std::int64_t elapsedMs = 0;
};

// Any message box on the way spoils the pictures: it is told and counted.
class NoPrompts : public PromptService {
public:
    int count = 0;
    Button message(QWidget*, const Message& m) override
    {
        ++count;
        std::fprintf(stderr, "vt640-readme-pictures: the program said \"%s\": %s\n", qPrintable(m.caption),
                     qPrintable(m.text));
        return m.buttons.isEmpty() ? Button::Ok : m.buttons.first();
    }
    QString fileName(QWidget*, const FileRequest&, QString*) override { return {}; }
    QColor color(QWidget*, const QColor&, const QString&) override { return {}; }
    QString text(QWidget*, const QString&, const QString&, const QString&, bool* ok) override
    {
        if (ok)
            *ok = false;
        return {};
    }
    bool printDialog(QWidget*, QPrinter&) override { return false; }
    bool printerSetup(QWidget*, QPrinter&) override { return false; }
};

// The screen as it stands: each window drawn where it is in its frame, the
// later ones of `windows` over the earlier ones, on the desktop's grey.
QImage screenPicture(const std::vector<QWidget*>& windows)
{
    QImage screen(kScreenWidth, kScreenHeight, QImage::Format_RGB32);
    screen.fill(QColor(0x5a, 0x6a, 0x7a));
    QPainter p(&screen);
    for (QWidget* w : windows) {
        if (!w->isVisible())
            continue;
        p.fillRect(w->frameGeometry(), QColor(0x3c, 0x46, 0x50));
        p.drawPixmap(w->geometry().topLeft(), w->grab());
    }
    return screen;
}

class Pictures {
public:
    Pictures(AppWindows& windows, PictureClock& clock) : windows_(windows), clock_(clock) {}

    // One tick of the acquisition cycle at meter time `ms`: the simulated
    // meter's frame decoded, completed and handed out; a sample the
    // recorder asks for is logged.
    void tickAt(std::int64_t ms)
    {
        clock_.elapsedMs = ms;
        TGraphicalForm& recorder = *windows_.graphicalForm();
        if (recorder.logging())
            recorder.TimerLoggerTimer(); // full speed: every reading
        MeterReading& reading = windows_.cycle().reading();
        decodeMeterFrame(meter_.frameAt(ms), reading);
        takeFunctionCode(reading);
        windows_.cycle().handOut();
        windows_.cycle().stop();           // handing out starts the cycle's own timer again
        QCoreApplication::processEvents(); // the recorder's posted reading
    }

    // Ticks every 750 ms from the last tick up to `ms`.
    void runTo(std::int64_t ms)
    {
        while (next_ <= ms) {
            tickAt(next_);
            next_ += AcquisitionCycle::kIntervalMs;
        }
        windows_.graphicalForm()->TimerTimeTimer(); // the status bar's clock
        QCoreApplication::processEvents();
    }

    std::vector<QWidget*> stacking() const
    {
        return {windows_.graphicalForm(), windows_.dataStringGridForm(), windows_.digitalMeterForm(),
                windows_.formMain(),      windows_.analogMeterForm(),    windows_.comparatorForm()};
    }

private:
    AppWindows& windows_;
    PictureClock& clock_;
    sim::DemoMeter meter_;
    std::int64_t next_ = 0;
};

bool save(const QImage& picture, const QDir& out, const char* name)
{
    const QString path = out.filePath(QLatin1String(name));
    if (!picture.save(path)) {
        std::fprintf(stderr, "vt640-readme-pictures: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vt640-readme-pictures OUTDIR\n");
        return 2;
    }
    const QDir out(QDir(QString::fromLocal8Bit(argv[1])).absolutePath());
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "vt640-readme-pictures: cannot make the folder %s\n", argv[1]);
        return 1;
    }

    // A scratch folder stands for the user's: the settings file (none, so
    // the defaults), the temporary files and the port links.
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return 1;
    const QString config = scratch.filePath(QStringLiteral("screen.json"));
    {
        QFile f(config);
        if (!f.open(QIODevice::WriteOnly) || f.write(kScreenConfig) < 0)
            return 1;
    }
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", scratch.filePath(QStringLiteral("config")).toLocal8Bit());
    QDir::setCurrent(scratch.path());

    QApplication app(argc, argv);
    app.setWindowIcon(applicationIcon());

    // The simulated meter as --demo links it; the pictures' readings come
    // from the same walk, timed by the picture clock.
    sim::DemoMeterHost demo;
    if (!demo.start()) {
        std::fprintf(stderr, "vt640-readme-pictures: no pseudo-terminal for the simulated meter\n");
        return 1;
    }
    NoPrompts prompts;
    GlobalState state;
    PictureClock clock;
    AppWindows::Options options;
    options.demoDevice = QString::fromStdString(demo.devicePath());
    AppWindows windows(state, prompts, options);
    windows.graphicalForm()->setClock(clock);
    windows.showStartupWindows();
    windows.analogMeterForm()->setNeedleSweep(false);
    // Linked, as after a press of the link button; the loop below stands for
    // the cycle's own timer.
    windows.link().setLinked(true);
    windows.cycle().stop();

    Pictures pictures(windows, clock);
    TFormMain& main = *windows.formMain();
    pictures.runTo(0);
    windows.graphicalForm()->sbtnRecordStart->click();
    // Full Speed: the loop asks for every reading, whatever the timer does.

    // The views on DC volts, then on single-phase watts: the digital meter
    // where tiling puts it, the analog meter and the comparator side by side
    // below it.
    main.button(QStringLiteral("sbtnAnalogMeter"))->click();
    main.button(QStringLiteral("sbtnComparator"))->click();
    main.sbtnWinTileClick();
    QWidget* digital = windows.digitalMeterForm();
    QWidget* analog = windows.analogMeterForm();
    QWidget* comparator = windows.comparatorForm();
    analog->move(digital->frameGeometry().left(), digital->frameGeometry().bottom() + 1);
    comparator->move(analog->frameGeometry().right() + 1, analog->frameGeometry().top());
    const auto views = [=] { return digital->frameGeometry() | analog->frameGeometry() | comparator->frameGeometry(); };
    bool ok = true;
    pictures.runTo(15000);
    ok = save(screenPicture(pictures.stacking()).copy(views()), out, "views_dcv.png") && ok;
    pictures.runTo(95000);
    ok = save(screenPicture(pictures.stacking()).copy(views()), out, "views_watts.png") && ok;

    // The whole screen after three minutes of logging, with the windows
    // where start-up puts them.
    windows.analogMeterForm()->hide();
    windows.comparatorForm()->hide();
    main.sbtnWinTileClick();
    pictures.runTo(190000);
    ok = save(screenPicture(pictures.stacking()), out, "recorder.png") && ok;

    windows.graphicalForm()->sbtnRecordStop->click();
    windows.link().setLinked(false);
    if (prompts.count > 0)
        return 1;
    return ok ? 0 : 1;
}
