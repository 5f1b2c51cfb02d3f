// Logger files with the whole program: a run killed while it logs leaves
// its records behind, and the next start offers them back exactly; a file
// is opened with the link controls waiting; the progress form's Abort
// question in a real message box.
#include "shell_fixture.h"

#include "app/widget_prompt_service.h"
#include "recorder/graphical_form.h"
#include "recorder/core/record_buffer.h"
#include "viewer/data_string_grid_form.h"
#include "viewer/msg_form.h"

#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <csignal>
#include <functional>
#include <utility>

using namespace vt640;
using namespace vt640::test;

namespace {

QByteArray bufferBytes(const RecordBuffer& buffer, int count)
{
    return QByteArray(reinterpret_cast<const char*>(buffer.data()), static_cast<qsizetype>(count) * 128);
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Runs `action` from the event loop once `form` has been shown.
void onceShown(QWidget* form, std::function<void()> action)
{
    struct Filter : QObject {
        std::function<void()> action;
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (event->type() == QEvent::Show && action)
                QTimer::singleShot(0, watched, std::exchange(action, nullptr));
            return false;
        }
    };
    auto* filter = new Filter;
    filter->setParent(form);
    filter->action = std::move(action);
    form->installEventFilter(filter);
}

} // namespace

class FileRecoveryTest : public ShellTest {
protected:
    TGraphicalForm& recorder() { return *windows_->graphicalForm(); }
};

TEST_F(FileRecoveryTest, AKilledRunsRecordsAreOfferedAtTheNextStartAndOpenExactly)
{
    // The program logs against the meter until it is killed.
    QProcess child;
    child.setProgram(QStringLiteral(VT640_LOGGING_CHILD));
    child.setWorkingDirectory(QString::fromStdString(scratch_.string()));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    child.start();
    ASSERT_TRUE(child.waitForStarted(10000));
    QByteArray logged;
    while (logged.size() < 4 * 128) {
        ASSERT_TRUE(child.waitForReadyRead(20000)) << child.readAllStandardError().toStdString();
        logged += child.readAllStandardOutput();
    }
    ASSERT_EQ(::kill(static_cast<pid_t>(child.processId()), SIGKILL), 0);
    ASSERT_TRUE(child.waitForFinished(10000));
    logged += child.readAllStandardOutput();
    const int reported = static_cast<int>(logged.size() / 128);
    const QString left = QStringLiteral("~KRMDL1.TMP");
    ASSERT_TRUE(QFile::exists(left));
    // A real port is free again once its holder is dead; the simulated one
    // stays in exclusive mode, since the host itself keeps the device open.
    // A fresh one stands in for it.
    ASSERT_TRUE(host_->replug());

    // Started again in the same folder: one question, answered Yes.
    prompts_.answer(PromptService::Button::Yes);
    startProgram();
    ASSERT_EQ(prompts_.messageCount(), 1) << prompts_.captions().join(" | ").toStdString();
    EXPECT_EQ(prompts_.last().caption, "Warning[W8015]");
    EXPECT_TRUE(prompts_.last().text.contains(QDir::current().filePath(left)));
    // Every record the killed program logged is back, byte for byte. It
    // may have been killed between writing a record to its file and
    // reporting it here: then the file holds that one more.
    const int recovered = recorder().buffer().size();
    EXPECT_TRUE(recovered == reported || recovered == reported + 1) << recovered << " of " << reported;
    EXPECT_TRUE(prompts_.last().text.contains(QStringLiteral("(%1 records)").arg(recovered)));
    EXPECT_EQ(bufferBytes(recorder().buffer(), reported), logged.left(reported * 128));
    EXPECT_TRUE(recorder().unsavedData());
    EXPECT_EQ(windows_->dataStringGridForm()->gridRowCount(), recovered + 2);

    // The file is kept, under a name that is not offered again.
    EXPECT_FALSE(QFile::exists(left));
    EXPECT_EQ(fileBytes(QStringLiteral("~KRMDL1-kept.TMP")), bufferBytes(recorder().buffer(), recovered));
    prompts_.answer(PromptService::Button::No); // the recovered data is not saved at exit
    ASSERT_TRUE(main().close());
    windows_.reset();
    prompts_.clear();
    startProgram();
    EXPECT_EQ(prompts_.messageCount(), 0) << prompts_.captions().join(" | ").toStdString();
    EXPECT_TRUE(QFile::exists(QStringLiteral("~KRMDL1-kept.TMP")));
}

