#pragma once

#include "meter/meter_reading.h"

#include <QWidget>

namespace vt640 {

class GlobalState;

// The moving-coil needle meter.
class TAnalogMeterForm : public QWidget {
    Q_OBJECT
public:
    explicit TAnalogMeterForm(GlobalState& state, QWidget* parent = nullptr);

    // Height of the dial artwork; tiling sizes the window from it.
    static int dialHeight();

    // Stores the needle inputs of the reading whether or not the view is
    // shown, then posts itself a redraw if it is visible and not minimised.
    void feed(const MeterReading& reading);

public slots:
    // The posted reading message: redraw scale, texts and needle.
    void meterReadingArrived();

private:
    GlobalState& state_;
};

} // namespace vt640
