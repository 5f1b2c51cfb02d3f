#include "meter/number_text.h"
#include "support/gui_test_app.h"
#include "views/analog_meter_form.h"
#include "views/core/analog_meter_layout.h"
#include "views/core/analog_meter_model.h"
#include "views/core/meter_artwork.h"
#include "views/core/needle_geometry.h"
#include "support/test_readings.h"
#include "views/paint_counter.h"

#include <QElapsedTimer>
#include <QLabel>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace vt640 {
namespace {

using test::completedReading;

// The power of ten of a unit prefix as the views print it.
int prefixPower(const std::string& prefix)
{
    if (prefix == "n")
        return -9;
    if (prefix == "u")
        return -6;
    if (prefix == "m")
        return -3;
    if (prefix == "k")
        return 3;
    if (prefix == "M")
        return 6;
    return 0;
}

AnalogMeterModel fedWith(const MeterReading& r)
{
    AnalogMeterModel m;
    m.feed(r);
    m.update();
    return m;
}

TEST(AnalogNeedle, ZeroFullScaleAndBeyond)
{
    EXPECT_DOUBLE_EQ(AnalogMeterModel::needleAngleFor(0, 5000), 150.0);
    EXPECT_DOUBLE_EQ(AnalogMeterModel::needleAngleFor(5000, 5000), 30.0);
    EXPECT_DOUBLE_EQ(AnalogMeterModel::needleAngleFor(2500, 5000), 90.0);
    // Up to 125/120 of full scale the needle still moves; past that it rests
    // on the stop.
    EXPECT_DOUBLE_EQ(AnalogMeterModel::needleAngleFor(5000.0 * 125 / 120, 5000), 25.0);
    EXPECT_DOUBLE_EQ(AnalogMeterModel::needleAngleFor(5100, 5000), 180.0 - (5100 * 120.0 / 5000 + 30));
    EXPECT_DOUBLE_EQ(AnalogMeterModel::needleAngleFor(9999, 5000), 25.0);
}

TEST(AnalogNeedle, DrawnFromThePivotWithTruncatedOffsets)
{
    // pi is taken as 3.14159264, a hair small: at 30 degrees the sine falls
    // just short of a half and the rise truncates to 49.
    EXPECT_EQ(NeedleTip::at(150, 100), (NeedleTip{-86, -50}));
    EXPECT_EQ(NeedleTip::at(90, 100), (NeedleTip{0, -100}));
    EXPECT_EQ(NeedleTip::at(30, 100), (NeedleTip{86, -49}));
    EXPECT_EQ(NeedleTip::at(25, 100), (NeedleTip{90, -42}));
    EXPECT_EQ(NeedleTip::at(120.384, 100), (NeedleTip{-50, -86}));
    EXPECT_EQ(NeedleTip::at(130, 70), (NeedleTip{-44, -53}));
    EXPECT_EQ(NeedleTip::at(70, 70), (NeedleTip{23, -65}));
}

TEST(AnalogFeed, ZeroReadingRestsAtTheLeftEnd)
{
    const auto m = fedWith(completedReading("0.000", "0", 4));
    EXPECT_DOUBLE_EQ(m.scaleValue(), 0.0);
    EXPECT_DOUBLE_EQ(m.needleAngle(), 150.0);
}

TEST(AnalogFeed, NegativeDcVoltsReadAsDigitsWithAMinusMark)
{
    const MeterReading r = completedReading("-1.234", "0", 4);
    ASSERT_EQ(r.valueText, "-1.234");
    const auto m = fedWith(r);
    EXPECT_TRUE(m.negative());
    EXPECT_DOUBLE_EQ(m.scaleValue(), 1234.0);
    EXPECT_DOUBLE_EQ(m.fullScale(), 5000.0);
    EXPECT_DOUBLE_EQ(m.needleAngle(), 120.384);
    EXPECT_EQ(m.scale(), AnalogScale::ZeroToFive);
    // The sign is read afresh each time.
    AnalogMeterModel again = m;
    again.feed(completedReading("1.234", "0", 4));
    EXPECT_FALSE(again.negative());
}

TEST(AnalogFeed, OverloadStopsTheNeedleWhateverTheScale)
{
    AnalogMeterModel m;
    m.feed(completedReading("1.000", "3", 1024));
    m.update();
    m.feed(completedReading("OL", "0", 4));
    m.update();
    EXPECT_DOUBLE_EQ(m.fullScale(), 5000.0);
    EXPECT_DOUBLE_EQ(m.scaleValue(), 5500.0);
    EXPECT_DOUBLE_EQ(m.needleAngle(), 25.0);
    EXPECT_FALSE(m.negative());
    m.feed(completedReading("-OL", "0", 4));
    EXPECT_TRUE(m.negative());
}

TEST(AnalogFeed, ADisplayThatIsNoNumberPutsTheNeedleAtZeroTimesOne)
{
    AnalogMeterModel m;
    m.feed(completedReading("1.234", "3", 4));
    m.update();
    m.feed(completedReading("SHrt", "0", 128));
    m.update();
    EXPECT_DOUBLE_EQ(m.scaleValue(), 0.0);
    EXPECT_DOUBLE_EQ(m.needleAngle(), 150.0);
    EXPECT_EQ(m.multiplierText(), "x1");
    // ... while the texts, the code and the scale follow the reading.
    EXPECT_EQ(m.code(), 128);
    EXPECT_EQ(m.scale(), AnalogScale::ZeroToTen);
    EXPECT_EQ(m.valueText(), "SHrt");
}

TEST(AnalogFeed, FullScaleAndMultiplierPerFunction)
{
    struct Case {
        const char* main;
        const char* exponent;
        std::uint32_t code;
        double fullScale;
        double scaleValue;
        const char* multiplier;
        AnalogScale scale;
    };
    const Case cases[] = {
        // Volts DC: five times ten to (digits - 1).
        {"1.234", "1", 4, 5000, 1234, "x10", AnalogScale::ZeroToFive},
        {"1.234", "3", 4, 5000, 1234, "x1000", AnalogScale::ZeroToFive},
        // Past 5 the 0 to 10 scale takes over (twice the full scale).
        {"5.500", "0", 4, 10000, 5500, "x1", AnalogScale::ZeroToTen},
        // Volts AC, ohms and power: ten to the number of digits.
        {"2.304", "2", 5, 10000, 2304, "x100", AnalogScale::ZeroToTen},
        {"4.702", "3", 128, 10000, 4702, "x1", AnalogScale::ZeroToTen},
        {"1.234", "2", 262145, 10000, 1234, "x100", AnalogScale::ZeroToTen},
        // Power at exponent 3 shows its display unscaled (1.197 k): times one.
        {"1.197", "3", 262145, 10000, 1197, "x1", AnalogScale::ZeroToTen},
        {"4.567", "3", 786432, 10000, 4567, "x1", AnalogScale::ZeroToTen},
        // Hertz: the kilo range reads a digit less, and its own multipliers;
        // from 1000 Hz on the range without kilo reads a decade up.
        {"0.500", "3", 1024, 1000, 500, "x100", AnalogScale::ZeroToTen},
        {"1.000", "3", 1024, 1000, 1000, "x100", AnalogScale::ZeroToTen},
        {"1.234", "3", 1024, 10000, 1234, "x1000", AnalogScale::ZeroToTen},
        {"1.000", "6", 1024, 10000, 1000, "x1", AnalogScale::ZeroToTen},
        // Temperature: 0 to 20 scale of 2000, always times 100.
        {" .25C", "2", 32, 2000, 25, "x100", AnalogScale::ZeroToTwenty},
        // Percent: times ten with the point before the last digit (50.0 %),
        // and with the display's own exponent otherwise (12.34 %, 123.4 %).
        {"0.500", "2", 2048, 1000, 500, "x10", AnalogScale::ZeroToTen},
        {"1.234", "1", 2048, 10000, 1234, "x10", AnalogScale::ZeroToTen},
        {"1.234", "2", 2048, 10000, 1234, "x100", AnalogScale::ZeroToTen},
        {"1.234", "2", 67584, 10000, 1234, "x100", AnalogScale::ZeroToTen},
        {"4.560", "1", 67584, 100000, 4560, "x100", AnalogScale::ZeroToTen},
        // Capacitance: the digits on the 0 to 5 scale in every range.
        {"1.234", "3", 8, 5000, 1234, "x1000", AnalogScale::ZeroToFive},
        {"1.234", "1", 8, 5000, 1234, "x10", AnalogScale::ZeroToFive},
    };
    for (const Case& c : cases) {
        const auto m = fedWith(completedReading(c.main, c.exponent, c.code));
        SCOPED_TRACE(std::string(c.main) + " e" + c.exponent + " code " + std::to_string(c.code));
        EXPECT_DOUBLE_EQ(m.fullScale(), c.fullScale);
        EXPECT_DOUBLE_EQ(m.scaleValue(), c.scaleValue);
        EXPECT_EQ(m.multiplierText(), c.multiplier);
        EXPECT_EQ(m.scale(), c.scale);
    }
}

// What a user reads off the analog meter: the scale number under the needle,
// times the multiplier, times the prefix, with the sign mark.
double analogValue(const AnalogMeterModel& m)
{
    const double end = m.scale() == AnalogScale::ZeroToFive ? 5.0 : m.scale() == AnalogScale::ZeroToTen ? 10.0 : 20.0;
    const double dial = (AnalogMeterModel::kZeroAngle - m.needleAngle()) / 120.0 * end;
    const double multiplier = std::stod(m.multiplierText().substr(1));
    return (m.negative() ? -1.0 : 1.0) * dial * multiplier * pow10i(prefixPower(m.prefixText()));
}

TEST(AnalogFeed, AgreesWithTheDigitalMeterForEveryFunction)
{
    const std::int32_t codes[] = {
        code::None,           code::DcVolts,      code::AcVolts,        code::Volts2,
        code::Capacitance,    code::DegreesC,     code::DegreesF,       code::Ohms,
        code::Ohms2,          code::AcAmps,       code::Amps2,          code::Amps3,
        code::ApparentPower1, code::Hertz,        code::Percent,        code::Percent2,
        code::ReactivePower1, code::ActivePower1, code::ApparentPower3, code::ReactivePower3,
        code::ActivePower3,   code::Energy1,      code::Energy3,        3 /* no function of the meter */};
    const char* displays[] = {"0.000", "0.007", "0.050", "1.000",  "1.197", "4.999",
                              "5.000", "5.500", "9.999", "-1.234", "-6.500"};
    int checked = 0;
    for (std::int32_t c : codes) {
        const bool temperature = c == code::DegreesC || c == code::DegreesF;
        // Every exponent the decoder writes: the point's four places, with
        // and without the kilo mark (frequency's run two higher); temperature
        // always has 2.
        std::vector<int> exponents = {0, 1, 2, 3, 4, 5, 6};
        if (c == code::Hertz)
            exponents = {3, 4, 5, 6, 7, 8};
        if (temperature)
            exponents = {2};
        for (const char* display : displays) {
            for (int e : exponents) {
                std::string mainText = display;
                if (temperature)
                    mainText = mainText.substr(0, mainText.size() - 1) + (c == code::DegreesC ? "C" : "F");
                const MeterReading r = completedReading(mainText, std::to_string(e), static_cast<std::uint32_t>(c));
                // The digital meter's value; a function it shows as "----"
                // is taken from the display and its exponent.
                double digital = 0.0;
                if (const auto shown = parseDecimal(r.readoutText))
                    digital = *shown;
                else if (r.readoutText == "----")
                    digital = *parseDecimal(r.mainText) * pow10i(e);
                else
                    FAIL() << "no number for " << display << " code " << c;
                digital *= pow10i(prefixPower(r.prefixText));

                const auto m = fedWith(r);
                SCOPED_TRACE(mainText + " e" + std::to_string(e) + " code " + std::to_string(c) + " shows "
                             + r.readoutText + " " + r.prefixText + r.unitText + ", dial " + m.multiplierText());
                EXPECT_NEAR(analogValue(m), digital, 1e-9 * std::max(1.0, std::fabs(digital)));
                // On the printed scale, never on the stop.
                EXPECT_GE(m.needleAngle(), AnalogMeterModel::kFullScaleAngle - 1e-9);
                EXPECT_LE(m.needleAngle(), AnalogMeterModel::kZeroAngle);
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 1500);
}

TEST(AnalogFeed, MultiplierTexts)
{
    EXPECT_EQ(AnalogMeterModel::multiplierText(4, 0), "x1");
    EXPECT_EQ(AnalogMeterModel::multiplierText(4, 2), "x100");
    EXPECT_EQ(AnalogMeterModel::multiplierText(128, 6), "x1000000");
    EXPECT_EQ(AnalogMeterModel::multiplierText(1024, 3), "x100");
    EXPECT_EQ(AnalogMeterModel::multiplierText(1024, 6), "x1");
    EXPECT_EQ(AnalogMeterModel::multiplierText(1024, 1), "x10");
    EXPECT_EQ(AnalogMeterModel::multiplierText(262145, 3), "x1");
    EXPECT_EQ(AnalogMeterModel::multiplierText(262145, 2), "x100");
    // A tenth truncates to nothing.
    EXPECT_EQ(AnalogMeterModel::multiplierText(128, -1), "x0");
}

TEST(AnalogUpdate, BackgroundIsRedrawnOnANewScaleAndAlwaysForCapacitance)
{
    AnalogMeterModel m; // starts with the scale of code 5 drawn
    m.feed(completedReading("2.304", "2", 5));
    EXPECT_FALSE(m.update());
    m.feed(completedReading("1.234", "0", 4));
    EXPECT_TRUE(m.update());
    EXPECT_FALSE(m.update());
    EXPECT_EQ(m.scaleCode(), 4);
    m.feed(completedReading("1.234", "3", 8));
    EXPECT_TRUE(m.update());
    EXPECT_TRUE(m.update());
}

TEST(AnalogUpdate, RemembersWhereTheNeedleWas)
{
    AnalogMeterModel m;
    EXPECT_DOUBLE_EQ(m.needleAngle(), 150.0);
    m.feed(completedReading("2.500", "0", 4));
    m.update();
    EXPECT_DOUBLE_EQ(m.previousAngle(), 150.0);
    EXPECT_DOUBLE_EQ(m.needleAngle(), 90.0);
}

TEST(AnalogLayout, DialCentredWithThePivotInTheMiddle)
{
    const auto l = AnalogMeterLayout::compute(400);
    EXPECT_EQ(l.dial, QPoint(101, 0));
    EXPECT_EQ(l.scale, QPoint(110, 28));
    EXPECT_EQ(l.pivot, QPoint(200, 132));
    EXPECT_EQ(l.panel1.center().x(), 200 - (l.panel1.width() % 2 == 0 ? 1 : 0));
    // The sign mark sits one and a half marks left of the strip, bottoms level.
    EXPECT_EQ(l.signMark, QPoint(l.panel1.left() - 16, l.panel1.bottom() + 1 - 11));
    EXPECT_EQ(AnalogMeterLayout::windowSize(1600), QSize(400, 178 + 6));
}

TEST(AnalogArtwork, BaseIsLevelOnBothSidesOfThePivot)
{
    test::guiApp();
    const QImage dial = artwork::analogDial();
    const int pivotX = dial.width() / 2; // the pivot lies between pixels pivotX - 1 and pivotX
    // The base and its dome are mirror images about the pivot (its shaded
    // boss apart).
    int compared = 0;
    for (int y = 100; y < 145; ++y)
        for (int dx = 1; dx < pivotX - 10; ++dx) {
            if (dx < 10 && std::abs(y - AnalogMeterModel::kPivotY) < 10)
                continue;
            const QColor left = dial.pixelColor(pivotX - dx, y);
            const QColor right = dial.pixelColor(pivotX - 1 + dx, y);
            ASSERT_LE(std::abs(left.lightness() - right.lightness()), 8) << "dx " << dx << " y " << y;
            ++compared;
        }
    EXPECT_GT(compared, 3000);
}

TEST(AnalogArtwork, NothingOnTheScaleLiesBeyondTheNeedlesTip)
{
    test::guiApp();
    const QPointF pivot(artwork::kDialSize.width() / 2 - artwork::kScaleOnDial.x(),
                        AnalogMeterModel::kPivotY - artwork::kScaleOnDial.y());
    for (AnalogScale s : {AnalogScale::ZeroToFive, AnalogScale::ZeroToTen, AnalogScale::ZeroToTwenty}) {
        const QImage scale = artwork::analogScale(s);
        double farthest = 0;
        double blueAngle = 0; // the largest angle of the blue zero, 150 being the end tick
        for (int y = 0; y < scale.height(); ++y)
            for (int x = 0; x < scale.width(); ++x) {
                const QColor c = scale.pixelColor(x, y);
                if (c.alpha() < 64)
                    continue;
                const double dx = x + 0.5 - pivot.x(), dy = pivot.y() - (y + 0.5);
                farthest = std::max(farthest, std::hypot(dx, dy));
                if (c.blue() > 150 && c.red() < 100)
                    blueAngle = std::max(blueAngle, std::atan2(dy, dx) * 180.0 / 3.14159265358979);
            }
        // The needle is 100 pixels long: the arc is where it ends, and the
        // numbers are inside it, never where the needle would run past.
        EXPECT_LE(farthest, AnalogMeterModel::kNeedleLength + 1.0);
        if (s == AnalogScale::ZeroToTen) {
            EXPECT_GT(blueAngle, 0.0);
            EXPECT_LT(blueAngle, 148.0); // clear of the end tick at 150 degrees
        }
    }
}

class AnalogMeterFormTest : public ::testing::Test {
protected:
    AnalogMeterFormTest()
    {
        test::guiApp();
        form.setNeedleSweep(false);
    }
    QString text(const char* name) { return form.findChild<QLabel*>(QString::fromLatin1(name))->text(); }

    QApplication& app = test::guiApp(); // before any widget
    TAnalogMeterForm form;
};

TEST_F(AnalogMeterFormTest, VisibleViewRedrawsOnEachReading)
{
    form.show();
    test::settle();
    test::PaintCounter paints(&form);
    form.feed(completedReading("-1.234", "0", 4));
    // Nothing happens until the posted update runs.
    EXPECT_DOUBLE_EQ(form.shownNeedleAngle(), 150.0);
    test::settle();
    EXPECT_GT(paints.count, 0);
    EXPECT_DOUBLE_EQ(form.model().needleAngle(), 120.384);
    EXPECT_DOUBLE_EQ(form.shownNeedleAngle(), 120.384);
    EXPECT_EQ(text("MultPanel"), "x1");
    EXPECT_EQ(text("FuncPanel"), "V");
}

TEST_F(AnalogMeterFormTest, StripAndNeedleReadAsTheDigitalMeterDoes)
{
    form.show();
    form.feed(completedReading("1.197", "3", code::ActivePower1)); // 1.197 kW
    test::settle();
    EXPECT_EQ(text("MultPanel"), "x1");
    EXPECT_EQ(text("UnitPanel"), "k");
    EXPECT_EQ(text("FuncPanel"), "W");
    EXPECT_DOUBLE_EQ(form.shownNeedleAngle(), AnalogMeterModel::needleAngleFor(1.197, 10));

    form.feed(completedReading("SHrt", "0", code::Ohms)); // a message, not a reading
    test::settle();
    EXPECT_EQ(text("MultPanel"), "x1");
    EXPECT_DOUBLE_EQ(form.shownNeedleAngle(), 150.0);
}

TEST_F(AnalogMeterFormTest, HiddenViewIsFedButNotRedrawn)
{
    test::PaintCounter paints(&form);
    form.feed(completedReading("4.702", "3", 128));
    test::settle();
    EXPECT_EQ(paints.count, 0);
    EXPECT_DOUBLE_EQ(form.model().scaleValue(), 4702.0);
    EXPECT_DOUBLE_EQ(form.model().needleAngle(), 150.0);
}

TEST_F(AnalogMeterFormTest, MinimisedViewIsNotRedrawnAndShowsTheLatestFeedWhenRestored)
{
    form.show();
    form.feed(completedReading("2.500", "0", 4));
    test::settle();
    ASSERT_DOUBLE_EQ(form.shownNeedleAngle(), 90.0);

    form.showMinimized();
    test::settle();
    ASSERT_TRUE(form.isMinimized());
    test::PaintCounter paints(&form);
    form.feed(completedReading("4.702", "3", 128));
    test::settle();
    EXPECT_EQ(paints.count, 0);
    EXPECT_DOUBLE_EQ(form.model().needleAngle(), 90.0);

    // Restored: scale, texts and sign of the latest feed at once; the needle
    // keeps its place until the next reading moves it.
    form.showNormal();
    test::settle();
    EXPECT_GT(paints.count, 0);
    EXPECT_EQ(text("UnitPanel"), "k");
    EXPECT_EQ(text("FuncPanel"), QString::fromUtf8("\u03A9"));
    EXPECT_EQ(form.model().scale(), AnalogScale::ZeroToTen);
    EXPECT_DOUBLE_EQ(form.shownNeedleAngle(), 90.0);

    form.feed(completedReading("4.702", "3", 128));
    test::settle();
    EXPECT_DOUBLE_EQ(form.shownNeedleAngle(), AnalogMeterModel::needleAngleFor(4702, 10000));
}

TEST_F(AnalogMeterFormTest, PlacedBelowTheMainWindowAndTheDigitalMeter)
{
    form.placeInitially(60, 240);
    const QRect screen = form.screen()->geometry();
    EXPECT_EQ(form.pos(), QPoint(0, 300));
    EXPECT_EQ(form.size(), AnalogMeterLayout::windowSize(screen.width()));
    // Not resizable: tiling only moves it.
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
}

TEST_F(AnalogMeterFormTest, SweepEndsAtTheComputedAngleBeforeTheNextReading)
{
    form.setNeedleSweep(true);
    form.show();
    form.feed(completedReading("5.000", "0", 4));
    QElapsedTimer waited;
    waited.start();
    while (form.shownNeedleAngle() != 30.0 && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_DOUBLE_EQ(form.shownNeedleAngle(), 30.0);

    // A new reading in mid-swing makes for the new angle at once; hiding ends
    // the swing where the needle belongs.
    form.feed(completedReading("0.000", "0", 4));
    test::settle();
    form.hide();
    EXPECT_DOUBLE_EQ(form.shownNeedleAngle(), 150.0);
}

} // namespace
} // namespace vt640