TEST_F(FileRecoveryTest, AFileNamedOnTheCommandLineOpensAsOpenOpensIt)
{
    auto records = [](int n, float value) {
        TBRecord r;
        r.head.value = value;
        QByteArray bytes;
        for (int i = 0; i < n; ++i)
            bytes.append(reinterpret_cast<const char*>(&r), sizeof r);
        return bytes;
    };
    auto write = [](const QString& name, const QByteArray& bytes) {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    write(QStringLiteral("given.640"), records(3, 7.0f));
    const QString given = QDir::current().filePath(QStringLiteral("given.640"));

    // Nothing in the way: opened once the windows are up, without a word,
    // unsaved as after Open.
    startProgram({}, given);
    EXPECT_EQ(prompts_.messageCount(), 0) << prompts_.captions().join(" | ").toStdString();
    EXPECT_TRUE(prompts_.fileRequests().isEmpty());
    ASSERT_EQ(recorder().buffer().size(), 3);
    EXPECT_EQ(recorder().buffer()[2].head.value, 7.0f);
    EXPECT_TRUE(recorder().unsavedData());
    EXPECT_TRUE(recorder().isVisible());
    EXPECT_EQ(windows_->dataStringGridForm()->gridRowCount(), 5);
    prompts_.answer(PromptService::Button::No);
    ASSERT_TRUE(main().close());
    windows_.reset();

    // Records offered back at start-up come first; the file then asks, as
    // Open does, before it replaces them.
    write(QStringLiteral("~KRMDL1.TMP"), records(2, 1.0f));
    prompts_.clear();
    prompts_.answers({PromptService::Button::Yes, PromptService::Button::Ok});
    startProgram({}, given);
    EXPECT_EQ(prompts_.captions(), (QStringList{"Warning[W8015]", "Warning[W8002]"}));
    ASSERT_EQ(recorder().buffer().size(), 3);
    EXPECT_EQ(recorder().buffer()[0].head.value, 7.0f);
    prompts_.answer(PromptService::Button::No);
    ASSERT_TRUE(main().close());
    windows_.reset();

    // A file that cannot be read: Open's error, and an empty buffer.
    prompts_.clear();
    startProgram({}, QDir::current().filePath(QStringLiteral("missing.640")));
    ASSERT_EQ(prompts_.messageCount(), 1) << prompts_.captions().join(" | ").toStdString();
    EXPECT_EQ(prompts_.last().caption, "Error[E9004]");
    EXPECT_TRUE(prompts_.last().text.startsWith("File open error.")) << prompts_.last().text.toStdString();
    EXPECT_TRUE(recorder().bufferEmpty());
}

TEST_F(FileRecoveryTest, OpeningAFileHoldsTheLinkControlsUntilItIsRead)
{
    {
        QFile f(QStringLiteral("big.640"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        TBRecord r;
        r.head.value = 5.0f;
        for (int i = 0; i < 20000; ++i)
            f.write(reinterpret_cast<const char*>(&r), sizeof r);
    }
    startProgram();
    TMsgForm* msg = windows_->msgForm();
    QToolButton* link = main().button(QStringLiteral("sbtnLink"));
    bool linkEnabledWhileReading = true;
    prompts_.onMessage([&](const PromptService::Message&) { linkEnabledWhileReading = link->isEnabled(); });
    onceShown(msg, [msg] { QTest::mouseClick(msg->bbtnAbort, Qt::LeftButton); });
    prompts_.answer(PromptService::Button::No);
    prompts_.answerFileName(QDir::current().filePath(QStringLiteral("big.640")));
    QTest::mouseClick(recorder().sbtnOpenFile, Qt::LeftButton);

    ASSERT_EQ(prompts_.messageCount(), 1);
    EXPECT_EQ(prompts_.last().caption, "Warning[W8014]");
    EXPECT_FALSE(linkEnabledWhileReading);
    EXPECT_TRUE(link->isEnabled());
    EXPECT_EQ(recorder().buffer().size(), 20000);
    EXPECT_EQ(windows_->dataStringGridForm()->gridRowCount(), 20002);
    EXPECT_FALSE(msg->isVisible());
}

TEST_F(FileRecoveryTest, ProgressFormAsksBeforeAbortingAndEnterAnswersNo)
{
    WidgetPromptService realBoxes;
    TMsgForm form(state_, realBoxes);
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(form.MsgPanel->text(), "Message");
    EXPECT_EQ(form.MsgPanel->font().pixelSize(), 18);
    EXPECT_EQ(form.MsgPanel->size(), QSize(443, 33));
    EXPECT_EQ(form.Label1->text(), "Data added:00000");
    EXPECT_EQ(form.Label1->palette().color(QPalette::WindowText), QColor(0, 128, 128));
    EXPECT_EQ(form.ProgressBar->maximum(), 100);
    EXPECT_EQ(form.bbtnAbort->size(), QSize(73, 32));
    state_.setFileLoadBusy(true);
    form.show();

    // The question is a real box; Enter takes its default, No.
    QString caption;
    auto answerWith = [&caption](std::function<void(QMessageBox*)> answer) {
        QTimer::singleShot(0, [&caption, answer] {
            ASSERT_TRUE(QTest::qWaitFor([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); }));
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            caption = box->windowTitle();
            answer(box);
        });
    };
    answerWith([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); });
    QTest::mouseClick(form.bbtnAbort, Qt::LeftButton);
    EXPECT_EQ(caption, "Warning[W8014]");
    EXPECT_TRUE(state_.fileLoadBusy());

    // Escape does not hide the form; Yes clears the flag and the form stays
    // for the operation to close.
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_TRUE(form.isVisible());
    answerWith([](QMessageBox* box) { QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton); });
    QTest::mouseClick(form.bbtnAbort, Qt::LeftButton);
    EXPECT_FALSE(state_.fileLoadBusy());
    EXPECT_TRUE(form.isVisible());
}
