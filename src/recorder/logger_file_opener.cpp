#include "recorder/logger_file_opener.h"

#include "app/core/global_state.h"
#include "app/core/prompt_service.h"
#include "app/core/user_messages.h"
#include "recorder/core/left_temp_files.h"
#include "recorder/core/logger_file_reader.h"
#include "recorder/graphical_form.h"
#include "viewer/msg_form.h"
#include "viewer/pe_graph.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <cstring>
#include <exception>
#include <vector>

namespace vt640 {
namespace {

constexpr int kChunk = 256;          // records read from the file at a time
constexpr int kProgressMaximum = 64; // the progress form's bar while reading

// The hourglass for as long as a file is being read.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { restore(); }
    void restore()
    {
        if (on_)
            QApplication::restoreOverrideCursor();
        on_ = false;
    }

private:
    bool on_ = true;
};

QString numbered(Str message) { return QStringLiteral("[W%1] ").arg(number(message)) + loadString(message); }

QString systemText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// Why `reader` could not read its file, as the second line of E9004.
QString readFailure(const LoggerFileReader& reader)
{
    using Status = LoggerFileReader::Status;
    switch (reader.status()) {
    case Status::Ok: break;
    case Status::CannotOpen: return systemText(reader.systemError()) + QLatin1Char('.');
    case Status::NotAFile: return loadString(Str::ReasonNotAFile);
    case Status::TooLarge:
        return loadFormatted(Str::ReasonTooManyRecords,
                             {QString::number(reader.fileRecords()),
                              QString::number(reader.fileRecords() * static_cast<qint64>(sizeof(TBRecord)))});
    case Status::ReadFailed: return loadFormatted(Str::ReasonReadFailed, {systemText(reader.systemError())});
    }
    return {};
}

} // namespace

LoggerFileOpener::LoggerFileOpener(TGraphicalForm& form, GlobalState& state, PromptService& prompts)
    : form_(form), state_(state), prompts_(prompts)
{}

LoggerFileOpener::~LoggerFileOpener() = default;

TMsgForm& LoggerFileOpener::progressForm()
{
    if (!progress_) {
        ownProgress_ = std::make_unique<TMsgForm>(state_, prompts_);
        progress_ = ownProgress_.get();
    }
    return *progress_;
}

void LoggerFileOpener::open()
{
    form_.clearRecords();
    if (!form_.core_.bufferEmpty())
        return; // the user kept the data

    PromptService::FileRequest request;
    request.caption = loadString(Str::MenuOpen).remove(QLatin1Char('&'));
    // "text|pattern|text|pattern...": the dialog shows the texts.
    const QStringList parts = loadString(Str::OpenFilter).split(QLatin1Char('|'));
    for (qsizetype i = 0; i < parts.size(); i += 2)
        request.filters << parts[i];
    request.defaultSuffix = QStringLiteral("r27");
    request.save = false;
    const QString path = prompts_.fileName(&form_, request);
    if (path.isEmpty())
        return;
    if (openPath(path, layoutForPath(QFile::encodeName(path).toStdString())) == Outcome::Opened)
        form_.core_.setFileName(QFile::encodeName(path).toStdString());
}

void LoggerFileOpener::open(const QString& path)
{
    form_.clearRecords();
    if (!form_.core_.bufferEmpty())
        return; // the user kept the data
    openPath(path, layoutForPath(QFile::encodeName(path).toStdString()));
}

