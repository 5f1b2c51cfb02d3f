// Start-up, linking, ports, tiling and shut-down of the main window.
#include "shell_fixture.h"

#include "app/dlg_rs_port_form.h"
#include "app/widgets/elided_label.h"
#include "app/guarded_application.h"
#include "recorder/graphical_form.h"
#include "viewer/data_string_grid_form.h"
#include "views/analog_meter_form.h"
#include "views/comparator_form.h"
#include "views/digital_meter_form.h"

#include <QAction>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <sys/stat.h>

using namespace vt640;
using namespace vt640::test;

namespace {

QString readFile(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QString::fromLatin1(f.readAll());
}

// Answers the next modal dialog with `answer` once it is shown.
void answerDialog(QDialog* dialog, std::function<void(QDialog*)> answer)
{
    QTimer::singleShot(0, dialog, [dialog, answer] {
        if (dialog->isVisible())
            answer(dialog);
    });
}

} // namespace

TEST_F(ShellTest, StartsUnlinkedWithFourWindowsAndTheStoredPortOpen)
{
    startProgram();
    EXPECT_FALSE(main().isLinked());
    EXPECT_TRUE(state_.meterPort != nullptr);
    EXPECT_EQ(state_.iPort, 2); // no settings file: the defaults, silently
    EXPECT_EQ(prompts_.messageCount(), 0);
    EXPECT_TRUE(main().isVisible());
    EXPECT_TRUE(windows_->digitalMeterForm()->isVisible());
    EXPECT_TRUE(windows_->graphicalForm()->isVisible());
    EXPECT_TRUE(windows_->dataStringGridForm()->isVisible());
    EXPECT_FALSE(windows_->analogMeterForm()->isVisible());
    EXPECT_FALSE(windows_->comparatorForm()->isVisible());
    EXPECT_EQ(main().windowTitle(), "Vt640 Meter Data Recorder");
    EXPECT_EQ(windows_->digitalMeterForm()->windowTitle(), "Digital Meter : COM 2");
    // A bar across the top of the screen.
    EXPECT_EQ(main().frameGeometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(main().width(), QGuiApplication::primaryScreen()->geometry().width());
    for (const char* name : {"sbtnLink", "sbtnDigitMeter", "sbtnAnalogMeter", "sbtnDataList", "sbtnGraphical",
                             "sbtnComparator", "sbtnWinTile", "sbtnPort", "sbtnAbout"}) {
        QToolButton* b = main().button(name);
        ASSERT_TRUE(b) << name;
        EXPECT_EQ(b->geometry().top(), 4) << name;
        EXPECT_EQ(b->size(), QSize(23, 22)) << name;
        EXPECT_FALSE(b->toolTip().isEmpty()) << name;
    }
}

TEST_F(ShellTest, EachViewWearsThePictureOfItsButton)
{
    startProgram();
    const auto picture = [](const QIcon& icon) { return icon.pixmap(16, 16).toImage(); };
    const std::pair<QWidget*, const char*> views[] = {{windows_->digitalMeterForm(), "sbtnDigitMeter"},
                                                      {windows_->analogMeterForm(), "sbtnAnalogMeter"},
                                                      {windows_->comparatorForm(), "sbtnComparator"},
                                                      {windows_->graphicalForm(), "sbtnGraphical"},
                                                      {windows_->dataStringGridForm(), "sbtnDataList"}};
    for (const auto& [view, button] : views) {
        ASSERT_FALSE(view->windowIcon().isNull()) << button;
        EXPECT_EQ(picture(view->windowIcon()), picture(main().button(button)->icon())) << button;
    }
}

TEST_F(ShellTest, LinkMenuAndButtonAgree)
{
    startProgram();
    main().linkAction()->trigger();
    EXPECT_TRUE(main().isLinked());
    EXPECT_EQ(main().linkAction()->text(), "Un&link");
    EXPECT_EQ(main().button("sbtnLink")->toolTip(), "Unlink DMM");
    EXPECT_FALSE(main().portAction()->isEnabled());
    EXPECT_FALSE(main().helpMenu()->menuAction()->isEnabled());
    EXPECT_FALSE(main().button("sbtnPort")->isEnabled());
    EXPECT_FALSE(main().button("sbtnAbout")->isEnabled());
    EXPECT_TRUE(cycle().isPolling());

    main().linkAction()->trigger();
    EXPECT_FALSE(main().isLinked());
    EXPECT_EQ(main().linkAction()->text(), "&Link");
    EXPECT_TRUE(main().portAction()->isEnabled());
    EXPECT_FALSE(cycle().isPolling());

    main().button("sbtnLink")->click();
    EXPECT_TRUE(main().isLinked());
    EXPECT_EQ(main().linkAction()->text(), "Un&link");
}

TEST_F(ShellTest, FileLoadingDisablesLinkingAndReleasesItAfterwards)
{
    startProgram();
    state_.setFileLoadBusy(true);
    EXPECT_FALSE(main().linkAction()->isEnabled());
    EXPECT_FALSE(main().button("sbtnLink")->isEnabled());
    EXPECT_FALSE(main().button("sbtnPort")->isEnabled());
    state_.setFileLoadBusy(false);
    EXPECT_TRUE(main().linkAction()->isEnabled());
    EXPECT_TRUE(main().button("sbtnLink")->isEnabled());
}

TEST_F(ShellTest, PortDialogShowsDevicesAndCancelReopensTheSamePort)
{
    startProgram();
    TDlgRsPortForm* dialog = windows_->dlgRsPortForm();
    EXPECT_EQ(dialog->deviceLabel(5)->text(), "/dev/ttyUSB0");
    EXPECT_TRUE(dialog->deviceLabel(2)->text().endsWith("COM2"));
    const int requestsBefore = host_->requestsSeen();
    answerDialog(dialog, [](QDialog* d) {
        auto* form = static_cast<TDlgRsPortForm*>(d);
        // The stored port is preselected even when it was absent at start-up.
        EXPECT_TRUE(form->radioButton(2)->isChecked());
        d->reject();
    });
    main().sbtnPortClick();
    EXPECT_EQ(state_.iPort, 2);
    ASSERT_TRUE(state_.meterPort != nullptr);
    EXPECT_EQ(prompts_.messageCount(), 0);
    EXPECT_EQ(windows_->digitalMeterForm()->windowTitle(), "Digital Meter : COM 2");
    // The reopened port still reaches the meter.
    MeterFrame frame;
    EXPECT_TRUE(readMeterFrame(state_.meterPort.get(), frame));
    EXPECT_GT(host_->requestsSeen(), requestsBefore);
}

TEST_F(ShellTest, ChoosingAMissingPortWarnsWithTheStopIconAndRenamesTheMeter)
{
    startProgram();
    TDlgRsPortForm* dialog = windows_->dlgRsPortForm();
    state_.portPresent[6] = true; // pretend COM7 was there at start-up
    answerDialog(dialog, [](QDialog* d) {
        static_cast<TDlgRsPortForm*>(d)->radioButton(7)->setChecked(true);
        d->findChild<QPushButton*>("bbtnOk")->click();
    });
    main().sbtnPortClick();
    EXPECT_EQ(state_.iPort, 7);
    EXPECT_EQ(state_.meterPort, nullptr);
    EXPECT_EQ(prompts_.captions(), (QStringList{"Error[E9001]", "Warning[W8001]"}));
    // The device and why, below the message.
    const QString device = QString::fromStdString(state_.portTable.devicePath(7));
    const QStringList lines = prompts_.texts().first().split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], "The specified serial port open error.");
    EXPECT_TRUE(lines[1].startsWith(device + ": ")) << lines[1].toStdString();
    EXPECT_GT(lines[1].size(), device.size() + 2);
    EXPECT_EQ(prompts_.last().icon, PromptService::Icon::Stop);
    EXPECT_EQ(windows_->digitalMeterForm()->windowTitle(), "Digital Meter : COM 7");
}

