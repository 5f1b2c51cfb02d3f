// Open and Save As in the recorder window: the steps of Open in order, the
// progress form and its Abort, the odd files, failed saves and writes, and
// the offer of a crashed run's temporary file.
#include "app/core/global_state.h"
#include "recorder/graphical_form.h"
#include "recorder/core/logger_file_reader.h"
#include "recorder/core/record_text.h"
#include "support/test_readings.h"
#include "support/file_size_limit.h"
#include "support/gui_test_app.h"
#include "support/scripted_prompt_service.h"
#include "viewer/core/record_table_model.h"
#include "viewer/data_string_grid_form.h"
#include "viewer/msg_form.h"
#include "viewer/pe_graph.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <cmath>
#include <functional>
#include <utility>
#include <limits>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vt640;
using vt640::test::FakeClock;
using vt640::test::volts;
using Button = PromptService::Button;

namespace {

TBRecord record(int i)
{
    TBRecord r;
    const std::string v = std::to_string(i) + ".000";
    copyText(r.head.mainText, v);
    copyText(r.head.exponentText, "0");
    r.head.functionCode = code::DcVolts;
    copyText(r.head.timeText, " 14:05:09.3  ");
    copyText(r.head.valueText, v);
    copyText(r.head.unitText, "V");
    r.head.value = static_cast<float>(i);
    copyText(r.sub.subText, "0.98");
    copyText(r.sub.subFunction, "PF");
    r.sub.status = 0x20;
    copyText(r.energyText, "----");
    return r;
}

QByteArray image(const std::vector<TBRecord>& records, int size = 128)
{
    QByteArray bytes;
    for (const TBRecord& r : records)
        bytes.append(reinterpret_cast<const char*>(&r), size);
    return bytes;
}

std::vector<TBRecord> records(int n)
{
    std::vector<TBRecord> all;
    for (int i = 0; i < n; ++i)
        all.push_back(record(i));
    return all;
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class FileOpenTest : public ::testing::Test {
protected:
    FileOpenTest()
    {
        state.workingDirectory = dir.path();
        form = std::make_unique<TGraphicalForm>(state, prompts, reading);
        form->setClock(clock);
        form->setProgressForm(msg);
        list.setBuffer(form->buffer());
        QObject::connect(&form->session(), &RecorderSession::recordsCleared, &list, &TDataStringGridForm::clearList);
        QObject::connect(&form->session(), &RecorderSession::recordAppended, &list, &TDataStringGridForm::addRow);
        QObject::connect(&form->session(), &RecorderSession::recordsLoaded, &list, &TDataStringGridForm::addRows);
        QObject::connect(list.model(), &QAbstractItemModel::rowsInserted, [this] { ++insertions; });
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    // Runs `action` from the event loop once the progress form has been
    // shown, that is at the reading's first look at pending events.
    void onceTheProgressFormShows(std::function<void()> action)
    {
        struct Filter : QObject {
            std::function<void()> action;
            bool eventFilter(QObject* watched, QEvent* event) override
            {
                if (event->type() == QEvent::Show && action) {
                    QTimer::singleShot(0, watched, std::exchange(action, nullptr));
                }
                return false;
            }
        };
        auto* filter = new Filter;
        filter->setParent(&msg);
        filter->action = std::move(action);
        msg.installEventFilter(filter);
    }

    void write(const QString& name, const QByteArray& bytes)
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    // The user opens `file` (a name in the folder, or a full path).
    void open(const QString& file)
    {
        prompts.answerFileName(file.startsWith(QLatin1Char('/')) ? file : path(file));
        form->sbtnOpenFile->click();
    }

    void logManually(int n)
    {
        state.readingAvailable = true;
        for (int i = 0; i < n; ++i) {
            reading = volts(i);
            form->manualLogging();
            clock.advance(750);
        }
    }

    // Nothing is left of a load: empty, idle, nothing on screen.
    void expectNothingLoaded()
    {
        EXPECT_EQ(form->buffer().size(), 0);
        EXPECT_TRUE(form->bufferEmpty());
        EXPECT_FALSE(form->unsavedData());
        EXPECT_FALSE(state.fileLoadBusy());
        EXPECT_FALSE(msg.isVisible());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(form->statusPanelText(TGraphicalForm::PanelRecordCount), "Data in buffer : 0");
        EXPECT_EQ(form->statusPanelText(TGraphicalForm::PanelPage), "Page : 1 of 1");
        EXPECT_TRUE(form->sbtnOpenFile->isEnabled());
        EXPECT_FALSE(form->sbtnSaveFile->isEnabled());
        EXPECT_EQ(list.gridRowCount(), 2);
    }

    QApplication& app = test::guiApp(); // before any widget member
    QTemporaryDir dir;
    GlobalState state;
    ScriptedPromptService prompts;
    MeterReading reading;
    FakeClock clock;
    TMsgForm msg{state, prompts};
    TDataStringGridForm list;
    std::unique_ptr<TGraphicalForm> form;
    int insertions = 0;
};

} // namespace

TEST_F(FileOpenTest, SavedRecordsOpenBackWithTheirPagesPanelsAndList)
{
    logManually(3);
    prompts.answerFileName(path("three.640"));
    ASSERT_TRUE(form->saveDataAs());
    EXPECT_EQ(QFileInfo(path("three.640")).size(), 384);
    const QByteArray saved = image(std::vector<TBRecord>(form->buffer().data(), form->buffer().data() + 3));

    insertions = 0;
    open("three.640"); // saved, so the clear does not ask
    EXPECT_EQ(prompts.messageCount(), 0);
    ASSERT_EQ(prompts.fileRequests().size(), 2);
    const PromptService::FileRequest& request = prompts.fileRequests()[1].request;
    EXPECT_FALSE(request.save);
    EXPECT_EQ(request.caption, "Open...");
    EXPECT_EQ(request.fileName, "");
    EXPECT_EQ(request.defaultSuffix, "r27");
    EXPECT_EQ(request.filters, (QStringList{"Data Logger files(*.640)", "Data Logger files(*.r27)",
                                            "Data Logger files(*.r26)", "Temporary files(*.TMP)"}));

    ASSERT_EQ(form->buffer().size(), 3);
    EXPECT_EQ(image(std::vector<TBRecord>(form->buffer().data(), form->buffer().data() + 3)), saved);
    EXPECT_TRUE(form->unsavedData());
    EXPECT_FALSE(form->bufferEmpty());
    EXPECT_FALSE(state.fileLoadBusy());
    EXPECT_EQ(form->statusPanelText(TGraphicalForm::PanelRecordCount), "Data in buffer : 3");
    EXPECT_EQ(form->statusPanelText(TGraphicalForm::PanelPage), "Page : 1 of 1");
    EXPECT_EQ(form->graph()->yData(0, 199), 2.0f);
    EXPECT_EQ(form->graph()->yData(0, 196), -99999.0f);
    EXPECT_EQ(form->graph()->cursorPoint(), 199);
    EXPECT_EQ(form->ReadingDataPanel->text(), "2.000");
    EXPECT_EQ(form->MaxDataPanel->text(), "2.000");
    EXPECT_EQ(form->MinDataPanel->text(), "0.000");
    EXPECT_FLOAT_EQ(form->graph()->manualMaxY(), 2.66f);
    EXPECT_EQ(form->ProgressBar->value(), 3);
    EXPECT_TRUE(form->sbtnSaveFile->isEnabled());
    EXPECT_TRUE(form->sbtnClear->isEnabled());
    // The data list took the three rows in one insertion.
    EXPECT_EQ(list.gridRowCount(), 5);
    EXPECT_EQ(insertions, 1);
    EXPECT_EQ(list.model()->index(2, 0).data().toString(), "3");
    // The progress form has done its work and is gone.
    EXPECT_FALSE(msg.isVisible());
    EXPECT_EQ(msg.MsgPanel->text(), "[W8006] Adding data into buffer. Please wait...");
    EXPECT_EQ(msg.MsgPanel->palette().color(QPalette::WindowText), QColor(Qt::blue));
    EXPECT_EQ(msg.Label1->text(), "Reading Data : 3 of 3");
    EXPECT_TRUE(msg.bbtnAbort->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(FileOpenTest, KeepingUnsavedDataShowsNoDialogAndCancellingOpensNothing)
{
    logManually(2);
    form->miOpen->trigger(); // the clear asks; unscripted it answers Cancel
    ASSERT_EQ(prompts.messageCount(), 1);
    EXPECT_EQ(prompts.last().caption, "Warning[W8002]");
    EXPECT_TRUE(prompts.fileRequests().isEmpty());
    EXPECT_EQ(form->buffer().size(), 2);

    prompts.answer(Button::Ok);
    form->miOpen->trigger(); // cleared, then the dialog is cancelled
    EXPECT_EQ(prompts.fileRequests().size(), 1);
    expectNothingLoaded();
}

TEST_F(FileOpenTest, FilesThatCannotBeOpenedShowE9004AndChangeNothingElse)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.640"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe.640")).constData(), 0600), 0);
    {
        const int fd = ::open(QFile::encodeName(path("huge.640")).constData(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, (LoggerFileReader::kMaxRecords + 1) * 128), 0);
        ::close(fd);
    }
    const QString longName = dir.path() + QLatin1Char('/') + QString(4000 - dir.path().size() - 5, QLatin1Char('n'))
                             + QStringLiteral(".640");
    // The box keeps its number and text, and names the file and why.
    const std::pair<QString, QString> cases[] = {
        {path("missing.640"), "No such file or directory."},
        {path("folder.640"), "it is not a file."},
        {path("pipe.640"), "it is not a file."},
        {path("huge.640"), "it holds more records than this machine can keep in memory "
                           "(2147483646 records, 274877906688 bytes)."},
        {longName, "File name too long."},
    };
    for (const auto& [file, reason] : cases) {
        prompts.clear();
        open(file);
        ASSERT_EQ(prompts.messageCount(), 1) << file.toStdString();
        EXPECT_EQ(prompts.last().caption, "Error[E9004]");
        EXPECT_EQ(prompts.last().text, "File open error.\n" + file + ": " + reason);
        expectNothingLoaded();
    }

    // Unreadable (the superuser reads anything, so the open runs as nobody).
    write("secret.640", image(records(2)));
    ASSERT_EQ(::chmod(QFile::encodeName(path("secret.640")).constData(), 0), 0);
    prompts.clear();
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::seteuid(65534), 0);
    }
    open("secret.640");
    if (root) {
        ASSERT_EQ(::seteuid(0), 0);
    }
    ASSERT_EQ(prompts.messageCount(), 1);
    EXPECT_EQ(prompts.last().caption, "Error[E9004]");
    EXPECT_EQ(prompts.last().text, "File open error.\n" + path("secret.640") + ": Permission denied.");
    expectNothingLoaded();
}

