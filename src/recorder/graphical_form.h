#pragma once

#include "meter/meter_reading.h"

#include <QMainWindow>

namespace vt640 {

class GlobalState;
class PromptService;

// The graphical recorder: logs readings against time.
class TGraphicalForm : public QMainWindow {
    Q_OBJECT
public:
    // `reading` is the shared current reading held by the main window.
    TGraphicalForm(GlobalState& state, PromptService& prompts, const MeterReading& reading,
                   QWidget* parent = nullptr);

    // Places the window as at start-up (below the digital meter).
    void placeInitially(int mainHeight, int digitalMeterHeight);

    // The next delivered reading is to be logged.
    bool sampleRequested() const { return sampleRequested_; }
    bool bufferEmpty() const { return true; }
    bool unsavedData() const { return false; }

    // Save As; true when the data ended up saved.
    bool saveDataAs() { return false; }

public slots:
    // The posted reading message: clear the sample request and log one record.
    void meterReadingArrived();
    // Sent by the unlink action: automatic logging stops.
    void linkDropped();

signals:
    // The data list follows the buffer through these.
    void dataListCleared();
    void dataListRowAdded(int index);
    // "Fit all data": show the graph viewer.
    void fitAllDataRequested();

private:
    GlobalState& state_;
    PromptService& prompts_;
    const MeterReading& reading_;
    bool sampleRequested_ = false;
};

} // namespace vt640
