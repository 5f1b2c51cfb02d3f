#include "recorder/logger_file_commands.h"

#include "app/core/global_state.h"
#include "app/core/prompt_service.h"
#include "app/core/user_messages.h"
#include "recorder/core/recorder_session.h"
#include "viewer/core/safe_file_writer.h"
#include "viewer/msg_form.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <cstring>
#include <optional>

namespace vt640 {
namespace {

constexpr int kProgressMaximum = 64; // the progress form's bar while reading

// The hourglass for as long as a file is being read.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

QString numbered(Str message) { return QStringLiteral("[W%1] ").arg(number(message)) + loadString(message); }

QString systemText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

std::string encoded(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString decoded(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

QString tooManyRecords(std::int64_t records)
{
    return loadFormatted(Str::ReasonTooManyRecords,
                         {QString::number(records), QString::number(records * static_cast<qint64>(sizeof(TBRecord)))});
}

// Why a file could not be read, as the second line of E9004.
QString readFailure(const RecorderSession::Read& read)
{
    using Status = LoggerFileReader::Status;
    switch (read.status) {
    case Status::Ok: break;
    case Status::CannotOpen: return systemText(read.systemError) + QLatin1Char('.');
    case Status::NotAFile: return loadString(Str::ReasonNotAFile);
    case Status::TooLarge: return tooManyRecords(read.records);
    case Status::ReadFailed: return loadFormatted(Str::ReasonReadFailed, {systemText(read.systemError)});
    }
    return {};
}

} // namespace

LoggerFileCommands::LoggerFileCommands(QWidget& owner, RecorderSession& session, GlobalState& state,
                                       PromptService& prompts, std::function<void()> clear, QProgressBar& bar)
    : owner_(owner), session_(session), state_(state), prompts_(prompts), clear_(std::move(clear)), bar_(bar)
{}

LoggerFileCommands::~LoggerFileCommands() = default;

TMsgForm& LoggerFileCommands::progressForm()
{
    if (!progress_) {
        ownProgress_ = std::make_unique<TMsgForm>(state_, prompts_);
        progress_ = ownProgress_.get();
    }
    return *progress_;
}

void LoggerFileCommands::open()
{
    clear_();
    if (!session_.bufferEmpty())
        return; // the user kept the data

    PromptService::FileRequest request;
    request.caption = loadString(Str::MenuOpen).remove(QLatin1Char('&'));
    // "text|pattern|text|pattern...": the dialog shows the texts.
    const QStringList parts = loadString(Str::OpenFilter).split(QLatin1Char('|'));
    for (qsizetype i = 0; i < parts.size(); i += 2)
        request.filters << parts[i];
    request.defaultSuffix = QStringLiteral("r27");
    request.save = false;
    const QString path = prompts_.fileName(&owner_, request);
    if (path.isEmpty())
        return;
    openPath(path, layoutForPath(encoded(path)));
}

void LoggerFileCommands::open(const QString& path)
{
    clear_();
    if (!session_.bufferEmpty())
        return; // the user kept the data
    openPath(path, layoutForPath(encoded(path)));
}

LoggerFileCommands::Outcome LoggerFileCommands::openPath(const QString& path, RecordLayout layout)
{
    // The dialog goes away before anything else happens.
    QCoreApplication::processEvents();

    std::optional<WaitCursor> cursor;
    TMsgForm* msg = nullptr;
    RecorderSession::ReadProgress progress;
    progress.started = [&](int) {
        cursor.emplace();
        msg = &progressForm();
        msg->setMessage(numbered(Str::WarnReadingFile), Qt::red);
        msg->Label1->clear();
        msg->ProgressBar->setRange(0, kProgressMaximum);
        msg->ProgressBar->setValue(0);
        msg->show();
        msg->raise();
        msg->repaint();
        // Every recorder command (and the link controls) wait while reading.
        state_.setFileLoadBusy(true);
        bar_.setRange(0, session_.core().pointsPerPage());
    };
    progress.reading = [&](int done, int total) {
        // The counter names the record read last; before the first one it
        // stays empty.
        if (done > 0)
            showReadProgress(done, total);
        if (done < total)
            QCoreApplication::processEvents();
        // Cleared when Abort was confirmed in the progress form.
        return state_.fileLoadBusy();
    };
    progress.adding = [&] {
        // Adding the records to the buffer cannot be aborted.
        msg->ProgressBar->setValue(msg->ProgressBar->maximum());
        msg->bbtnAbort->setEnabled(false);
        QCoreApplication::processEvents();
        msg->setMessage(numbered(Str::WarnAddingData), Qt::blue);
        msg->repaint();
    };

    const RecorderSession::Read read = session_.open(encoded(path), layout, progress);
    if (msg) {
        msg->bbtnAbort->setEnabled(true);
        msg->hide();
    }
    cursor.reset();
    state_.setFileLoadBusy(false);
    switch (read.outcome) {
    case RecorderSession::Read::Outcome::Opened: return Outcome::Opened;
    case RecorderSession::Read::Outcome::Aborted: return Outcome::Aborted;
    case RecorderSession::Read::Outcome::Failed: break;
    }
    showFileError(prompts_, &owner_, Str::ErrFileOpen, path, readFailure(read));
    return Outcome::Failed;
}

void LoggerFileCommands::showReadProgress(int done, int total)
{
    TMsgForm& msg = progressForm();
    msg.Label1->setText(loadFormatted(Str::ReadingDataCount, {QString::number(done), QString::number(total)}));
    // Where `done` single steps, wrapping past the maximum, leave the bar.
    msg.ProgressBar->setValue(done % (kProgressMaximum + 1));
}

bool LoggerFileCommands::saveAs()
{
    PromptService::FileRequest request;
    request.caption = loadString(Str::MenuSaveAs).remove(QLatin1Char('&'));
    request.fileName = loadString(Str::SaveFileName);
    request.filters = {loadString(Str::SaveFilter).section(QLatin1Char('|'), 0, 0)};
    request.save = true;
    QString path = prompts_.fileName(&owner_, request);
    if (path.isEmpty())
        return false;

    // The file is read back by its name: a name that Open would read as
    // records of another size gets ".640" added, and one that cannot be
    // mended so (it names ".r27") is refused.
    if (layoutForPath(encoded(path)) != RecordLayout::Native) {
        const QString amended = path + QStringLiteral(".640");
        if (layoutForPath(encoded(amended)) != RecordLayout::Native) {
            showFileError(prompts_, &owner_, Str::ErrFileSave, path, loadString(Str::ReasonNameReadAsOlder));
            return false;
        }
        path = amended;
        if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
            PromptService::Message m;
            m.caption = warningCaption(Str::WarnReplaceFile);
            m.text = loadFormatted(Str::WarnReplaceFile, {path});
            m.icon = PromptService::Icon::Question;
            m.buttons = {PromptService::Button::Yes, PromptService::Button::No};
            m.defaultButton = PromptService::Button::No;
            if (prompts_.message(&owner_, m) != PromptService::Button::Yes)
                return false;
        }
    }

    // Written beside the target and renamed over it at the end, so a failed
    // save never leaves a half-written file in place of a good one. Any
    // failure, not only a failed create, means the data is not on disk: the
    // user is told, and it stays unsaved.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto failure = session_.save(encoded(path));
    QApplication::restoreOverrideCursor();
    if (failure) {
        showFileError(prompts_, &owner_, Str::ErrFileSave, path,
                      SafeFileWriter::reason(path, failure->error, failure->systemError));
        return false;
    }
    return true;
}

void LoggerFileCommands::offerRecovery()
{
    const auto file = session_.findLeftFile();
    if (!file)
        return;
    const QString path = decoded(file->path);

    if (!file->readable()) {
        // Told once, with the reason, then put aside like any other.
        const QString reason =
            file->tooLarge ? tooManyRecords(file->records) : systemText(file->systemError) + QLatin1Char('.');
        const std::string kept = session_.keepLeftFile();
        PromptService::Message m;
        m.caption = warningCaption(Str::WarnLeftFileUnreadable);
        m.text = loadFormatted(Str::WarnLeftFileUnreadable, {path, reason, decoded(kept.empty() ? file->path : kept)});
        m.icon = PromptService::Icon::Exclamation;
        prompts_.message(&owner_, m);
        return;
    }

    PromptService::Message m;
    m.caption = warningCaption(Str::WarnRecoverTempFile);
    m.text = loadFormatted(Str::WarnRecoverTempFile, {path, QString::number(file->records)});
    m.icon = PromptService::Icon::Question;
    m.buttons = {PromptService::Button::Yes, PromptService::Button::No};
    m.defaultButton = PromptService::Button::Yes;
    if (prompts_.message(&owner_, m) == PromptService::Button::Yes) {
        clear_();
        if (!session_.bufferEmpty())
            return; // offered again next time
        // Aborted: offered again next time. A file that cannot be read has
        // been told (E9004 with the reason) and is put aside as well.
        if (openPath(path, RecordLayout::Native) == Outcome::Aborted)
            return;
    }
    session_.keepLeftFile();
}

} // namespace vt640