TEST_F(FileOpenTest, OddButReadableFilesGiveTheirWholeRecords)
{
    // Empty, one byte, one byte short of a record: no records, yet the
    // buffer counts as holding unsaved data, as after any open.
    for (const auto& [name, size] : {std::pair{"empty.640", 0}, std::pair{"one.640", 1}, std::pair{"short.640", 127}}) {
        write(name, QByteArray(size, 'x'));
        prompts.answer(Button::Ok); // clearing the previous one asks
        open(name);
        EXPECT_EQ(form->buffer().size(), 0) << name;
        EXPECT_FALSE(form->bufferEmpty()) << name;
        EXPECT_TRUE(form->unsavedData()) << name;
        EXPECT_EQ(form->core().totalPages(), 1) << name;
        EXPECT_TRUE(form->sbtnSaveFile->isEnabled()) << name;
        EXPECT_TRUE(form->sbtnClear->isEnabled()) << name;
        EXPECT_EQ(list.gridRowCount(), 2) << name;
    }
    EXPECT_EQ(prompts.messageCount(), 2); // the two clears, no error

    // 1000 bytes of ".640": seven records.
    write("thousand.640", image(records(8)).left(1000));
    prompts.answer(Button::Ok);
    open("thousand.640");
    EXPECT_EQ(form->buffer().size(), 7);
    EXPECT_EQ(list.gridRowCount(), 9);

    // An upper-case ".R27" is read as 96-byte records: ten from 960 bytes,
    // without their sub-display and status.
    write("LOG.R27", image(records(10), 96));
    prompts.answer(Button::Ok);
    open("LOG.R27");
    ASSERT_EQ(form->buffer().size(), 10);
    EXPECT_EQ(form->buffer()[9].head.value, 9.0f);
    EXPECT_EQ(fieldText(form->buffer()[9].sub.subText), "");
    EXPECT_EQ(form->buffer()[9].sub.status, 0);
    EXPECT_EQ(list.model()->index(9, 11).data().toString(), ""); // no Hold

    // A name without an extension: 68-byte records.
    write("noextension", image(records(4), 68));
    prompts.answer(Button::Ok);
    open("noextension");
    ASSERT_EQ(form->buffer().size(), 4);
    EXPECT_EQ(form->buffer()[3].head.value, 3.0f);
}

