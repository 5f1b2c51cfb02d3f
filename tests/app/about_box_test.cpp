#include "app/core/about_text.h"
#include "app/dlg_about_form.h"
#include "app/core/user_messages.h"
#include "app/widget_prompt_service.h"
#include "resources/version.h"

#include <QApplication>
#include <QFrame>
#include <QInputDialog>
#include <QLineEdit>
#include <QKeyEvent>
#include <QMessageBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QFile>
#include <QTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QSysInfo>
#include <QTextBlock>

#include <gtest/gtest.h>

#include <sys/utsname.h>

#include "support/gui_test_app.h"

namespace vt640 {
namespace {

class AboutBoxTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::guiApp(); }
};

// --- The memo lines -------------------------------------------------------

TEST(AboutTextTest, LinesAreModelTitleVersionDateNoticesAndSystem)
{
    const QStringList lines = aboutLines();
    ASSERT_EQ(lines.size(), 7);
    EXPECT_EQ(lines[0], "Vt640");
    EXPECT_EQ(lines[1], "Meter Data Recorder");
    // The version and its date are the project's, as the package and the
    // manual pages carry them.
    EXPECT_EQ(lines[2], "Version " VT640_VERSION);
    EXPECT_EQ(lines[3], "Release date: " VT640_RELEASE_DATE);
    EXPECT_TRUE(QRegularExpression("^\\d+\\.\\d+\\.\\d+$").match(VT640_VERSION).hasMatch()) << VT640_VERSION;
    EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d{2}-\\d{2}$").match(VT640_RELEASE_DATE).hasMatch())
        << VT640_RELEASE_DATE;
    EXPECT_EQ(lines[4], loadString(Str::Notice1));
    EXPECT_EQ(lines[5], loadString(Str::Notice2));
    EXPECT_EQ(lines[6], systemLine());
}

TEST(AboutTextTest, SystemLineNamesTheSystemAndTheRunningKernel)
{
    struct utsname name {};
    ASSERT_EQ(::uname(&name), 0);
    const QStringList parts = QString::fromLatin1(name.release).split('.');
    ASSERT_GE(parts.size(), 2);
    const QString minor = parts[1].section(QRegularExpression("\\D"), 0, 0);
    const QString kernel = QString::fromLatin1(name.sysname) + " " + QString::number(parts[0].toInt()) + "."
                           + QString::number(minor.toInt());
    const QString line = systemLine();
    EXPECT_TRUE(line.startsWith("System: ")) << line.toStdString();
    EXPECT_TRUE(line.endsWith(kernel)) << line.toStdString();
    EXPECT_FALSE(line.contains("Unknown")) << line.toStdString();
    // Where the distribution names itself (os-release), so does the line.
    if (QSysInfo::productType() != QLatin1String("unknown")) {
        EXPECT_EQ(line, "System: " + QSysInfo::prettyProductName() + ", " + kernel);
    }
}

TEST(AboutTextTest, SystemLineForVariousNamesAndReleaseTexts)
{
    const QString debian = QStringLiteral("Debian GNU/Linux 12 (bookworm)");
    EXPECT_EQ(systemLineFor(debian, "Linux", "6.1.0-18-amd64"), "System: Debian GNU/Linux 12 (bookworm), Linux 6.1");
    EXPECT_EQ(systemLineFor(debian, "Linux", "5.15.90.1-microsoft-standard-WSL2"),
              "System: Debian GNU/Linux 12 (bookworm), Linux 5.15");
    // Qt names the kernel where the distribution names nothing: once is enough.
    EXPECT_EQ(systemLineFor("Linux 6.18.44-fc-v1272", "Linux", "6.18.44-fc-v1272"), "System: Linux 6.18");
    EXPECT_EQ(systemLineFor("", "Linux", "7"), "System: Linux 7.0");
    EXPECT_EQ(systemLineFor(" ", "Linux", "4.rc1"), "System: Linux 4.0");
    EXPECT_EQ(systemLineFor("", "", ""), "System: Unknown 0.0");
    EXPECT_EQ(systemLineFor(debian, "Linux", "weird"), "System: Debian GNU/Linux 12 (bookworm), Linux 0.0");
    EXPECT_EQ(systemLineFor("", "Linux", "99999999999999999999.1"), "System: Linux 999999999.1");
}

// --- The dialog -----------------------------------------------------------

TEST_F(AboutBoxTest, HasFixedClientSizeAndCaption)
{
    TDlgAboutForm box;
    EXPECT_EQ(box.windowTitle(), "About");
    EXPECT_EQ(box.size(), QSize(335, 226));
    EXPECT_EQ(box.minimumSize(), QSize(335, 226));
    EXPECT_EQ(box.maximumSize(), QSize(335, 226));
}