LoggerFileOpener::Outcome LoggerFileOpener::openPath(const QString& path, RecordLayout layout)
{
    RecorderCore& core = form_.core_;
    // The dialog goes away before anything else happens.
    QCoreApplication::processEvents();

    LoggerFileReader reader;
    const LoggerFileReader::Status status = reader.open(QFile::encodeName(path).toStdString(), layout);
    QString failure;
    if (status != LoggerFileReader::Status::Ok)
        failure = readFailure(reader); // missing, unreadable, not a file, or more than memory holds
    else if (!core.reserveLoaded(reader.recordCount()))
        failure = loadFormatted(Str::ReasonTooManyRecords,
                                {QString::number(reader.recordCount()),
                                 QString::number(qint64(reader.recordCount()) * qint64(sizeof(TBRecord)))});
    if (!failure.isEmpty()) {
        showFileError(prompts_, &form_, Str::ErrFileOpen, path, failure);
        return Outcome::Failed;
    }

    WaitCursor cursor;
    TMsgForm& msg = progressForm();
    msg.setMessage(numbered(Str::WarnReadingFile), Qt::red);
    msg.Label1->clear();
    msg.ProgressBar->setRange(0, kProgressMaximum);
    msg.ProgressBar->setValue(0);
    msg.show();
    msg.raise();
    msg.repaint();

    // Every recorder command (and the link controls) wait while reading.
    state_.setFileLoadBusy(true);
    form_.refreshButtons();
    form_.refreshMenu();

    const int P = core.pointsPerPage();
    int n = reader.recordCount();
    form_.ProgressBar->setRange(0, P);

    std::vector<TBRecord> chunk(kChunk);
    int have = 0;
    int next = 0;
    QElapsedTimer sinceYield;
    sinceYield.start();
    for (int i = 0; i < n; ++i) {
        if (i % kYieldRecords == 0 || (i % 64 == 0 && sinceYield.elapsed() >= kYieldMs)) {
            // The counter names the record read last; before the first
            // one it stays empty.
            if (i > 0)
                showReadProgress(i, n);
            QCoreApplication::processEvents();
            sinceYield.restart();
        }
        if (!state_.fileLoadBusy()) {
            // Abort confirmed in the progress form.
            reader.close();
            discardRead();
            cursor.restore();
            return Outcome::Aborted;
        }
        if (next == have) {
            have = reader.read(chunk.data(), kChunk);
            next = 0;
            if (have < 0) {
                reader.close();
                state_.setFileLoadBusy(false);
                discardRead();
                cursor.restore();
                showFileError(prompts_, &form_, Str::ErrFileOpen, path, readFailure(reader));
                return Outcome::Failed;
            }
            if (have == 0) {
                // The file has become shorter since it was opened: its
                // whole records are all there is.
                n = i;
                break;
            }
        }
        core.appendLoaded(chunk[static_cast<std::size_t>(next++)]);
    }
    if (n > 0)
        showReadProgress(n, n);

    // Adding the records to the buffer cannot be aborted.
    reader.close();
    msg.ProgressBar->setValue(msg.ProgressBar->maximum());
    msg.bbtnAbort->setEnabled(false);
    QCoreApplication::processEvents();
    msg.setMessage(numbered(Str::WarnAddingData), Qt::blue);
    msg.repaint();

    // All records are counted in at once; the data list takes them in one
    // insertion and the status bar and the bar are set once.
    core.adoptLoaded();
    form_.ProgressBar->setValue(n % (P + 1)); // where n single steps would leave it
    if (n >= 2)
        form_.refreshMaxMinPanels();
    else
        form_.emptyMaxMinPanels();
    emit form_.dataListRowsAdded(0, n);
    form_.refreshStatusBar();

    form_.drawPage();
    msg.bbtnAbort->setEnabled(true);
    msg.hide();
    cursor.restore();
    form_.PEGraph_->setCursorPoint(P - 1);
    form_.refreshReadout();

    core.setBufferEmpty(false);
    core.setUnsaved(true);
    state_.setFileLoadBusy(false);
    form_.refreshButtons();
    form_.refreshMenu();
    return Outcome::Opened;
}

void LoggerFileOpener::showReadProgress(int done, int total)
{
    TMsgForm& msg = progressForm();
    msg.Label1->setText(loadFormatted(Str::ReadingDataCount, {QString::number(done), QString::number(total)}));
    // Where `done` single steps, wrapping past the maximum, leave the bar.
    msg.ProgressBar->setValue(done % (kProgressMaximum + 1));
}

void LoggerFileOpener::discardRead()
{
    // The buffer is empty again and the state as Clear left it (the pages
    // counted for the file go as well).
    form_.core_.clearBuffer();
    form_.ProgressBar->setRange(0, form_.core_.pointsPerPage());
    form_.ProgressBar->setValue(0);
    progressForm().hide();
    form_.refreshButtons();
    form_.refreshMenu();
    form_.refreshStatusBar();
}

void LoggerFileOpener::offerRecovery()
{
    LeftTempFiles left;
    left.scan(QFile::encodeName(state_.workingDirectory).toStdString());
    if (left.files().empty())
        return;
    const LeftTempFiles::File& file = left.files().front();
    const QString path = QFile::decodeName(QByteArray::fromStdString(file.path));

    if (!file.readable()) {
        // Told once, with the reason, then put aside like any other.
        const QString reason =
            file.tooLarge ? loadFormatted(
                Str::ReasonTooManyRecords,
                {QString::number(file.records), QString::number(file.records * static_cast<qint64>(sizeof(TBRecord)))})
                          : systemText(file.systemError) + QLatin1Char('.');
        std::string kept = left.keep(0);
        PromptService::Message m;
        m.caption = warningCaption(Str::WarnLeftFileUnreadable);
        m.text = loadFormatted(
            Str::WarnLeftFileUnreadable,
            {path, reason, QFile::decodeName(QByteArray::fromStdString(kept.empty() ? file.path : kept))});
        m.icon = PromptService::Icon::Exclamation;
        prompts_.message(&form_, m);
        return;
    }

    PromptService::Message m;
    m.caption = warningCaption(Str::WarnRecoverTempFile);
    m.text = loadFormatted(Str::WarnRecoverTempFile, {path, QString::number(file.records)});
    m.icon = PromptService::Icon::Question;
    m.buttons = {PromptService::Button::Yes, PromptService::Button::No};
    m.defaultButton = PromptService::Button::Yes;
    if (prompts_.message(&form_, m) == PromptService::Button::Yes) {
        form_.clearRecords();
        if (!form_.core_.bufferEmpty())
            return; // offered again next time
        // Aborted: offered again next time. A file that cannot be read has
        // been told (E9004 with the reason) and is put aside like the others.
        if (openPath(path, RecordLayout::Native) == Outcome::Aborted)
            return;
    }
    left.keep(0);
}

} // namespace vt640