TEST_F(FileOpenTest, UnterminatedTextsAndNonFiniteValuesAreListedAsTheyAre)
{
    std::vector<TBRecord> odd = records(4);
    std::memcpy(odd[0].head.valueText, "1234567890ABCDEF", 16); // no NUL
    std::memcpy(odd[0].head.unitText, "UUUUUUUU", 8);
    odd[1].head.value = std::numeric_limits<float>::quiet_NaN();
    copyText(odd[1].head.valueText, "nan?");
    odd[2].head.value = std::numeric_limits<float>::infinity();
    odd[3].head.value = -std::numeric_limits<float>::infinity();
    write("odd.640", image(odd));
    open("odd.640");
    ASSERT_EQ(form->buffer().size(), 4);
    EXPECT_TRUE(std::isnan(form->buffer()[1].head.value));
    EXPECT_EQ(form->buffer()[2].head.value, std::numeric_limits<float>::infinity());
    EXPECT_EQ(list.gridRowCount(), 6);
    EXPECT_EQ(list.model()->index(0, 4).data().toString(), "1234567890ABCDEF");
    EXPECT_EQ(list.model()->index(0, 6).data().toString(), "UUUUUUUU");
    EXPECT_EQ(list.model()->index(1, 4).data().toString(), "nan?");
    EXPECT_FALSE(state.fileLoadBusy());
    form->firstPage();
    form->lastPage();
}

