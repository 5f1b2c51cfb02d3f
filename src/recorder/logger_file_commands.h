#pragma once

#include "recorder/core/logger_layout.h"

#include <QString>

#include <functional>
#include <memory>

class QProgressBar;
class QWidget;

namespace vt640 {

class GlobalState;
class PromptService;
class RecorderSession;
class TMsgForm;

// The recorder's file commands with their dialogs and messages: Open (the
// file dialog, then the file read into the session with the progress form
// showing and Abort available), Save As, and the start-up offer of a
// temporary file left by a run that did not end normally. The session does
// the reading and writing; the recorder window draws what it then holds.
class LoggerFileCommands {
public:
    // Boxes and dialogs are owned by `owner`. `clear` empties the buffer as
    // the Clear command does, asking first when the data is unsaved; the
    // buffer may be left as it was. `bar` is the recorder's own progress bar.
    LoggerFileCommands(QWidget& owner, RecorderSession& session, GlobalState& state, PromptService& prompts,
                       std::function<void()> clear, QProgressBar& bar);
    ~LoggerFileCommands();
    LoggerFileCommands(const LoggerFileCommands&) = delete;
    LoggerFileCommands& operator=(const LoggerFileCommands&) = delete;

    // The progress form to show (the program's one); without it one of
    // its own is made when first needed.
    void setProgressForm(TMsgForm& form) { progress_ = &form; }
    TMsgForm& progressForm();

    // Open: clear (asking first when the data is unsaved), the open dialog,
    // then the file.
    void open();
    // Open for a file chosen beforehand (the command line): clear, asking
    // first, then the file, with the layout its name gives.
    void open(const QString& path);

    enum class Outcome { Opened, Aborted, Failed };
    // Reads `path` with `layout` into the buffer, which must be empty, with
    // progress and Abort; from the dialog's answer on.
    Outcome openPath(const QString& path, RecordLayout layout);

    // Save As: the whole buffer as a ".640" file the user chooses. True when
    // the data ended up saved.
    bool saveAs();

    // At start-up: offers the newest temporary file that a run which did
    // not end normally left in the working folder, in one question that
    // names it and its records. Yes opens it as Open would (128-byte
    // records, unsaved); both answers rename the file so it is not offered
    // again, and nothing is deleted. One that cannot be read is told once.
    void offerRecovery();

private:
    void showReadProgress(int done, int total);

    QWidget& owner_;
    RecorderSession& session_;
    GlobalState& state_;
    PromptService& prompts_;
    std::function<void()> clear_;
    QProgressBar& bar_;
    TMsgForm* progress_ = nullptr;
    std::unique_ptr<TMsgForm> ownProgress_;
};

} // namespace vt640
