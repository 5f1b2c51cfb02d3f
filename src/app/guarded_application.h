#pragma once

#include <QApplication>

namespace vt640 {

class PromptService;
class TFormMain;

// The application object. An exception that escapes an event handler is
// caught here, once for the whole program, reported in a message box, and
// the program goes on.
class GuardedApplication : public QApplication {
    Q_OBJECT
public:
    GuardedApplication(int& argc, char** argv);

    void setPrompts(PromptService* prompts) { prompts_ = prompts; }
    bool notify(QObject* receiver, QEvent* event) override;

    // Reports an exception the way notify() does; for code outside the loop.
    void reportException(const QString& what);

    // Ends the event loop once the main window has closed.
    void endWithMainWindow(TFormMain* formMain);

private:
    PromptService* prompts_ = nullptr;
    bool reporting_ = false;
};

} // namespace vt640
