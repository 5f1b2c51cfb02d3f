#pragma once

#include <QApplication>

#include <functional>

namespace vt640 {

class PromptService;
class TFormMain;

// The application object. An exception that escapes an event handler is
// caught here, once for the whole program, reported in a message box, and
// the program goes on. Start-up, which runs before the event loop, goes
// through the same report.
class GuardedApplication : public QApplication {
    Q_OBJECT
public:
    GuardedApplication(int& argc, char** argv);

    void setPrompts(PromptService* prompts) { prompts_ = prompts; }
    bool notify(QObject* receiver, QEvent* event) override;

    // Runs `step` (start-up work outside the event loop); an exception that
    // escapes it is reported as notify() reports one. False when it threw.
    bool guard(const std::function<void()>& step);

    // Reports an exception the way notify() does; for code outside the loop.
    void reportException(const QString& what);

    // Ends the event loop once the main window has closed.
    void endWithMainWindow(TFormMain* formMain);

private:
    // Reports the exception being handled; call only from inside a catch.
    void reportCurrentException();

    PromptService* prompts_ = nullptr;
    bool reporting_ = false;
};

} // namespace vt640
