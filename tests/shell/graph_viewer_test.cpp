// The graph viewer in the whole program: the recorder's Fit all data opens
// it modally over the recorder's buffer, its Export uses the viewer's own
// export dialog, and it prints on the printer the recorder set up.
#include "shell_fixture.h"

#include "recorder/graphical_form.h"
#include "support/file_bytes.h"
#include "support/test_readings.h"
#include "viewer/dlg_fit_export_form.h"
#include "viewer/form_view_graphic.h"
#include "viewer/pe_graph.h"

#include <QApplication>
#include <QFile>
#include <QPrinter>
#include <QRegularExpression>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>

using namespace vt640;
using namespace vt640::test;

TEST_F(ShellTest, FitAllDataOpensTheViewerModallyOverTheRecordersBuffer)
{
    startProgram();
    TGraphicalForm& recorder = *windows_->graphicalForm();
    TFormViewGraphic& viewer = *windows_->formViewGraphic();
    TDlgFitExportForm& exportDialog = *windows_->dlgFitExportForm();
    state_.readingAvailable = true;
    for (int i = 0; i < 450; ++i) {
        cycle().reading() = volts(i % 37);
        recorder.manualLogging();
    }
    ASSERT_TRUE(recorder.sbtnFitView->isEnabled());

    bool ran = false;
    QTimer::singleShot(0, &viewer, [&] {
        ran = true;
        EXPECT_EQ(QApplication::activeModalWidget(), &viewer);
        EXPECT_TRUE(viewer.isMaximized());
        EXPECT_EQ(viewer.graph()->points(), 450);
        EXPECT_EQ(viewer.MaxDataPanel->text(), "36.000");
        EXPECT_EQ(viewer.MinDataPanel->text(), "0.000");
        bool exported = false;
        QTimer::singleShot(0, &exportDialog, [&] {
            exported = true;
            EXPECT_EQ(QApplication::activeModalWidget(), &exportDialog);
            EXPECT_FALSE(exportDialog.rbtnText->isVisible());
            QTest::mouseClick(exportDialog.btnCancel, Qt::LeftButton);
        });
        QTest::mouseClick(viewer.sbtnExport, Qt::LeftButton);
        EXPECT_TRUE(exported);
        QTest::mouseClick(viewer.bbtnClose, Qt::LeftButton);
    });
    QTest::mouseClick(recorder.sbtnFitView, Qt::LeftButton);
    EXPECT_TRUE(ran);
    EXPECT_FALSE(viewer.isVisible());
    EXPECT_EQ(viewer.graph()->points(), 100);
}

TEST_F(ShellTest, OnePrinterSetUpServesTheRecorderAndTheViewer)
{
    startProgram();
    TGraphicalForm& recorder = *windows_->graphicalForm();
    TFormViewGraphic& viewer = *windows_->formViewGraphic();
    state_.readingAvailable = true;
    for (int i = 0; i < 450; ++i) {
        cycle().reading() = volts(i % 37);
        recorder.manualLogging();
    }

    // File, Printer Setup in the recorder: a printer that writes a PDF, landscape.
    const QString pdf = QDir::current().filePath(QStringLiteral("viewer.pdf"));
    prompts_.answerPrinterSetup(true, [&](QPrinter& p) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(pdf);
        p.setPageOrientation(QPageLayout::Landscape);
    });
    recorder.miPrinterSetup->trigger();
    ASSERT_EQ(prompts_.printerSetups().size(), 1);
    EXPECT_EQ(prompts_.printerSetups()[0].printer, &windows_->printer()) << "the program's one printer";

    // The viewer's print dialog opens on that printer, and prints landscape.
    prompts_.answerPrintDialog(true);
    QTimer::singleShot(0, &viewer, [&] {
        QTest::mouseClick(viewer.sbtnPrint, Qt::LeftButton);
        QTest::mouseClick(viewer.bbtnClose, Qt::LeftButton);
    });
    QTest::mouseClick(recorder.sbtnFitView, Qt::LeftButton);
    ASSERT_EQ(prompts_.printDialogs().size(), 1);
    EXPECT_EQ(prompts_.printDialogs()[0].printer, prompts_.printerSetups()[0].printer);
    EXPECT_EQ(prompts_.messageCount(), 0) << prompts_.texts().join('\n').toStdString();
    const QByteArray printed = readFile(pdf);
    static const QRegularExpression box(R"(/MediaBox\s*\[\s*0\s+0\s+([\d.]+)\s+([\d.]+)\s*\])");
    const auto m = box.match(QString::fromLatin1(printed));
    ASSERT_TRUE(m.hasMatch());
    EXPECT_GT(m.captured(1).toDouble(), m.captured(2).toDouble()) << "landscape";

    // The recorder's Print this page goes there too.
    QFile::remove(pdf);
    prompts_.answerPrintDialog(true);
    QTest::mouseClick(recorder.sbtnPrintGraphic, Qt::LeftButton);
    ASSERT_EQ(prompts_.printDialogs().size(), 2);
    EXPECT_EQ(prompts_.printDialogs()[1].printer, prompts_.printerSetups()[0].printer);
    EXPECT_EQ(pdfPages(readFile(pdf)), 1);
}