TEST_F(FileOpenTest, FourHundredRecordsMakeThreePagesTheFirstOfThemEmpty)
{
    write("four.640", image(records(400)));
    list.resize(600, 300);
    list.show();
    open("four.640");
    // The data list shows its end, the empty row after the last record, and
    // the current cell is the newest record, as after logging.
    QScrollBar* rows = list.grid()->verticalScrollBar();
    EXPECT_GT(rows->maximum(), 0);
    EXPECT_EQ(rows->value(), rows->maximum());
    EXPECT_EQ(list.grid()->currentIndex().row(), 399);
    EXPECT_EQ(list.grid()->currentIndex().column(), 0);
    EXPECT_EQ(form->core().totalPages(), 3);
    EXPECT_EQ(form->core().currentPage(), 3);
    EXPECT_EQ(form->statusPanelText(TGraphicalForm::PanelPage), "Page : 3 of 3");
    EXPECT_EQ(form->graph()->yData(0, 0), 200.0f);
    EXPECT_EQ(form->graph()->yData(0, 199), 399.0f);
    EXPECT_TRUE(form->sbtnFirstPage->isEnabled());
    EXPECT_FALSE(form->sbtnLastPage->isEnabled());
    form->firstPage();
    for (int i = 0; i < 200; i += 50)
        EXPECT_EQ(form->graph()->yData(0, i), -99999.0f) << i;
    EXPECT_EQ(form->ReadingDataPanel->text(), "");
    EXPECT_EQ(form->TimePanel->text(), "");
}

TEST_F(FileOpenTest, AbortIsAskedWithNoAsTheDefaultAndNoLetsTheReadingFinish)
{
    write("big.640", image(records(10000)));
    bool busy = false, openEnabled = true, visible = false;
    QString message, counter;
    QColor colour;
    prompts.onMessage([&](const PromptService::Message&) {
        busy = state.fileLoadBusy();
        openEnabled = form->sbtnOpenFile->isEnabled();
        visible = msg.isVisible();
        message = msg.MsgPanel->text();
        colour = msg.MsgPanel->palette().color(QPalette::WindowText);
        counter = msg.Label1->text();
    });
    // Abort is pressed as soon as the reading lets events through.
    onceTheProgressFormShows([this] { msg.bbtnAbort->click(); });
    prompts.answer(Button::No);
    open("big.640");

    ASSERT_EQ(prompts.messageCount(), 1);
    EXPECT_EQ(prompts.last().caption, "Warning[W8014]");
    EXPECT_EQ(prompts.last().text, "Do you really want to abort import data ?");
    EXPECT_EQ(prompts.last().icon, PromptService::Icon::Question);
    EXPECT_EQ(prompts.last().buttons, (QList<Button>{Button::Yes, Button::No}));
    EXPECT_EQ(prompts.last().defaultButton, Button::No);
    EXPECT_EQ(prompts.lastCall().owner, &msg);
    // While it read: busy, every recorder command off, the form showing.
    EXPECT_TRUE(busy);
    EXPECT_FALSE(openEnabled);
    EXPECT_TRUE(visible);
    EXPECT_EQ(message, "[W8005] Reading data from selected file. Please wait ...");
    EXPECT_EQ(colour, QColor(Qt::red));
    EXPECT_EQ(counter, ""); // nothing read yet: the counter is empty until the first record

    EXPECT_EQ(form->buffer().size(), 10000);
    EXPECT_FALSE(state.fileLoadBusy());
    EXPECT_EQ(form->core().totalPages(), 51);
}

