#include "app/core/global_state.h"
#include "support/gui_test_app.h"
#include "views/digital_meter_form.h"
#include "views/core/digital_meter_layout.h"
#include "views/core/digital_meter_texts.h"
#include "support/test_readings.h"
#include "views/paint_counter.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QTest>
#include <QLabel>

#include <gtest/gtest.h>

namespace vt640 {
namespace {

using test::completedReading;

constexpr std::uint8_t kPhaseMarks = status::PhaseMarks;

DigitalMeterTexts textsFor(std::int32_t c, std::uint8_t s)
{
    MeterReading r;
    r.functionCode = c;
    r.status = s;
    return DigitalMeterTexts::forReading(r);
}

TEST(DigitalMeterTexts, AcDcFieldNamesTheKindOfSupply)
{
    EXPECT_EQ(textsFor(code::DcVolts, 0).acDc, "DC");
    for (std::int32_t c : {code::AcVolts, code::AcAmps, code::ApparentPower1, code::ReactivePower1, code::ActivePower1})
        EXPECT_EQ(textsFor(c, 0).acDc, "AC") << c;
    for (std::int32_t c : {code::ApparentPower3, code::ReactivePower3, code::ActivePower3})
        EXPECT_EQ(textsFor(c, 0).acDc, "3-Ph") << c;
    for (std::int32_t c : {code::Ohms, code::Hertz, code::DegreesC, code::Volts2, 0})
        EXPECT_EQ(textsFor(c, 0).acDc, "") << c;
}

TEST(DigitalMeterTexts, HoldAndPeakFollowTheirStatusBits)
{
    EXPECT_EQ(textsFor(code::DcVolts, status::Hold).hold, "Hold");
    EXPECT_EQ(textsFor(code::DcVolts, status::Hold).peak, "");
    EXPECT_EQ(textsFor(code::DcVolts, status::Peak).peak, "Peak");
    EXPECT_EQ(textsFor(code::DcVolts, status::Peak).hold, "");
    EXPECT_EQ(textsFor(code::DcVolts, 0).hold + textsFor(code::DcVolts, 0).peak, "");
}

TEST(DigitalMeterTexts, CurrentLagOrLeadShowsOnlyForPowerWithoutPhaseMarks)
{
    EXPECT_EQ(textsFor(code::ActivePower1, status::ALags).aLag, "A-Lags");
    EXPECT_EQ(textsFor(code::ActivePower1, 0).aLag, "A-Leads");
    EXPECT_EQ(textsFor(code::ReactivePower3, 0).aLag, "A-Leads");
    EXPECT_EQ(textsFor(code::ActivePower1, status::ALags | kPhaseMarks).aLag, "");
    // Not a power function: nothing, whatever the bit says.
    EXPECT_EQ(textsFor(code::AcVolts, status::ALags).aLag, "");
}

TEST(DigitalMeterTexts, PhaseMarksListLitPhasesFromL3DownAndTheWiring)
{
    const auto all = textsFor(code::ActivePower3, kPhaseMarks | status::L1 | status::L2 | status::L3);
    EXPECT_EQ(all.phases, "A: L3L2L1");
    EXPECT_EQ(all.wires, "3W");
    EXPECT_EQ(textsFor(code::ActivePower1, kPhaseMarks | status::L1).phases, "A: L1");
    EXPECT_EQ(textsFor(code::ActivePower1, kPhaseMarks | status::L3 | status::L1).phases, "A: L3L1");
    EXPECT_EQ(textsFor(code::ActivePower3, kPhaseMarks | status::FourWire).wires, "4W");
    // Without the phase-mark bit the phase and wiring fields stay empty.
    const auto none = textsFor(code::ActivePower3, status::L1 | status::FourWire);
    EXPECT_EQ(none.phases, "");
    EXPECT_EQ(none.wires, "");
}

TEST(DigitalMeterTexts, SubDisplayIsBlankOrTextAndLabel)
{
    EXPECT_EQ(DigitalMeterTexts::forReading(completedReading("1.234", "3", 262145, 0, "0.95", "PF")).subData,
              " 0.95 PF");
    EXPECT_EQ(DigitalMeterTexts::forReading(completedReading("1.234", "0", 4)).subData, " ");
}

TEST(DigitalMeterTexts, UnknownFunctionShowsDashesAndNoUnit)
{
    const auto t = DigitalMeterTexts::forReading(completedReading("1.234", "0", 3));
    EXPECT_EQ(t.data, "----");
    EXPECT_EQ(t.units.prefixText, "");
    EXPECT_EQ(t.units.unitText, "");
}

TEST(DigitalMeterTexts, ResistanceShowsOmegaWhileTheReadingKeepsW)
{
    const MeterReading r = completedReading("4.702", "3", 128);
    ASSERT_EQ(r.unitText, "W");
    const auto t = DigitalMeterTexts::forReading(r);
    EXPECT_EQ(t.units.prefixText, "k");
    EXPECT_EQ(t.units.unitText, QString::fromUtf8("\u03A9"));
    EXPECT_TRUE(t.units.unitSymbolFace);
    EXPECT_EQ(t.units.unitAlignment, Qt::AlignCenter);
}

TEST(DigitalMeterTexts, TemperatureJoinsAnEmptyPrefixAndItsUnit)
{
    const auto t = DigitalMeterTexts::forReading(completedReading(" .25C", "2", 32));
    EXPECT_EQ(t.data, "025");
    EXPECT_EQ(t.units.prefixText, "");
    EXPECT_EQ(t.units.prefixAlignment, Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_TRUE(t.units.prefixSymbolFace);
    EXPECT_EQ(t.units.unitText, "C");
    EXPECT_EQ(t.units.unitAlignment, Qt::AlignLeft | Qt::AlignVCenter);
}

TEST(DigitalMeterLayout, SplitsTheLcdIntoColumnReadingAndStrip)
{
    const auto l = DigitalMeterLayout::compute(QSize(398, 238), 96);
    EXPECT_EQ(l.statePanel, QRect(0, 0, 56, 238));
    // Five fields of a fifth each; the AC/DC field follows the unit field.
    EXPECT_EQ(l.wires, QRect(0, 47, 56, 47));
    EXPECT_EQ(l.aLag, QRect(0, 188, 56, 47));
    EXPECT_EQ(l.acDc, QRect(0, 0, 56, 179 / 4));
    EXPECT_EQ(l.subLcd, QRect(56, 238 - 59, 342, 59));
    EXPECT_EQ(l.phases, QRect(342 - 114, 0, 114, 59));
    EXPECT_EQ(l.subData, QRect(0, 0, 228, 59));
    EXPECT_EQ(l.masterLcd, QRect(56, 0, 342, 179));
    EXPECT_EQ(l.unit, QRect(342 - 79, 0, 79, 179));
    EXPECT_EQ(l.prefix, QRect(342 - 158, 0, 79, 179));
    EXPECT_EQ(l.data, QRect(0, 0, 184, 179));
}

TEST(DigitalMeterLayout, FontSizesTruncateAndKeepPixelsAtAnyResolution)
{
    const auto l = DigitalMeterLayout::compute(QSize(398, 238), 96);
    EXPECT_EQ(l.dataPoints, 184 / 5);
    EXPECT_EQ(l.prefixPoints, 21); // 79 / 2 = 39, times 0.55 = 21.45
    EXPECT_EQ(l.unitPoints, 17);   // 79 * 4 / 10 = 31, times 0.55 = 17.05
    EXPECT_EQ(l.subDataCellPixels, 59 * 5 / 10);
    EXPECT_EQ(l.phasesPixels, 59 * 4 / 10);
    EXPECT_EQ(l.wiresPoints, 56 / 3);
    EXPECT_EQ(l.holdPoints, 56 / 4);
    EXPECT_EQ(l.aLagPoints, 56 / 5);
    // At 120 dots per inch the point sizes shrink so the pixels stay the same.
    const auto hi = DigitalMeterLayout::compute(QSize(398, 238), 120);
    EXPECT_EQ(hi.dataPoints, static_cast<int>(96.0 / 120 * 36));
    EXPECT_EQ(hi.phasesPixels, static_cast<int>(96.0 / 120 * 23));
    // Squeezed to nothing, every font still has a size.
    const auto tiny = DigitalMeterLayout::compute(QSize(3, 3), 96);
    EXPECT_GE(tiny.dataPoints, 1);
    EXPECT_GE(tiny.acDcPoints, 1);
}

class DigitalMeterFormTest : public ::testing::Test {
protected:
    DigitalMeterFormTest() { test::guiApp(); }
    QLabel* field(const char* name) { return form.findChild<QLabel*>(QString::fromLatin1(name)); }

    QApplication& app = test::guiApp(); // before any widget
    GlobalState state;
    TDigitalMeterForm form{state};
};

TEST_F(DigitalMeterFormTest, CaptionNamesThePort)
{
    EXPECT_EQ(form.windowTitle(), "Digital Meter : COM 1");
    form.setPortCaption(3);
    EXPECT_EQ(form.windowTitle(), "Digital Meter : COM 3");
}

TEST_F(DigitalMeterFormTest, StartsEmptyAndRefusesToClose)
{
    for (const char* name : {"DataPanel", "UnitPanel", "FuncPanel", "SubDataPanel", "pnlAcDc", "pnl3W4W", "pnlHold",
                             "pnlMax", "pnlALag", "pnlST1"})
        EXPECT_EQ(field(name)->text(), "") << name;
    form.show();
    QCloseEvent close;
    QCoreApplication::sendEvent(&form, &close);
    EXPECT_FALSE(close.isAccepted());
    EXPECT_TRUE(form.isVisible());
}

TEST_F(DigitalMeterFormTest, ShowsAPowerReadingInItsFields)
{
    form.updateReading(completedReading("1.234", "3", 262145, status::ALags | status::Hold, "0.95", "PF"));
    EXPECT_EQ(field("DataPanel")->text(), "1.234");
    EXPECT_EQ(field("UnitPanel")->text(), "k");
    EXPECT_EQ(field("FuncPanel")->text(), "W");
    EXPECT_EQ(field("SubDataPanel")->text(), " 0.95 PF");
    EXPECT_EQ(field("pnlAcDc")->text(), "AC");
    EXPECT_EQ(field("pnlHold")->text(), "Hold");
    EXPECT_EQ(field("pnlALag")->text(), "A-Lags");
    EXPECT_EQ(field("pnlST1")->text(), "");
    EXPECT_EQ(form.shownFunctionCode(), 262145);

    // The next reading replaces every field, emptied ones included.
    form.updateReading(completedReading("4.702", "3", 128));
    EXPECT_EQ(field("DataPanel")->text(), "4.702");
    EXPECT_EQ(field("FuncPanel")->text(), QString::fromUtf8("\u03A9"));
    EXPECT_EQ(field("SubDataPanel")->text(), " ");
    EXPECT_EQ(field("pnlAcDc")->text(), "");
    EXPECT_EQ(field("pnlHold")->text(), "");
    EXPECT_EQ(field("pnlALag")->text(), "");
}

TEST_F(DigitalMeterFormTest, LaysItsFieldsOutAnewOnEveryResize)
{
    form.resize(400, 240);
    form.show();
    const QRect small = field("DataPanel")->geometry();
    const int smallFont = field("DataPanel")->font().pointSize();
    form.resize(800, 480);
    EXPECT_EQ(field("DataPanel")->geometry(), form.fieldLayout().data);
    EXPECT_GT(field("DataPanel")->width(), small.width());
    EXPECT_GT(field("DataPanel")->font().pointSize(), smallFont);
    EXPECT_EQ(field("FuncPanel")->geometry(), form.fieldLayout().unit);
    EXPECT_EQ(field("pnlST1")->geometry(), form.fieldLayout().phases);
}

TEST_F(DigitalMeterFormTest, LongestAnnunciatorTextsFitTheirFieldsInAnyShape)
{
    const auto fits = [this](const char* name, int room) {
        QLabel* label = field(name);
        return QFontMetrics(label->font()).horizontalAdvance(label->text()) <= room;
    };
    form.show();
    form.updateReading(
        completedReading("4.567", "3", code::ActivePower3, status::PhaseMarks | status::L1 | status::L2 | status::L3));
    ASSERT_EQ(field("pnlST1")->text(), "A: L3L2L1");
    // Wide enough: the layout's own size.
    form.resize(800, 300);
    EXPECT_EQ(field("pnlST1")->font().pixelSize(), form.fieldLayout().phasesPixels);
    // Taller than wide: the strip's height would make the text too wide.
    for (const QSize size : {QSize(400, 420), QSize(400, 900), QSize(800, 300)}) {
        form.resize(size);
        EXPECT_TRUE(fits("pnlST1", field("pnlST1")->width())) << size.width() << "x" << size.height();
    }
    form.updateReading(completedReading("1.234", "3", code::ActivePower1));
    ASSERT_EQ(field("pnlALag")->text(), "A-Leads");
    for (const QSize size : {QSize(400, 240), QSize(400, 420), QSize(300, 900)}) {
        form.resize(size);
        // With room to spare on either side, clear of the sub-display.
        EXPECT_TRUE(fits("pnlALag", field("pnlALag")->width() * 9 / 10)) << size.width() << "x" << size.height();
    }
}

TEST_F(DigitalMeterFormTest, StartsBelowTheMainWindowWithinItsSizeLimits)
{
    form.placeInitially(60);
    const QRect screen = form.screen()->geometry();
    EXPECT_EQ(form.geometry(), QRect(0, 60, screen.width() / 4, (screen.height() - 60) / 4));
    EXPECT_EQ(form.maximumSize(), QSize(screen.width(), screen.height() - 60));
    EXPECT_EQ(form.minimumSize(), QSize(screen.width() / 4, (screen.height() - 60) / 4));
}

TEST_F(DigitalMeterFormTest, MaximisedItLeavesTheMainWindowInSightAndRestores)
{
    form.placeInitially(60);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const QRect normal = form.geometry();
    const QRect screen = form.screen()->geometry();

    form.showMaximized(); // what the title bar's button asks for
    const QRect belowMain(0, 60, screen.width(), screen.height() - 60);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form.isMaximized() && form.frameGeometry() == belowMain; }))
        << form.frameGeometry().y() << " " << form.frameGeometry().height();

    form.showMaximized(); // once more: back to where it was
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form.isMaximized() && form.geometry() == normal; }));
}

} // namespace
} // namespace vt640
