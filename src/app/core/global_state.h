#pragma once

#include "meter/meter_port.h"
#include "meter/port_table.h"

#include <QObject>
#include <QString>

#include <array>

namespace vt640 {

// The state shared by the main window, the serial link, the views and the
// recorder for the whole run. The application creates exactly one and hands
// it to every window that needs it; nothing reaches it through a global.
class GlobalState : public QObject {
    Q_OBJECT

public:
    explicit GlobalState(QObject* parent = nullptr);
    ~GlobalState() override;

    // Serial port number (COM1..COM8 as offered by the port dialog; the port
    // table knows 1..10). Set from the settings file and by the port dialog.
    int iPort = 1;
    // The open serial port, or null.
    MeterPortHandle meterPort;
    // Port names and the devices they stand for.
    PortTable portTable;
    // The current directory at start-up, without a trailing separator; the
    // settings file and the recorder's temporary files live there.
    QString workingDirectory;
    // Entry n-1 tells whether COMn (n = 1..8) could be opened when the ports
    // were last probed (at start-up and each time the port dialog opens).
    std::array<bool, 8> portPresent{};
    // Height of the task bar, 0 when it hides itself.
    int taskbarHeight = 0;
    // Comparator limits as read from the settings file.
    double fHiLimit = 0.0;
    double fLowLimit = 0.0;
    // True once the acquisition cycle has handed out a reading since the last link.
    bool readingAvailable = false;

    // Whether COMn (1..8) was present when last probed; false for other numbers.
    bool isPortPresent(int n) const;
    // Looks again which of COM1..COM8 can be opened now, through the port
    // table (a newly plugged adapter, a link made since, the demo meter).
    void probePorts();

    // True while the recorder reads a logger file; clearing it asks the
    // reading loop to stop.
    bool fileLoadBusy() const { return fileLoadBusy_; }
    // Emits fileLoadBusyChanged when the value changes.
    void setFileLoadBusy(bool busy);

signals:
    void fileLoadBusyChanged(bool busy);

private:
    bool fileLoadBusy_ = false;
};

} // namespace vt640
