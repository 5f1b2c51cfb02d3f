// The standard dialogs the widget prompt service shows, driven as a user
// would: the printer set-up and the file dialog's filters.
#include "app/widget_prompt_service.h"
#include "support/gui_test_app.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace vt640 {
namespace {

class WidgetPromptDialogsTest : public ::testing::Test {
protected:
    // Runs `inDialog` on the modal dialog once it is up.
    template <typename Dialog>
    void whenShown(std::function<void(Dialog&)> inDialog)
    {
        QTimer::singleShot(0, qApp, [this, inDialog] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            shown_ = dialog != nullptr;
            if (!dialog) {
                if (QWidget* other = QApplication::activeModalWidget())
                    other->close();
                return;
            }
            inDialog(*dialog);
        });
    }

    QApplication& app_ = test::guiApp();
    QTemporaryDir dir_;
    WidgetPromptService prompts_;
    bool shown_ = false;
};

// What the printer set-up shows once it has settled; then OK.
void checkSetUpAndAccept(QPrintDialog& d)
{
    EXPECT_EQ(d.windowTitle(), "Printer Setup");
    // The printer is chosen here; the page range belongs to a print.
    auto* printers = d.findChild<QComboBox*>(QStringLiteral("printers"));
    EXPECT_TRUE(printers && printers->isVisibleTo(&d));
    EXPECT_GE(printers ? printers->count() : 0, 1);
    auto* range = d.findChild<QGroupBox*>(QStringLiteral("gbPrintRange"));
    EXPECT_TRUE(!range || range->isHidden());
    QPushButton* ok = nullptr;
    for (auto* box : d.findChildren<QDialogButtonBox*>())
        if (!ok)
            ok = box->button(QDialogButtonBox::Ok);
    if (!ok) {
        ADD_FAILURE() << "no OK button";
        d.reject();
        return;
    }
    EXPECT_EQ(ok->text(), "OK");
    QTest::mouseClick(ok, Qt::LeftButton);
}

TEST_F(WidgetPromptDialogsTest, PrinterSetupChoosesThePrinterAndPrintsNothing)
{
    QPrinter printer(QPrinter::ScreenResolution);
    const QString file = dir_.filePath(QStringLiteral("setup.pdf"));
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    // Checked once the dialog has settled after showing.
    whenShown<QPrintDialog>([](QPrintDialog& d) { QTimer::singleShot(0, &d, [&d] { checkSetUpAndAccept(d); }); });
    EXPECT_TRUE(prompts_.printerSetup(nullptr, printer));
    EXPECT_TRUE(shown_) << "not a print dialog";
    EXPECT_EQ(printer.outputFileName(), file);
    EXPECT_FALSE(QFile::exists(file)) << "setting up prints nothing";
}

TEST_F(WidgetPromptDialogsTest, ASavedNameWithoutExtensionTakesTheChosenFilters)
{
    PromptService::FileRequest request;
    request.caption = QStringLiteral("Save As");
    request.directory = dir_.path();
    request.fileName = QStringLiteral("Untitled");
    request.filters = {QStringLiteral("All (*.emf *.wmf *.svg *.pdf)"), QStringLiteral("Enhanced Metafiles (*.emf)"),
                       QStringLiteral("Metafiles (*.wmf)"), QStringLiteral("SVG (*.svg)"),
                       QStringLiteral("PDF (*.pdf)")};
    request.defaultSuffix = QStringLiteral("emf");
    request.save = true;
    auto typeReport = [](QFileDialog& d, int key) {
        auto* types = d.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        auto* name = d.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_TRUE(types && name);
        if (key)
            QTest::keyClick(types, static_cast<Qt::Key>(key)); // the user picks a filter
        name->clear();
        QTest::keyClicks(name, QStringLiteral("report"));
        QTest::keyClick(name, Qt::Key_Return);
    };

    QString filter;
    whenShown<QFileDialog>([&](QFileDialog& d) { typeReport(d, Qt::Key_End); });
    EXPECT_EQ(prompts_.fileName(nullptr, request, &filter), dir_.filePath(QStringLiteral("report.pdf")));
    EXPECT_EQ(filter, "PDF (*.pdf)");

    whenShown<QFileDialog>([&](QFileDialog& d) { typeReport(d, 0); });
    EXPECT_EQ(prompts_.fileName(nullptr, request, &filter), dir_.filePath(QStringLiteral("report.emf")));
    EXPECT_EQ(filter, "All (*.emf *.wmf *.svg *.pdf)");
}

} // namespace
} // namespace vt640
