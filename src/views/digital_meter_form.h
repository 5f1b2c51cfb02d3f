#pragma once

#include "meter/meter_reading.h"

#include <QWidget>

namespace vt640 {

class GlobalState;

// The LCD-like readout of the current reading.
class TDigitalMeterForm : public QWidget {
    Q_OBJECT
public:
    explicit TDigitalMeterForm(GlobalState& state, QWidget* parent = nullptr);

    // Called directly by the acquisition tick after each completed reading.
    void updateReading(const MeterReading& reading);
    // Caption "Digital Meter : COM n".
    void setPortCaption(int port);
    // Places the view as at start-up, below the main window of `mainHeight`.
    void placeInitially(int mainHeight);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    GlobalState& state_;
};

} // namespace vt640
