#pragma once

#include "meter/meter_port.h"

class QWidget;

namespace vt640 {

class PromptService;

// Shows the port layer's failures as the program's message boxes: E9001 for a
// port that cannot be opened, E9009 followed by W8001 for time-outs that
// cannot be set.
class PortErrorMessages : public PortErrorReporter {
public:
    PortErrorMessages(PromptService& prompts, QWidget* owner) : prompts_(prompts), owner_(owner) {}
    void portOpenError(const std::string& device) override;
    void portTimeoutError() override;

private:
    PromptService& prompts_;
    QWidget* owner_;
};

} // namespace vt640
