#pragma once

#include "meter/meter_reading.h"
#include "meter/reading_completion.h"

#include <QCoreApplication>
#include <QEvent>
#include <QInputDevice>
#include <QObject>

#include <cstdint>
#include <string>

namespace vt640::test {

// The test program's QApplication lives in a function-local static. Once a
// test has produced input (keys, window-state changes), Qt registers input
// devices in a registry of its own, which is then younger than the
// application, dies before it at exit, and the application's destructor
// crashes on it. Touching the registry before main makes it the older one.
inline const bool kInputDevicesBeforeApplication = (QInputDevice::devices(), true);

// A reading as the acquisition cycle hands it to the views: decoded fields
// set, then completed.
inline MeterReading completedReading(const std::string& mainText, const std::string& exponentText,
                                     std::uint32_t rawCode, std::uint8_t status = 0,
                                     const std::string& subText = "",
                                     const std::string& subFunction = "")
{
    MeterReading r;
    r.mainText = mainText;
    r.exponentText = exponentText;
    r.rawCode = rawCode;
    r.status = status;
    r.subText = subText;
    r.subFunction = subFunction;
    r.functionCode = static_cast<std::int32_t>(rawCode & ~code::LowBatteryBit);
    completeMeterReading(r);
    return r;
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QObject* watched) { watched->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

// Lets posted updates and paints run.
inline void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

} // namespace vt640::test