TEST_F(AboutBoxTest, MemoShowsTheLinesReadOnlyInBlueItalicCourier)
{
    TDlgAboutForm box;
    QPlainTextEdit* memo = box.memo();
    ASSERT_NE(memo, nullptr);
    EXPECT_TRUE(memo->isReadOnly());

    QStringList shown;
    for (QTextBlock b = memo->document()->begin(); b.isValid(); b = b.next())
        shown << b.text();
    EXPECT_EQ(shown, aboutLines());

    const QFont font = memo->font();
    EXPECT_EQ(font.family(), "Courier New");
    EXPECT_TRUE(font.italic());
    EXPECT_EQ(font.pixelSize(), 12);
    EXPECT_EQ(memo->palette().color(QPalette::Text), QColor(Qt::blue));
    EXPECT_EQ(memo->palette().color(QPalette::Base), box.palette().color(QPalette::Window));
}

TEST_F(AboutBoxTest, IconSitsCentredLeftOfTheMemoAndTheLogoIsHidden)
{
    TDlgAboutForm box;
    const QFrame* panel = box.panel();
    const QLabel* icon = box.iconImage();
    const QLabel* logo = box.logoImage();
    const QPlainTextEdit* memo = box.memo();
    EXPECT_EQ(panel->frameShadow(), QFrame::Sunken);
    ASSERT_EQ(icon->parentWidget(), panel);
    ASSERT_EQ(memo->parentWidget(), panel);

    ASSERT_FALSE(icon->pixmap().isNull());
    EXPECT_EQ(icon->size(), icon->pixmap().size());
    EXPECT_EQ(icon->x(), (memo->x() - icon->width()) / 2);
    EXPECT_EQ(icon->y(), panel->height() / 2 - icon->height() / 2);
    EXPECT_LT(icon->geometry().right(), memo->x());
    EXPECT_FALSE(icon->isHidden());

    EXPECT_TRUE(logo->isHidden());
    EXPECT_EQ(logo->y(), memo->y());
    EXPECT_EQ(logo->x(), (memo->x() - logo->width()) / 2);

    // Panel above the OK button, both inside the client area.
    const QRect client(QPoint(0, 0), box.size());
    EXPECT_TRUE(client.contains(panel->geometry()));
    EXPECT_TRUE(client.contains(box.okButton()->geometry()));
    EXPECT_LT(panel->geometry().bottom(), box.okButton()->y());
    EXPECT_TRUE(panel->rect().contains(memo->geometry()));
}

TEST_F(AboutBoxTest, OkClosesTheBoxAndItIsCentredOnTheScreen)
{
    TDlgAboutForm box;
    box.show();
    QApplication::processEvents();
    if (QScreen* screen = box.screen()) {
        const QPoint off = box.frameGeometry().center() - screen->availableGeometry().center();
        EXPECT_LE(std::abs(off.x()), 1);
        EXPECT_LE(std::abs(off.y()), 1);
    }
    box.okButton()->click();
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), QDialog::Accepted);
}

TEST_F(AboutBoxTest, ApplicationIconIsDrawnAtEverySize)
{
    for (int size : {16, 32, 48}) {
        const QImage image = applicationIconPixmap(size).toImage();
        EXPECT_EQ(image.size(), QSize(size, size));
        // Something is drawn, and the corners stay transparent.
        int opaque = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                opaque += qAlpha(image.pixel(x, y)) > 0;
        EXPECT_GT(opaque, size * size / 4);
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    }
    EXPECT_FALSE(applicationIcon().isNull());
}

// --- The widget prompt service ----------------------------------------------

class WidgetPromptServiceTest : public AboutBoxTest {
protected:
    // Presses `key` in the next modal box once it is open and remembers its
    // caption, text and icon.
    void pressInNextBox(int key)
    {
        QTimer::singleShot(0, [this, key] { pressWhenOpen(key, 0); });
    }

    void pressWhenOpen(int key, int tries)
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            if (tries < 200)
                QTimer::singleShot(5, [this, key, tries] { pressWhenOpen(key, tries + 1); });
            return;
        }
        caption = box->windowTitle();
        text = box->text();
        icon = box->icon();
        width = box->width();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(box, &press);
    }

    // Types `answer` into the next input box once it is open, remembers its
    // caption and width, and presses Enter.
    void answerNextInputBox(const QString& answer)
    {
        QTimer::singleShot(0, [this, answer] { answerWhenOpen(answer, 0); });
    }

    void answerWhenOpen(const QString& answer, int tries)
    {
        auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (!box) {
            if (tries < 200)
                QTimer::singleShot(5, [this, answer, tries] { answerWhenOpen(answer, tries + 1); });
            return;
        }
        caption = box->windowTitle();
        width = box->width();
        auto* edit = box->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        edit->selectAll();
        QTest::keyClicks(edit, answer);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    // The least width that shows `title` whole in a title bar: the caption
    // in a bold face, and an icon and three buttons each about as wide as a
    // line of it is high with a few pixels around.
    static int titleBarWidth(const QString& title)
    {
        QFont bold = QApplication::font();
        bold.setBold(true);
        const QFontMetrics metrics(bold);
        return metrics.horizontalAdvance(title) + 4 * (metrics.height() + 8);
    }

    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int width = 0;
};

