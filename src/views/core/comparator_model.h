#pragma once

#include "meter/meter_reading.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vt640 {

// A tone the alarm asks for.
struct ToneRequest {
    int hertz = 0;
    int milliseconds = 0;
    bool operator==(const ToneRequest&) const = default;
};

// The comparator's judgement of readings against an upper and a lower limit.
// The band between the limits (GO) spans 40 degrees of the needle's travel,
// with half a band's width of NG on either side: the reading at the lower
// limit points to 110 degrees, at the upper limit to 70, and the needle stops
// at 130 and 50 at the ends.
class ComparatorModel {
public:
    static constexpr double kStartAngle = 130.0;
    static constexpr int kNeedleLength = 70;
    // The pivot is this far below the top of the window, centred.
    static constexpr int kPivotY = 99;
    static constexpr ToneRequest kHighTone{1047, 100};
    static constexpr ToneRequest kLowTone{523, 100};

    ComparatorModel(double upperLimit, double lowerLimit);

    // Stores the reading as comparedReading() gives it and tells whether an
    // update is due. A display that is not a number changes nothing and asks
    // for no update, except an overload, which is placed half a band beyond
    // the limit on the side of its sign.
    bool feed(const MeterReading& reading);

    // The update on a reading: moves the needle and returns the tone to sound,
    // if the alarm is on and the reading lies strictly outside the limits.
    std::optional<ToneRequest> update();

    // The needle angle for a reading; equal limits leave no band to scale and
    // put the needle in the middle of GO, at 90 degrees.
    static double needleAngleFor(float reading, double upperLimit, double lowerLimit);
    // The tone for a reading: high above the upper limit, low below the lower
    // one, none on or between them (limitSide()).
    static std::optional<ToneRequest> toneFor(float reading, double upperLimit, double lowerLimit);

    void setLimits(double upperLimit, double lowerLimit);
    double upperLimit() const { return upper_; }
    double lowerLimit() const { return lower_; }

    // Toggles the alarm and returns its new state.
    bool toggleAlarm();
    bool alarm() const { return alarm_; }

    float reading() const { return reading_; }
    double needleAngle() const { return needleAngle_; }
    double previousAngle() const { return previousAngle_; }
    std::int32_t code() const { return code_; }
    const std::string& prefixText() const { return prefixText_; }
    const std::string& unitText() const { return unitText_; }

private:
    double upper_;
    double lower_;
    float reading_ = 0.0f;
    double needleAngle_ = kStartAngle;
    double previousAngle_ = kStartAngle;
    bool alarm_ = false;
    std::int32_t code_ = 0;
    std::string prefixText_;
    std::string unitText_;
};

} // namespace vt640
