#pragma once

#include "recorder/core/logger_layout.h"

#include <QString>

#include <memory>

namespace vt640 {

class GlobalState;
class PromptService;
class TGraphicalForm;
class TMsgForm;

// The recorder's Open command and the start-up offer of left temporary
// files: a logger file is read into the record buffer with the progress
// form showing and Abort available, then counted in and drawn. The window
// calls it; it drives the window's state and drawing.
class LoggerFileOpener {
public:
    LoggerFileOpener(TGraphicalForm& form, GlobalState& state, PromptService& prompts);
    ~LoggerFileOpener();
    LoggerFileOpener(const LoggerFileOpener&) = delete;
    LoggerFileOpener& operator=(const LoggerFileOpener&) = delete;

    // The progress form to show (the program's one); without it the opener
    // makes one of its own when first needed.
    void setProgressForm(TMsgForm& form) { progress_ = &form; }
    TMsgForm& progressForm();

    // Open: clear (asking first when the data is unsaved), the open dialog,
    // then the file.
    void open();
    // Open for a file chosen beforehand: clear (asking first), then the
    // file, with the layout its name gives.
    void open(const QString& path);

    enum class Outcome { Opened, Aborted, Failed };
    // Reads `path` with `layout` into the buffer, which must be empty, with
    // progress and Abort; from the dialog's answer on.
    Outcome openPath(const QString& path, RecordLayout layout);

    // At start-up: offers the newest temporary file that a run which did
    // not end normally left in the working directory, in one question that
    // names it and its records. Yes opens it as Open would (128-byte
    // records, unsaved); both answers rename the file so it is not offered
    // again, and nothing is deleted.
    void offerRecovery();

    // The reading lets the event loop run before the first record, every
    // kYieldRecords records and whenever kYieldMs have passed, so that
    // Abort answers at once; cleared `fileLoadBusy` is checked before each
    // record.
    static constexpr int kYieldRecords = 4096;
    static constexpr int kYieldMs = 10;

private:
    void showReadProgress(int done, int total);
    void discardRead();

    TGraphicalForm& form_;
    GlobalState& state_;
    PromptService& prompts_;
    TMsgForm* progress_ = nullptr;
    std::unique_ptr<TMsgForm> ownProgress_;
};

} // namespace vt640
