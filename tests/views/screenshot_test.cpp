// Pictures of the live views for people to look at: the analog meter at
// several functions, the digital meter with its longest annunciator texts in
// a wide and in a tall window, and the limits dialog, each with the frame
// the window manager gives it. Written only when VT640_SHOTS_DIR names a
// directory (run on a display with a window manager); otherwise skipped.
#include "app/core/global_state.h"
#include "support/gui_test_app.h"
#include "support/scripted_prompt_service.h"
#include "views/analog_meter_form.h"
#include "views/digital_meter_form.h"
#include "views/dlg_hi_low_form.h"
#include "support/test_readings.h"
#include "views/paint_counter.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

using namespace vt640;
using vt640::test::completedReading;

namespace {

class ViewScreenshots : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QByteArray out = qgetenv("VT640_SHOTS_DIR");
        if (out.isEmpty())
            GTEST_SKIP() << "set VT640_SHOTS_DIR to write the pictures";
        test::guiApp();
        QDir().mkpath(QString::fromLocal8Bit(out));
        shots_ = QDir(QString::fromLocal8Bit(out));
    }

    // The window with its frame, as it stands on the screen.
    void save(QWidget& window, const char* name)
    {
        window.raise();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        // Let the window manager draw its frame and the window repaint.
        QTest::qWait(300);
        const QRect r = window.frameGeometry();
        const QPixmap shot = window.screen()->grabWindow(0, r.x(), r.y(), r.width(), r.height());
        ASSERT_TRUE(shot.save(shots_.filePath(QString::fromLatin1(name))));
    }

    QDir shots_;
};

} // namespace

TEST_F(ViewScreenshots, AnalogMeter)
{
    TAnalogMeterForm form;
    form.setNeedleSweep(false);
    form.placeInitially(60, 240);
    form.show();
    const struct {
        const char* main;
        const char* exponent;
        std::uint32_t code;
        const char* file;
    } readings[] = {
        {"1.234", "1", code::DcVolts, "analog_dc_volts.png"},       // 12.34 V
        {"1.197", "3", code::ActivePower1, "analog_kilowatts.png"}, // 1.197 kW
        {"1.234", "6", code::Hertz, "analog_kilohertz.png"},        // 1.234 kHz
        {"1.234", "3", code::Hertz, "analog_hertz_1234.png"},       // 1234 Hz
        {"0.725", "2", code::Percent, "analog_percent.png"},        // 72.5 %
        {"-1.234", "0", code::DcVolts, "analog_negative.png"},      // -1.234 V
    };
    for (const auto& r : readings) {
        form.feed(completedReading(r.main, r.exponent, r.code));
        test::settle();
        save(form, r.file);
    }
}

TEST_F(ViewScreenshots, DigitalMeterWideAndTall)
{
    GlobalState state;
    TDigitalMeterForm form(state);
    form.placeInitially(60);
    form.show();
    // Three-phase power with every phase lit, then single-phase leading.
    form.updateReading(completedReading("4.567", "3", code::ActivePower3,
                                        status::PhaseMarks | status::L1 | status::L2 | status::L3 | status::FourWire,
                                        "400", "V-Line"));
    form.resize(400, 240);
    save(form, "digital_wide_phases.png");
    form.resize(400, 420);
    save(form, "digital_tall_phases.png");
    form.updateReading(completedReading("1.234", "3", code::ActivePower1, status::Hold, "0.95", "PF"));
    form.resize(400, 240);
    save(form, "digital_wide_leads.png");
    form.resize(400, 420);
    save(form, "digital_tall_leads.png");
}

TEST_F(ViewScreenshots, LimitsDialog)
{
    ScriptedPromptService prompts;
    TDlgHiLowForm dialog(prompts);
    dialog.preset(code::Ohms, 4.75, 4.65, "k", "W");
    dialog.show();
    save(dialog, "limits_dialog.png");
}