TEST_F(FileOpenTest, AbortConfirmedTheSecondTimeLeavesAnEmptyBuffer)
{
    write("big.640", image(records(20000)));
    QString counterAtSecond;
    onceTheProgressFormShows([this, &counterAtSecond] {
        msg.bbtnAbort->click(); // answered No
        // Again once the reading has moved on.
        auto* again = new QObject(&msg);
        QObject::connect(msg.ProgressBar, &QProgressBar::valueChanged, again, [this, again, &counterAtSecond] {
            again->deleteLater();
            QObject::disconnect(msg.ProgressBar, nullptr, again, nullptr);
            QTimer::singleShot(0, &msg, [this, &counterAtSecond] {
                counterAtSecond = msg.Label1->text();
                msg.bbtnAbort->click(); // answered Yes
            });
        });
    });
    prompts.answers({Button::No, Button::Yes});
    open("big.640");
    EXPECT_EQ(prompts.messageCount(), 2);
    EXPECT_NE(counterAtSecond, "Reading Data : 0 of 20000");
    EXPECT_NE(counterAtSecond, "Reading Data : 20000 of 20000"); // it stopped while reading
    expectNothingLoaded();
}

TEST_F(FileOpenTest, SaveAsReportsAFailedWriteAndTheDataStaysUnsaved)
{
    logManually(3);
    prompts.answerFileName(path("log.640"));
    ASSERT_TRUE(form->saveDataAs());
    const QByteArray before = fileBytes(path("log.640"));
    logManually(10);
    ASSERT_TRUE(form->unsavedData());
    {
        test::FileSizeLimit limit(1000); // the disk fills up on the way
        ASSERT_TRUE(limit.ok());
        prompts.answerFileName(path("log.640"));
        form->sbtnSaveFile->click();
    }
    ASSERT_EQ(prompts.messageCount(), 1);
    EXPECT_EQ(prompts.last().caption, "Error[E9005]");
    EXPECT_EQ(prompts.last().text, "File save error.\n" + path("log.640") + ": Writing failed: File too large.");
    EXPECT_TRUE(form->unsavedData());
    EXPECT_EQ(fileBytes(path("log.640")), before); // the good file stays
}

TEST_F(FileOpenTest, FailingTemporaryFileIsToldOnceAndCatchesUp)
{
    state.readingAvailable = true;
    form->sbtnRecordStart->click();
    {
        test::FileSizeLimit limit(2 * 128);
        for (int i = 0; i < 4; ++i) {
            form->TimerLoggerTimer();
            reading = volts(i);
            form->meterReadingArrived();
        }
        form->TimerTimeTimer(); // the clock ticks: still failing, not told again
    }
    ASSERT_EQ(prompts.messageCount(), 1);
    EXPECT_EQ(prompts.last().caption, "Error[E9016]");
    EXPECT_EQ(prompts.last().text, "Unable to write the real time temporary storage file in hard disk.\n"
                                   "The data stays in the buffer; the file catches up once writing works again.");
    EXPECT_EQ(form->buffer().size(), 4);
    form->TimerTimeTimer(); // room again: the file catches up on the tick
    const QString temp = path("~KRMDL1.TMP");
    EXPECT_EQ(fileBytes(temp), image(std::vector<TBRecord>(form->buffer().data(), form->buffer().data() + 4)));
    form->sbtnRecordStop->click();
    EXPECT_EQ(prompts.messageCount(), 1);
}

