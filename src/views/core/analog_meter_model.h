#pragma once

#include "meter/meter_reading.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vt640 {

// The three printed scales of the analog meter.
enum class AnalogScale { ZeroToFive, ZeroToTen, ZeroToTwenty };

// What the needle meter remembers between readings: the inputs of the last
// feed and the angle the needle stands at. Feeding happens on every reading,
// shown or not; an update moves the needle.
class AnalogMeterModel {
public:
    // Needle angles in degrees: 150 is the left end of the scale (zero), 30
    // the right end (full scale), 25 the stop beyond it.
    static constexpr double kZeroAngle = 150.0;
    static constexpr double kFullScaleAngle = 30.0;
    static constexpr double kStopAngle = 25.0;
    static constexpr int kNeedleLength = 100;
    // The pivot is this far below the top of the window, centred.
    static constexpr int kPivotY = 132;

    // Stores the needle inputs taken from a completed reading, by the
    // function's table of full scales and multipliers. Wherever that table
    // would make the dial disagree with the digital meter (dial reading times
    // multiplier times prefix is the number the digital meter shows), or
    // would put the needle past the end of the scale, the full scale, the
    // printed scale or the multiplier follow the digital meter instead. An
    // overload puts the value a tenth beyond the full scale of 5000; any
    // other display that is not a number puts the needle at zero, times one.
    void feed(const MeterReading& reading);

    // The posted update: remembers the scale drawn and moves the needle to the
    // fed value. Returns true when the whole background has to be drawn anew
    // (the function or its printed scale changed, or capacitance, whose range
    // can change any time).
    bool update();

    // The angle for a value on a scale (the sign is shown apart by the sign
    // mark): zero at 150 degrees, full scale at 30, never past the stop at 25.
    static double needleAngleFor(double scaleValue, double fullScale);
    // Which printed scale a function uses.
    static AnalogScale scaleFor(std::int32_t functionCode);
    // The power of ten the scale's numbers are read with, by the function's
    // table, for a reading of `exponent`.
    static std::int32_t multiplierExponentFor(std::int32_t functionCode, std::int32_t exponent);
    // "x1", "x10", "x100", ...: that factor as the strip shows it.
    static std::string multiplierText(std::int32_t functionCode, std::int32_t exponent);
    // The last number printed on a scale (5, 10 or 20).
    static double scaleEnd(AnalogScale scale);

    double needleAngle() const { return needleAngle_; }
    double previousAngle() const { return previousAngle_; }
    double fullScale() const { return fullScale_; }
    double scaleValue() const { return scaleValue_; }
    std::int32_t exponent() const { return exponent_; }
    std::int32_t scaleCode() const { return scaleCode_; }
    std::int32_t code() const { return code_; }
    bool negative() const { return negative_; }
    const std::string& mainText() const { return mainText_; }
    const std::string& valueText() const { return valueText_; }
    const std::string& prefixText() const { return prefixText_; }
    const std::string& unitText() const { return unitText_; }

    // The printed scale, the multiplier and the dial reading of the current
    // feed: where on the printed scale the needle points.
    AnalogScale scale() const { return scale_; }
    std::string multiplierText() const;
    double dialReading() const;

private:
    void agreeWithDigitalMeter(std::optional<double> digitalNumber);

    double needleAngle_ = kZeroAngle;
    double previousAngle_ = kZeroAngle;
    double fullScale_ = 5000.0;
    double scaleValue_ = 0.0;
    std::int32_t exponent_ = 2;
    std::int32_t multiplierExponent_ = 2;
    AnalogScale scale_ = AnalogScale::ZeroToTen;
    AnalogScale drawnScale_ = AnalogScale::ZeroToTen;
    std::int32_t scaleCode_ = 5;
    std::int32_t code_ = 5;
    bool negative_ = false;
    std::string mainText_;
    std::string valueText_;
    std::string prefixText_;
    std::string unitText_;
};

} // namespace vt640
