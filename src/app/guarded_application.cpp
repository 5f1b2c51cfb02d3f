#include "app/guarded_application.h"

#include "app/core/prompt_service.h"
#include "app/form_main.h"
#include "app/core/user_messages.h"

#include <cstdio>
#include <exception>

namespace vt640 {

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool GuardedApplication::notify(QObject* receiver, QEvent* event)
{
    // Its own try block rather than guard(): every event passes here, and
    // wrapping the call in a std::function would allocate each time.
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportCurrentException();
    }
    return false;
}

bool GuardedApplication::guard(const std::function<void()>& step)
{
    try {
        step();
        return true;
    } catch (...) {
        reportCurrentException();
    }
    return false;
}

void GuardedApplication::reportCurrentException()
{
    try {
        throw;
    } catch (const std::exception& e) {
        reportException(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        reportException(QStringLiteral("Unknown exception"));
    }
}

void GuardedApplication::endWithMainWindow(TFormMain* formMain)
{
    // Not quit(): that first asks every window to close and gives up when one
    // refuses, and the meter views refuse, since they close only with the
    // program. The close query has already run in the main window.
    connect(
        formMain, &TFormMain::programEnding, this, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

void GuardedApplication::reportException(const QString& what)
{
    std::fprintf(stderr, "vt640-recorder: %s\n", what.toLocal8Bit().constData());
    // One report at a time: an exception inside the report's own event loop
    // is only logged.
    if (!prompts_ || reporting_)
        return;
    reporting_ = true;
    PromptService::Message box;
    box.caption = loadString(Str::MeterModel) + " " + loadString(Str::AppTitle);
    box.text = what;
    box.icon = PromptService::Icon::Stop;
    try {
        prompts_->message(activeWindow(), box);
    } catch (...) {
    }
    reporting_ = false;
}

} // namespace vt640
