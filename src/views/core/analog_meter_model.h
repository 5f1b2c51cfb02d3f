#pragma once

#include "meter/meter_reading.h"

#include <cstdint>
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

    // Stores the needle inputs taken from a completed reading. A display that
    // is not a number leaves them as they were, except an overload, which
    // puts the value a tenth beyond the full scale of 5000.
    void feed(const MeterReading& reading);

    // The posted update: remembers the scale drawn and moves the needle to the
    // fed value. Returns true when the whole background has to be drawn anew
    // (the scale changed, or capacitance, whose range can change any time).
    bool update();

    // The angle for a value on a scale (the sign is shown apart by the sign
    // mark): zero at 150 degrees, full scale at 30, never past the stop at 25.
    static double needleAngleFor(double scaleValue, double fullScale);
    // Which printed scale a function uses.
    static AnalogScale scaleFor(std::int32_t functionCode);
    // "x1", "x10", "x100", ...: the factor the scale's numbers are read with.
    static std::string multiplierText(std::int32_t functionCode, std::int32_t exponent);

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

    // The scale of the current code and the multiplier of the current feed.
    AnalogScale scale() const { return scaleFor(code_); }
    std::string multiplierText() const { return multiplierText(code_, exponent_); }

private:
    double needleAngle_ = kZeroAngle;
    double previousAngle_ = kZeroAngle;
    double fullScale_ = 5000.0;
    double scaleValue_ = 0.0;
    std::int32_t exponent_ = 2;
    std::int32_t scaleCode_ = 5;
    std::int32_t code_ = 5;
    bool negative_ = false;
    std::string mainText_;
    std::string valueText_;
    std::string prefixText_;
    std::string unitText_;
};

} // namespace vt640