TEST_F(FileOpenTest, LeftTemporaryFilesAreOfferedOnceEach)
{
    write("~KRMDL1.TMP", image(records(2)));
    write("~KRMDL2.TMP", image(records(5)) + "part");
    const timespec old[2] = {{1000, 0}, {1000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path("~KRMDL1.TMP")).constData(), old, 0), 0);

    // The newest first; declined, it is kept under another name.
    prompts.answer(Button::No);
    form->offerRecovery();
    ASSERT_EQ(prompts.messageCount(), 1);
    EXPECT_EQ(prompts.last().caption, "Warning[W8015]");
    EXPECT_EQ(prompts.last().text, "A temporary storage file was left by a run that did not end normally:\n"
                                       + path("~KRMDL2.TMP")
                                       + " (5 records).\n\n"
                                         "Do you want to open it now ? The file stays on disk either way "
                                         "and will not be offered again.");
    EXPECT_EQ(prompts.last().icon, PromptService::Icon::Question);
    EXPECT_EQ(prompts.last().defaultButton, Button::Yes);
    EXPECT_TRUE(form->bufferEmpty());
    EXPECT_FALSE(QFileInfo::exists(path("~KRMDL2.TMP")));
    EXPECT_EQ(fileBytes(path("~KRMDL2-kept.TMP")), image(records(5)) + "part");

    // The other one next time; opened, as 128-byte records and unsaved.
    prompts.answer(Button::Yes);
    form->offerRecovery();
    ASSERT_EQ(prompts.messageCount(), 2);
    EXPECT_TRUE(prompts.last().text.contains(path("~KRMDL1.TMP") + " (2 records)"));
    ASSERT_EQ(form->buffer().size(), 2);
    EXPECT_EQ(image({form->buffer()[0], form->buffer()[1]}), image(records(2)));
    EXPECT_TRUE(form->unsavedData());
    EXPECT_EQ(list.gridRowCount(), 4);
    EXPECT_TRUE(QFileInfo::exists(path("~KRMDL1-kept.TMP")));

    // Nothing left to offer, and nothing was deleted.
    form->offerRecovery();
    EXPECT_EQ(prompts.messageCount(), 2);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

TEST_F(FileOpenTest, SaveAsNeverWritesANameThatOpenWouldReadAsOtherRecords)
{
    logManually(3);
    const QByteArray three = image(std::vector<TBRecord>(form->buffer().data(), form->buffer().data() + 3));
    // A name read as 68-byte records gets ".640".
    prompts.answerFileName(path("live.bak"));
    ASSERT_TRUE(form->saveDataAs());
    EXPECT_EQ(prompts.messageCount(), 0);
    EXPECT_FALSE(QFileInfo::exists(path("live.bak")));
    EXPECT_EQ(fileBytes(path("live.bak.640")), three);
    LoggerFileReader reader;
    ASSERT_EQ(reader.open(QFile::encodeName(path("live.bak.640")).toStdString()), LoggerFileReader::Status::Ok);
    EXPECT_EQ(reader.recordCount(), 3);

    // The name with ".640" is taken: asked first, since the dialog asked
    // about another name. No keeps the file.
    logManually(1);
    prompts.answerFileName(path("live.bak"));
    prompts.answer(Button::No);
    EXPECT_FALSE(form->saveDataAs());
    ASSERT_EQ(prompts.messageCount(), 1);
    EXPECT_EQ(prompts.last().caption, "Warning[W8020]");
    EXPECT_EQ(prompts.last().text, path("live.bak.640") + " already exists.\nDo you want to replace it ?");
    EXPECT_EQ(prompts.last().defaultButton, Button::No);
    EXPECT_EQ(fileBytes(path("live.bak.640")), three);
    EXPECT_TRUE(form->unsavedData());
    prompts.answerFileName(path("live.bak"));
    prompts.answer(Button::Yes);
    EXPECT_TRUE(form->saveDataAs());
    EXPECT_EQ(QFileInfo(path("live.bak.640")).size(), 4 * 128);

    // ".r27" cannot be mended by a suffix: refused, nothing written.
    prompts.clear();
    prompts.answerFileName(path("x.r27"));
    EXPECT_FALSE(form->saveDataAs());
    ASSERT_EQ(prompts.messageCount(), 1);
    EXPECT_EQ(prompts.last().caption, "Error[E9005]");
    EXPECT_TRUE(prompts.last().text.startsWith("File save error.\n" + path("x.r27") + ": "));
    EXPECT_TRUE(prompts.last().text.contains(".r27"));
    EXPECT_FALSE(QFileInfo::exists(path("x.r27")));
    EXPECT_FALSE(QFileInfo::exists(path("x.r27.640")));
}