TEST_F(ShellTest, StartUpMessagesWaitForTheWindowsAndComeOverTheMainWindow)
{
    // The stored port stands for an adapter that is not plugged in.
    std::filesystem::create_symlink(scratch_ / "no-such-adapter", scratch_ / "config/vt640/ports/COM7");
    QList<bool> windowsUp;
    prompts_.onMessage([this, &windowsUp](const PromptService::Message&) {
        windowsUp << (windows_ && main().isVisible() && windows_->digitalMeterForm()->isVisible()
                      && windows_->graphicalForm()->isVisible() && windows_->dataStringGridForm()->isVisible());
    });
    startProgram("iPort=7\r\nfHiLimit=300\r\nfLowLimit=100\r\n");
    EXPECT_EQ(state_.meterPort, nullptr);
    EXPECT_EQ(prompts_.captions(), (QStringList{"Error[E9001]", "Warning[W8001]"}));
    EXPECT_EQ(windowsUp, (QList<bool>{true, true}));
    for (const auto& call : prompts_.messageCalls())
        EXPECT_EQ(call.owner, &main()) << call.message.caption.toStdString();
    EXPECT_EQ(prompts_.last().icon, PromptService::Icon::Exclamation);
}

TEST_F(ShellTest, PortDialogProbesAgainEachTimeItOpens)
{
    startProgram();
    ASSERT_FALSE(state_.isPortPresent(8));
    TDlgRsPortForm* dialog = windows_->dlgRsPortForm();

    // An adapter that appears after start-up, behind COM8.
    sim::PtyMeterHost late([this] { return meter_.frame(); });
    ASSERT_TRUE(late.start());
    const auto link = scratch_ / "config/vt640/ports/COM8";
    ASSERT_TRUE(late.placeLink(link));
    const QString path = QString::fromStdString(link.string());
    answerDialog(dialog, [&path](QDialog* d) {
        auto* form = static_cast<TDlgRsPortForm*>(d);
        EXPECT_TRUE(form->radioButton(8)->isEnabled());
        // The scratch folder's long path is cut in the label; the tip has it whole.
        ElidedLabel* label = form->deviceLabel(8);
        EXPECT_EQ(label->text(), path);
        EXPECT_TRUE(label->isElided()) << label->shownText().toStdString();
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->shownText()), label->contentsRect().width());
        EXPECT_EQ(label->toolTip(), path);
        EXPECT_EQ(form->radioButton(8)->toolTip(), path);
        form->radioButton(8)->setChecked(true);
        d->findChild<QPushButton*>("bbtnOk")->click();
    });
    main().sbtnPortClick();
    EXPECT_EQ(state_.iPort, 8);
    ASSERT_TRUE(state_.meterPort != nullptr);
    EXPECT_EQ(prompts_.messageCount(), 0);

    // Gone again: the next opening offers it no more.
    std::filesystem::remove(link);
    answerDialog(dialog, [](QDialog* d) {
        EXPECT_FALSE(static_cast<TDlgRsPortForm*>(d)->radioButton(8)->isEnabled());
        EXPECT_TRUE(static_cast<TDlgRsPortForm*>(d)->radioButton(2)->isEnabled());
        d->reject();
    });
    main().sbtnPortClick();
}

