#pragma once

#include "meter/meter_reading.h"
#include "meter/reading_completion.h"
#include "support/gui_test_app.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <cstdint>
#include <string>

namespace vt640::test {

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