TEST_F(FileOpenTest, AWriteProtectedFileIsNotReplaced)
{
    if (::geteuid() != 0 && ::access(QFile::encodeName(dir.path()).constData(), W_OK) != 0)
        GTEST_SKIP() << "needs a folder the test may write";
    logManually(2);
    write("kept.640", image(records(1)));
    ASSERT_EQ(::chmod(QFile::encodeName(path("kept.640")).constData(), 0444), 0);
    // The user may write the folder, not the file: as an ordinary user
    // (the superuser writes anything, so the save runs as nobody).
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::seteuid(65534), 0);
    }
    prompts.answerFileName(path("kept.640"));
    const bool saved = form->saveDataAs();
    if (root) {
        ASSERT_EQ(::seteuid(0), 0);
    }
    EXPECT_FALSE(saved);
    ASSERT_EQ(prompts.messageCount(), 1);
    EXPECT_EQ(prompts.last().caption, "Error[E9005]");
    EXPECT_EQ(prompts.last().text,
              "File save error.\n" + path("kept.640") + ": The file is write-protected: Permission denied.");
    EXPECT_EQ(fileBytes(path("kept.640")), image(records(1)));
    EXPECT_EQ(QFileInfo(path("kept.640")).permissions() & QFile::WriteOwner, 0);
    EXPECT_TRUE(form->unsavedData());
    // Nothing is left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"kept.640"});
}

TEST_F(FileOpenTest, LeftFilesWithoutARecordGoAndUnreadableOnesAreToldOnce)
{
    // Killed within its first cycle: the file holds no whole record.
    write("~KRMDL1.TMP", QByteArray());
    write("~KRMDL2.TMP", QByteArray(100, 'x'));
    // More records than any buffer holds (a sparse file).
    {
        const int fd = ::open(QFile::encodeName(path("~KRMDL3.TMP")).constData(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, (off_t(std::numeric_limits<int>::max()) + 1) * 128), 0);
        ::close(fd);
    }
    form->offerRecovery();
    EXPECT_FALSE(QFileInfo::exists(path("~KRMDL1.TMP")));
    EXPECT_FALSE(QFileInfo::exists(path("~KRMDL2.TMP")));
    ASSERT_EQ(prompts.messageCount(), 1);
    EXPECT_EQ(prompts.last().caption, "Warning[W8021]");
    EXPECT_EQ(prompts.last().text, "A temporary storage file was left by a run that did not end normally, but it "
                                   "cannot be read:\n"
                                       + path("~KRMDL3.TMP")
                                       + ": it holds more records than this machine can keep in memory "
                                         "(2147483648 records, 274877906944 bytes).\n\nIt stays on disk as "
                                       + path("~KRMDL3-kept.TMP") + " and will not be offered again.");
    EXPECT_EQ(prompts.last().buttons, QList<Button>{Button::Ok});
    EXPECT_TRUE(QFileInfo::exists(path("~KRMDL3-kept.TMP")));
    EXPECT_TRUE(form->bufferEmpty());

    // One that is offered, but cannot be read in whole when opened, is told
    // (E9004) and put aside as well; it is not offered again.
    write("~KRMDL4.TMP", image(records(2)));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("~KRMDL5.TMP")).constData(), 0600), 0); // not a file: never offered
    prompts.clear();
    prompts.answer(Button::Yes);
    prompts.onMessage([&](const PromptService::Message& m) {
        if (m.caption == "Warning[W8015]") { // the file goes bad while the question is up
            ASSERT_EQ(::chmod(QFile::encodeName(path("~KRMDL4.TMP")).constData(), 0), 0);
        }
    });
    const bool root = ::geteuid() == 0;
    if (root) {
        // As an ordinary user, who owns the file and may take its rights away.
        ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
        ASSERT_EQ(::chown(QFile::encodeName(path("~KRMDL4.TMP")).constData(), 65534, 65534), 0);
        ASSERT_EQ(::seteuid(65534), 0);
    }
    form->offerRecovery();
    if (root) {
        ASSERT_EQ(::seteuid(0), 0);
    }
    ASSERT_EQ(prompts.messageCount(), 2);
    EXPECT_EQ(prompts.messages()[1].caption, "Error[E9004]");
    EXPECT_TRUE(form->bufferEmpty());
    EXPECT_TRUE(QFileInfo::exists(path("~KRMDL4-kept.TMP")));
    prompts.clear();
    form->offerRecovery();
    EXPECT_EQ(prompts.messageCount(), 0);
}