TEST_F(ShellTest, APortTheUserMayNotOpenSaysWhyAndHowToFixItAtStartUp)
{
    // The stored port is a device of another user's, as a serial port is to
    // a user outside the dialout group. The superuser opens anything, so as
    // root the program starts as nobody; anyone else finds the pty closed
    // to its owner too.
    const bool root = ::geteuid() == 0;
    ASSERT_EQ(::chmod(host_->devicePath().c_str(), root ? 0600 : 0), 0);
    if (root) {
        ASSERT_EQ(::seteuid(65534), 0);
    }
    startProgram();
    if (root) {
        ASSERT_EQ(::seteuid(0), 0);
    }
    EXPECT_EQ(state_.meterPort, nullptr);
    EXPECT_EQ(prompts_.captions(), (QStringList{"Error[E9001]", "Warning[W8001]"}));
    EXPECT_EQ(prompts_.texts().first().toStdString(),
              "The specified serial port open error.\n" + state_.portTable.devicePath(2) + ": " + std::strerror(EACCES)
                  + "\n"
                    "Add yourself to the dialout group: sudo adduser $USER dialout, then log in again.");
}

TEST_F(ShellTest, StoredPortOutsideTheTableWarnsAtStartUp)
{
    startProgram("iPort=42\r\nfHiLimit=300\r\nfLowLimit=100\r\n");
    EXPECT_EQ(state_.meterPort, nullptr);
    ASSERT_EQ(prompts_.messageCount(), 1);
    EXPECT_EQ(prompts_.last().caption, "Warning[W8001]");
    EXPECT_EQ(prompts_.last().icon, PromptService::Icon::Exclamation);
}

TEST_F(ShellTest, UnreadableSettingsStopTheStartUpBeforeThePort)
{
    QDir().mkdir("KORUDL.ini"); // a folder where the file should be
    startProgram();
    ASSERT_EQ(prompts_.messageCount(), 1);
    EXPECT_TRUE(prompts_.last().text.startsWith("Cannot open file "));
    EXPECT_EQ(state_.meterPort, nullptr);
    EXPECT_EQ(state_.iPort, 1);
    EXPECT_EQ(state_.fHiLimit, 0.0);
}

TEST_F(ShellTest, ClosingWritesTheSettingsAndClosesThePort)
{
    startProgram("IPORT=2\r\nfHiLimit=12.5\r\nfLowLimit=-3\r\nother=1\r\n");
    link().setLinked(true);
    main().close();
    EXPECT_FALSE(cycle().isPolling());
    EXPECT_EQ(state_.meterPort, nullptr);
    EXPECT_EQ(readFile("KORUDL.ini"), "iPort=2\r\nfHiLimit=12.5\r\nfLowLimit=-3\r\n");
}

