#pragma once

#include "meter/meter_port.h"

#include <QString>

class QWidget;

namespace vt640 {

class PromptService;

// The lines below E9001's text: the device and the system's reason for
// `error` ("/dev/ttyS0: Permission denied"; the device alone for 0), and
// for a port the user may not open, on a line of its own, how to be let in
// (the dialout group). The window and vt640-tool say the same.
QString portOpenDetail(const std::string& device, int error);

// Shows the port layer's failures as the program's message boxes: E9001 for a
// port that cannot be opened, E9009 followed by W8001 for time-outs that
// cannot be set.
class PortErrorMessages : public PortErrorReporter {
public:
    PortErrorMessages(PromptService& prompts, QWidget* owner) : prompts_(prompts), owner_(owner) {}
    void portOpenError(const std::string& device, int error) override;
    void portTimeoutError() override;

private:
    PromptService& prompts_;
    QWidget* owner_;
};

} // namespace vt640
