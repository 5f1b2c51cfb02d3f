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
    request.directory = state_.workingDirectory;
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

LoggerFileOpener::Outcome LoggerFileOpener::openPath(const QString& path, RecordLayout layout)
{
    RecorderCore& core = form_.core_;
    // The dialog goes away before anything else happens.
    QCoreApplication::processEvents();

    LoggerFileReader reader;
    LoggerFileReader::Status status = reader.open(QFile::encodeName(path).toStdString(), layout);
    if (status == LoggerFileReader::Status::Ok && !core.reserveLoaded(reader.recordCount()))
        status = LoggerFileReader::Status::TooLarge;
    if (status != LoggerFileReader::Status::Ok) {
        // Missing, unreadable, not a file, or more than can be held.
        showUserMessage(prompts_, &form_, Str::ErrorCaption, Str::ErrFileOpen);
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
                showUserMessage(prompts_, &form_, Str::ErrorCaption, Str::ErrFileOpen);
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
        if (openPath(path, RecordLayout::Native) != Outcome::Opened)
            return; // aborted or unreadable: offered again next time
    }
    left.keep(0);
}

} // namespace vt640