TEST_F(ShellTest, NoQuestionAtCloseWithoutUnsavedData)
{
    startProgram();
    EXPECT_TRUE(main().close());
    EXPECT_EQ(prompts_.messageCount(), 0);
}

TEST_F(ShellTest, ClosingTheMainWindowEndsTheProgramThoughTheViewsRefuseToClose)
{
    startProgram();
    static_cast<GuardedApplication*>(qApp)->endWithMainWindow(&main());
    QTimer::singleShot(0, &main(), [this] { main().close(); });
    // Only a guard against hanging the suite: the program ends at once.
    QTimer hang;
    hang.setSingleShot(true);
    QObject::connect(&hang, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    hang.start(60000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_FALSE(main().isVisible());
}

TEST_F(ShellTest, TilingArrangesTheVisibleViewsAndLeavesHiddenOnesAlone)
{
    startProgram();
    QWidget* analog = windows_->analogMeterForm();
    QWidget* comparator = windows_->comparatorForm();
    QWidget* recorder = windows_->graphicalForm();
    analog->move(500, 500); // hidden: must stay there
    const QRect analogBefore = analog->frameGeometry();
    recorder->showMinimized(); // visible but minimised: restored
    comparator->show();
    main().sbtnWinTileClick();

    // Windows are placed by their outer frames.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const FrameMetrics m = main().frameMetrics();
    const int mainHeight = main().outerHeight();
    QWidget* digital = windows_->digitalMeterForm();
    EXPECT_EQ(digital->frameGeometry(), QRect(0, mainHeight, screen.width() / 4, (screen.height() - mainHeight) / 4));
    const int digitalHeight = digital->frameGeometry().height();
    EXPECT_FALSE(recorder->isMinimized());
    EXPECT_EQ(recorder->frameGeometry(), QRect(0, mainHeight + digitalHeight, screen.width(),
                                               screen.height() - mainHeight - digitalHeight - state_.taskbarHeight));
    EXPECT_EQ(windows_->dataStringGridForm()->frameGeometry(),
              QRect(screen.width() / 4, mainHeight, screen.width() - screen.width() / 4, digitalHeight));
    EXPECT_FALSE(analog->isVisible());
    EXPECT_EQ(analog->frameGeometry(), analogBefore);
    const int c = 2 * m.sizingFrame + m.caption;
    EXPECT_EQ(comparator->frameGeometry().topLeft(), QPoint(c, (screen.height() - mainHeight) / 4 + mainHeight + c));
}

TEST_F(ShellTest, ViewCommandsShowAndRestore)
{
    startProgram();
    QWidget* analog = windows_->analogMeterForm();
    main().button("sbtnAnalogMeter")->click();
    EXPECT_TRUE(analog->isVisible());
    analog->showMinimized();
    main().button("sbtnAnalogMeter")->click();
    EXPECT_FALSE(analog->isMinimized());
    windows_->graphicalForm()->hide();
    main().button("sbtnGraphical")->click();
    EXPECT_TRUE(windows_->graphicalForm()->isVisible());
}

TEST_F(ShellTest, AnExceptionInAHandlerIsReportedAndTheProgramGoesOn)
{
    startProgram();
    auto* app = qobject_cast<GuardedApplication*>(QCoreApplication::instance());
    ASSERT_TRUE(app);
    app->setPrompts(&prompts_);
    QTimer::singleShot(0, &main(), [] { throw std::runtime_error("disk on fire"); });
    QCoreApplication::processEvents();
    app->setPrompts(nullptr);
    ASSERT_EQ(prompts_.messageCount(), 1);
    EXPECT_EQ(prompts_.last().text, "disk on fire");
    EXPECT_EQ(prompts_.last().icon, PromptService::Icon::Stop);
    link().setLinked(true); // still alive
    EXPECT_TRUE(main().isLinked());
}

// Start-up runs before the event loop; main() runs it through the same report.
TEST_F(ShellTest, AnExceptionAtStartUpIsReportedAsInTheLoop)
{
    auto* app = qobject_cast<GuardedApplication*>(QCoreApplication::instance());
    ASSERT_TRUE(app);
    app->setPrompts(&prompts_);
    const bool started = app->guard([this] {
        startProgram();
        throw std::runtime_error("no room for the record buffer");
    });
    app->setPrompts(nullptr);
    EXPECT_FALSE(started);
    ASSERT_EQ(prompts_.messageCount(), 1);
    EXPECT_EQ(prompts_.last().caption, "Vt640 Meter Data Recorder");
    EXPECT_EQ(prompts_.last().text, "no room for the record buffer");
    EXPECT_EQ(prompts_.last().icon, PromptService::Icon::Stop);
}
