// The recorder program as its main() puts it together, for the crash test:
// it links to the meter with a click on the link button, starts logging
// with a click on Start once a reading has come, and writes each record it
// logs to its standard output as it goes. The test kills it while it logs.
#include "app/app_windows.h"
#include "app/core/acquisition_cycle.h"
#include "app/core/global_state.h"
#include "app/form_main.h"
#include "app/guarded_application.h"
#include "app/widget_prompt_service.h"
#include "recorder/graphical_form.h"

#include <QTest>
#include <QToolButton>

#include <cerrno>
#include <unistd.h>

int main(int argc, char** argv)
{
    using namespace vt640;
    GuardedApplication app(argc, argv);
    WidgetPromptService prompts;
    app.setPrompts(&prompts);
    GlobalState state;
    AppWindows windows(state, prompts, AppWindows::Options{});
    windows.showStartupWindows();

    TGraphicalForm* recorder = windows.graphicalForm();
    QObject::connect(&recorder->session(), &RecorderSession::recordAppended, recorder, [recorder](int i) {
        const char* p = reinterpret_cast<const char*>(&recorder->buffer()[i]);
        std::size_t left = sizeof(TBRecord);
        while (left > 0) {
            const ssize_t n = ::write(STDOUT_FILENO, p, left);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return;
            p += n;
            left -= static_cast<std::size_t>(n);
        }
    });
    QObject::connect(
        &windows.cycle(), &AcquisitionCycle::readingCompleted, recorder,
        [recorder] {
            if (!recorder->logging())
                QTest::mouseClick(recorder->sbtnRecordStart, Qt::LeftButton);
        },
        Qt::QueuedConnection);
    QTest::mouseClick(windows.formMain()->button(QStringLiteral("sbtnLink")), Qt::LeftButton);
    return app.exec();
}