TEST_F(WidgetPromptServiceTest, EnterAnswersTheDefaultButton)
{
    WidgetPromptService prompts;
    PromptService::Message m = userMessage(Str::WarningCaption, Str::WarnAbortImport);
    m.icon = PromptService::Icon::Question;
    m.buttons = {PromptService::Button::Yes, PromptService::Button::No};
    m.defaultButton = PromptService::Button::No;
    pressInNextBox(Qt::Key_Return);
    EXPECT_EQ(prompts.message(nullptr, m), PromptService::Button::No);
    EXPECT_EQ(caption, "Warning[W8014]");
    EXPECT_EQ(text, "Do you really want to abort import data ?");
    EXPECT_EQ(icon, QMessageBox::Question);
}

TEST_F(WidgetPromptServiceTest, EscapeAnswersCancelAndAStopBoxIsCritical)
{
    WidgetPromptService prompts;
    PromptService::Message m = userMessage(Str::WarningCaption, Str::WarnBufferHasData);
    m.buttons = {PromptService::Button::Yes, PromptService::Button::No, PromptService::Button::Cancel};
    m.defaultButton = PromptService::Button::Yes;
    pressInNextBox(Qt::Key_Escape);
    EXPECT_EQ(prompts.message(nullptr, m), PromptService::Button::Cancel);
    EXPECT_EQ(icon, QMessageBox::Critical);

    pressInNextBox(Qt::Key_Return);
    EXPECT_EQ(prompts.message(nullptr, userMessage(Str::ErrorCaption, Str::ErrFileOpen)), PromptService::Button::Ok);
    EXPECT_EQ(caption, "Error[E9004]");
}

// The open dialog, as the user types a name into it and presses Enter.
TEST_F(WidgetPromptServiceTest, OpenTakesANameAsTypedAndAddsTheExtensionOnlyWhereNoneIsFound)
{
    QTemporaryDir dir;
    for (const char* name : {"noext", "noext.r27", "day.r27"}) {
        QFile f(dir.filePath(QLatin1String(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    // Started from a terminal in `dir`: the dialogs start there.
    WidgetPromptService prompts(FileFolders(dir.path(), dir.filePath("own"), QString(), QString()));
    PromptService::FileRequest request;
    request.caption = QStringLiteral("Open...");
    request.filters = {QStringLiteral("Data Logger files(*.r27)"), QStringLiteral("All files(*)")};
    request.defaultSuffix = QStringLiteral("r27");
    QString startedIn;
    const auto typeAndEnter = [&startedIn](const QString& typed) {
        QTimer::singleShot(0, [typed, &startedIn] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            startedIn = dialog->directory().absolutePath();
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(edit, nullptr);
            edit->setText(typed);
            QTest::keyClick(edit, Qt::Key_Return);
        });
    };
    typeAndEnter(QStringLiteral("noext"));
    EXPECT_EQ(prompts.fileName(nullptr, request), dir.filePath(QStringLiteral("noext")));
    typeAndEnter(QStringLiteral("day"));
    EXPECT_EQ(prompts.fileName(nullptr, request), dir.filePath(QStringLiteral("day.r27")));
    typeAndEnter(dir.filePath(QStringLiteral("noext.r27")));
    EXPECT_EQ(prompts.fileName(nullptr, request), dir.filePath(QStringLiteral("noext.r27")));
    EXPECT_EQ(startedIn, dir.path());

    // A file chosen in another folder: the next dialog for that kind starts there.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("logs")));
    QFile(dir.filePath(QStringLiteral("logs/mains.640"))).open(QIODevice::WriteOnly);
    typeAndEnter(dir.filePath(QStringLiteral("logs/mains.640")));
    EXPECT_EQ(prompts.fileName(nullptr, request), dir.filePath(QStringLiteral("logs/mains.640")));
    typeAndEnter(QStringLiteral("mains.640"));
    EXPECT_EQ(prompts.fileName(nullptr, request), dir.filePath(QStringLiteral("logs/mains.640")));
    EXPECT_EQ(startedIn, dir.filePath(QStringLiteral("logs")));
}

TEST_F(WidgetPromptServiceTest, MessageAndInputBoxesAreAtLeastAsWideAsTheirCaptions)
{
    // A short text must not leave the caption, and the number users quote,
    // cut by the title bar.
    WidgetPromptService prompts;
    pressInNextBox(Qt::Key_Return);
    prompts.message(nullptr, userMessage(Str::WarningCaption, Str::WarnFirstPage));
    EXPECT_EQ(caption, "Warning[W8008]");
    EXPECT_GE(width, titleBarWidth(caption));

    answerNextInputBox(QStringLiteral("17"));
    bool ok = false;
    const QString answer = prompts.text(nullptr, loadString(Str::IntervalInSeconds),
                                        loadString(Str::IntervalInputPrompt), QStringLiteral("5"), &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(answer, "17");
    EXPECT_EQ(caption, "Interval in second(s)");
    EXPECT_GE(width, titleBarWidth(caption));
}

} // namespace
} // namespace vt640
