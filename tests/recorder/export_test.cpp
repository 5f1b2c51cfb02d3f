// The export dialog and the recorder's Export command, driven with the mouse
// and the keyboard: text pages written through the data list.
#include "app/core/global_state.h"
#include "recorder/graphical_form.h"
#include "support/test_readings.h"
#include "support/file_bytes.h"
#include "support/gui_test_app.h"
#include "support/scripted_prompt_service.h"
#include "viewer/data_string_grid_form.h"
#include "viewer/dlg_export_form.h"
#include "viewer/chart_exporter.h"
#include "viewer/dlg_fit_export_form.h"
#include "viewer/pe_graph.h"

#include <gtest/gtest.h>

#include <qcustomplot.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QRegularExpression>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <memory>

using namespace vt640;
using vt640::test::FakeClock;
using vt640::test::volts;

namespace {

void click(QWidget* w)
{
    ASSERT_TRUE(w->isVisible() && w->isEnabled()) << w->objectName().toStdString();
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(6, w->height() / 2));
}

class ExportDialogTest : public ::testing::Test {
protected:
    QApplication& app = test::guiApp();
    ScriptedPromptService prompts;
    TDlgExportForm dialog{prompts};
};

TEST_F(ExportDialogTest, ChoicesFollowTheMouse)
{
    dialog.show();
    click(dialog.rbtnMetaFile);
    EXPECT_TRUE(dialog.rbtnClipBoard->isChecked());
    EXPECT_TRUE(dialog.rbtnMillimeters->isChecked());
    EXPECT_FALSE(dialog.rbtnPixels->isEnabled());
    EXPECT_EQ(dialog.editWidth->text(), "100");
    EXPECT_EQ(dialog.editHigh->text(), "68.1");
    EXPECT_EQ(dialog.lblUnit->text(), "Units");
    EXPECT_FALSE(dialog.btnBrowse->isEnabled());

    click(dialog.rbtnBitMap);
    EXPECT_TRUE(dialog.rbtnPixels->isChecked());
    EXPECT_EQ(dialog.rbtnPixels->text(), "Pixels");
    EXPECT_EQ(dialog.editWidth->text(), "1000");

    click(dialog.rbtnText);
    EXPECT_TRUE(dialog.rbtnFile->isChecked());
    EXPECT_FALSE(dialog.rbtnClipBoard->isEnabled());
    EXPECT_FALSE(dialog.rbtnPrinter->isEnabled());
    EXPECT_FALSE(dialog.gbSize->isVisible());
    click(dialog.rbtnPage);
    EXPECT_TRUE(dialog.editPageFrom->isEnabled());
    // Page numbers take digits only.
    dialog.editPageFrom->clear();
    QTest::keyClicks(dialog.editPageFrom, "1a2-");
    EXPECT_EQ(dialog.editPageFrom->text(), "12");
}

TEST_F(ExportDialogTest, TypingASizeIsQuietAndExportRefusesANonNumber)
{
    dialog.show();
    click(dialog.rbtnMetaFile);
    click(dialog.rbtnInches);
    dialog.editWidth->selectAll();
    QTest::keyClicks(dialog.editWidth, "-");
    QTest::keyClicks(dialog.editWidth, "2.5");
    EXPECT_EQ(prompts.messageCount(), 0); // nothing while typing
    EXPECT_DOUBLE_EQ(dialog.choices().storedWidth(), -2.5 * 2540);
    dialog.editHigh->selectAll();
    QTest::keyClicks(dialog.editHigh, "abc");
    EXPECT_EQ(prompts.messageCount(), 0);
    click(dialog.btnExport);
    ASSERT_EQ(prompts.messageCount(), 1);
    EXPECT_EQ(prompts.last().text, "'abc' is not a valid floating point value");
    EXPECT_EQ(prompts.last().icon, PromptService::Icon::Stop);
    EXPECT_TRUE(dialog.isVisible()) << "the dialog stays open";
    EXPECT_NEAR(dialog.choices().storedHeight(), 6810, 1e-9) << "the stored height stays";
}

TEST_F(ExportDialogTest, BrowseShowsTheNameAndACancelKeepsIt)
{
    dialog.show();
    click(dialog.rbtnText);
    const QString path = "/home/user/measurements/2026/run-12.csv";
    prompts.answerFileName(path);
    click(dialog.btnBrowse);
    ASSERT_EQ(prompts.fileRequests().size(), 1);
    const auto& request = prompts.fileRequests()[0].request;
    EXPECT_TRUE(request.save);
    EXPECT_EQ(request.fileName, "Untitled");
    EXPECT_EQ(request.filters, QStringList{"CSV files(*.csv)"});
    EXPECT_EQ(request.defaultSuffix, "csv");
    EXPECT_EQ(dialog.stxFileName->text(), "/ho...urements/2026/run-12.csv");
    EXPECT_EQ(dialog.choices().fileName(), path);

    click(dialog.btnBrowse); // cancelled
    EXPECT_EQ(dialog.choices().fileName(), path);
    EXPECT_EQ(dialog.stxFileName->text(), "/ho...urements/2026/run-12.csv");
}

TEST_F(ExportDialogTest, TheViewersPrinterExportsItsOnePage)
{
    TDlgFitExportForm fit{prompts};
    fit.show();
    click(fit.rbtnMetaFile);
    click(fit.rbtnPrinter);
    EXPECT_TRUE(fit.rbtnThisPage->isChecked());
    EXPECT_FALSE(fit.rbtnPageAll->isEnabled());
    dialog.show();
    click(dialog.rbtnMetaFile);
    click(dialog.rbtnPrinter);
    EXPECT_TRUE(dialog.rbtnPageAll->isEnabled());
}

// The recorder with 450 logged records (three pages) and its data list.
class RecorderExportTest : public ::testing::Test {
protected:
    explicit RecorderExportTest(int records = 450)
    {
        state.workingDirectory = dir.path();
        form = std::make_unique<TGraphicalForm>(state, prompts, reading);
        form->setClock(clock);
        form->setExportDialog(dialog);
        list.setBuffer(form->buffer());
        list.setRecorder(&form->core());
        list.setPrompts(&prompts);
        form->setTextExport([this](int first, int last, const QString& path) { list.saveCsv(first, last, path); });
        state.readingAvailable = true;
        for (int i = 0; i < records; ++i) {
            reading = volts(i);
            form->manualLogging();
            clock.advance(750);
        }
        form->show();
    }

    // Presses Export; `inDialog` acts in the modal dialog once it is up.
    void exportWith(std::function<void()> inDialog)
    {
        QTimer::singleShot(0, &dialog, [this, inDialog] {
            ASSERT_TRUE(dialog.isVisible());
            inDialog();
            if (dialog.isVisible())
                click(dialog.btnExport);
        });
        click(form->sbtnExport);
    }

    int lineCount(const QString& path)
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return -1;
        return static_cast<int>(f.readAll().count("\r\n"));
    }

    QApplication& app = test::guiApp();
    QTemporaryDir dir;
    GlobalState state;
    ScriptedPromptService prompts;
    MeterReading reading;
    FakeClock clock;
    TDlgExportForm dialog{prompts};
    TDataStringGridForm list;
    std::unique_ptr<TGraphicalForm> form;
};

TEST_F(RecorderExportTest, PresetsTextThisPageAndTheBrowseButton)
{
    exportWith([this] {
        EXPECT_TRUE(dialog.rbtnText->isChecked());
        EXPECT_TRUE(dialog.rbtnFile->isChecked());
        EXPECT_TRUE(dialog.rbtnThisPage->isChecked());
        EXPECT_EQ(dialog.editPageFrom->text(), "1");
        EXPECT_EQ(dialog.editPageTo->text(), "3");
        EXPECT_TRUE(dialog.stxFileName->text().isEmpty());
        EXPECT_EQ(dialog.focusWidget(), dialog.btnBrowse);
        click(dialog.btnCancel);
    });
    EXPECT_EQ(prompts.messageCount(), 0);
}

TEST_F(RecorderExportTest, AFileWithoutANameIsRefused)
{
    exportWith([] {});
    ASSERT_EQ(prompts.messageCount(), 1);
    EXPECT_EQ(prompts.last().caption, "Error[E9013]");
    EXPECT_EQ(prompts.last().text, "Please \"Browse\" and specify a file name !");
    EXPECT_EQ(prompts.last().icon, PromptService::Icon::Stop);
}

TEST_F(RecorderExportTest, TextOfThisPageAllPagesAndARange)
{
    const QString path = dir.filePath("pages.csv");
    auto exportScope = [&](QRadioButton* scope, const QString& from = {}, const QString& to = {}) {
        exportWith([&] {
            prompts.answerFileName(path);
            click(dialog.btnBrowse);
            click(scope);
            if (!from.isNull()) {
                dialog.editPageFrom->clear();
                QTest::keyClicks(dialog.editPageFrom, from);
                dialog.editPageTo->clear();
                QTest::keyClicks(dialog.editPageTo, to);
            }
        });
    };
    exportScope(dialog.rbtnThisPage); // the last page, shown after logging
    EXPECT_EQ(lineCount(path), 200);
    exportScope(dialog.rbtnPageAll);
    EXPECT_EQ(lineCount(path), 1 + 50 + 200 + 200);
    exportScope(dialog.rbtnPage, "1", "1");
    EXPECT_EQ(lineCount(path), 51);
    exportScope(dialog.rbtnPage, "3", "2");
    EXPECT_EQ(lineCount(path), 0);
    // Backward past the last page is still backward: no line, not page 3.
    exportScope(dialog.rbtnPage, "4", "3");
    EXPECT_EQ(lineCount(path), 0);
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(prompts.messageCount(), 0);
}

TEST_F(RecorderExportTest, AFileThatCannotBeWrittenIsTold)
{
    const QString path = dir.filePath("missing/out.csv");
    exportWith([&] {
        prompts.answerFileName(path);
        click(dialog.btnBrowse);
    });
    ASSERT_EQ(prompts.messageCount(), 1);
    EXPECT_TRUE(prompts.last().text.startsWith("Cannot create file " + path));
    EXPECT_EQ(prompts.last().icon, PromptService::Icon::Stop);
}

// Five pages of records, printed to a PDF file instead of a printer.
class RecorderPrintTest : public RecorderExportTest {
protected:
    RecorderPrintTest() : RecorderExportTest(900)
    {
        QPrinter& printer = form->graph()->exporter().printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
    }
    QString pdf = dir.filePath("printed.pdf");
};

TEST_F(RecorderPrintTest, PagesTwoToFourPrintThreePagesAndTheCurrentPageComesBack)
{
    ASSERT_EQ(form->core().totalPages(), 5);
    const QString lastLabel = form->graph()->pointLabels(199);
    QList<PEGraph::ViewingStyle> styles;
    QObject::connect(form->graph(), &PEGraph::actionStarted, form.get(), [&](PEGraph::Action a) {
        if (a == PEGraph::gPrintGraph)
            styles << form->graph()->viewingStyle();
    });
    prompts.answerFileName(pdf);
    exportWith([&] {
        click(dialog.rbtnMetaFile);
        click(dialog.rbtnPrinter);
        click(dialog.rbtnPage);
        dialog.editPageFrom->clear();
        QTest::keyClicks(dialog.editPageFrom, "2");
        dialog.editPageTo->clear();
        QTest::keyClicks(dialog.editPageTo, "4");
    });
    EXPECT_EQ(prompts.messageCount(), 0);
    ASSERT_EQ(prompts.fileRequests().size(), 1) << "the print file is asked for";
    EXPECT_EQ(test::pdfPages(test::readFile(pdf)), 3);
    EXPECT_EQ(styles, QList<PEGraph::ViewingStyle>(3, PEGraph::gMonochrome));
    EXPECT_EQ(form->graph()->viewingStyle(), PEGraph::gColor);
    EXPECT_EQ(form->core().currentPage(), 5);
    EXPECT_EQ(form->graph()->pointLabels(199), lastLabel);
}

TEST_F(RecorderPrintTest, PrintThisPageAsksThePrintDialogAndPrintsOnePage)
{
    prompts.answerPrintDialog(true);
    click(form->sbtnPrintGraphic);
    ASSERT_EQ(prompts.printDialogs().size(), 1);
    EXPECT_EQ(test::pdfPages(test::readFile(pdf)), 1);
    EXPECT_EQ(form->graph()->viewingStyle(), PEGraph::gColor);

    // Cancelled: nothing printed, nothing to tell.
    QFile::remove(pdf);
    click(form->sbtnPrintGraphic);
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_EQ(prompts.messageCount(), 0);
}

TEST_F(RecorderPrintTest, PrinterSetUpChoicesHoldForLaterPrints)
{
    prompts.answerPrinterSetup(true, [](QPrinter& p) { p.setPageOrientation(QPageLayout::Landscape); });
    form->miPrinterSetup->trigger();
    ASSERT_EQ(prompts.printerSetups().size(), 1);
    EXPECT_EQ(form->graph()->exporter().printer().pageLayout().orientation(), QPageLayout::Landscape);
}

// Export to the printer of pages by number, as the user chooses them.
void choosePrinterPages(TDlgExportForm& dialog, QRadioButton* type, const QString& from, const QString& to)
{
    click(type);
    click(dialog.rbtnPrinter);
    click(dialog.rbtnPage);
    dialog.editPageFrom->clear();
    QTest::keyClicks(dialog.editPageFrom, from);
    dialog.editPageTo->clear();
    QTest::keyClicks(dialog.editPageTo, to);
}

TEST_F(RecorderPrintTest, AFailingPrinterStopsTheExportAfterOneErrorWithThePageBackInColour)
{
    // No printer at all (Qt's printer is then a PDF without a file), and a
    // queue that has gone since it was chosen.
    const std::pair<const char*, std::function<void(QPrinter&)>> printers[] = {
        {"no printer",
         [](QPrinter& p) {
             p.setOutputFormat(QPrinter::PdfFormat);
             p.setOutputFileName(QString());
         }},
        {"queue gone", [](QPrinter& p) { p.setPrinterName(QStringLiteral("vt640-queue-deleted-meanwhile")); }},
    };
    const QString lastLabel = form->graph()->pointLabels(199);
    int printed = 0;
    QObject::connect(form->graph(), &PEGraph::actionStarted, form.get(), [&](PEGraph::Action a) {
        if (a == PEGraph::gPrintGraph)
            ++printed;
    });
    for (const auto& [name, setUp] : printers) {
        for (QRadioButton* type : {dialog.rbtnMetaFile, dialog.rbtnBitMap}) {
            SCOPED_TRACE(std::string(name) + ", " + type->objectName().toStdString());
            setUp(form->graph()->exporter().printer());
            prompts.clear();
            printed = 0;
            exportWith([&] {
                choosePrinterPages(dialog, type, "1", "5");
                click(dialog.rbtnPageAll);
            });
            EXPECT_EQ(printed, 1) << "the pages after a failure are not tried";
            ASSERT_EQ(prompts.messageCount(), 1);
            EXPECT_EQ(prompts.last().caption, "Error[E9031]");
            // What failed, why, and where to choose a printer that works.
            EXPECT_TRUE(prompts.last().text.startsWith("The page could not be printed.\n"))
                << prompts.last().text.toStdString();
            EXPECT_TRUE(prompts.last().text.endsWith("under File, Printer Setup."));
            EXPECT_EQ(form->graph()->viewingStyle(), PEGraph::gColor);
            EXPECT_EQ(form->core().currentPage(), 5);
            EXPECT_EQ(form->graph()->pointLabels(199), lastLabel);
        }
    }
}

TEST_F(RecorderPrintTest, PrintingToAFileAsksForItsNameInsteadOfReplacingAnEarlierPrint)
{
    prompts.answerPrintDialog(true);
    click(form->sbtnPrintGraphic);
    ASSERT_EQ(test::pdfPages(test::readFile(pdf)), 1);
    const QByteArray first = test::readFile(pdf);

    // Cancelled: nothing printed, the earlier print as it was.
    exportWith([&] { choosePrinterPages(dialog, dialog.rbtnMetaFile, "1", "3"); });
    ASSERT_EQ(prompts.fileRequests().size(), 1);
    const auto& request = prompts.fileRequests()[0].request;
    EXPECT_EQ(request.caption, "Print to File");
    EXPECT_EQ(QDir(request.directory).filePath(request.fileName), pdf);
    EXPECT_EQ(request.filters, QStringList{"PDF (*.pdf)"});
    EXPECT_TRUE(request.save);
    EXPECT_EQ(test::readFile(pdf), first);
    EXPECT_EQ(prompts.messageCount(), 0);

    // Another name: the pages go there, and later prints too.
    const QString pages = dir.filePath("pages.pdf");
    prompts.answerFileName(pages);
    exportWith([&] { choosePrinterPages(dialog, dialog.rbtnMetaFile, "1", "3"); });
    EXPECT_EQ(test::pdfPages(test::readFile(pages)), 3);
    EXPECT_EQ(test::readFile(pdf), first);
    EXPECT_EQ(form->graph()->exporter().printer().outputFileName(), pages);
    EXPECT_EQ(prompts.messageCount(), 0);
}

TEST_F(RecorderPrintTest, PagesByNumberPrintWholeWhileZoomedAndTheZoomComesBack)
{
    PEGraph& g = *form->graph();
    g.zoomTo(150, 199, 0, 40);
    const PEGraph::ZoomWindow zoom = g.zoomWindow();
    QList<QCPRange> printedRanges;
    QObject::connect(&g, &PEGraph::actionStarted, form.get(), [&](PEGraph::Action a) {
        if (a == PEGraph::gPrintGraph)
            printedRanges << g.plot()->xAxis->range();
    });
    prompts.answerFileName(pdf);
    exportWith([&] { choosePrinterPages(dialog, dialog.rbtnMetaFile, "1", "3"); });
    EXPECT_EQ(test::pdfPages(test::readFile(pdf)), 3);
    ASSERT_EQ(printedRanges.size(), 3);
    for (const QCPRange& r : printedRanges) {
        EXPECT_LE(r.lower, 0.0);
        EXPECT_GE(r.upper, 199.0);
    }
    EXPECT_TRUE(g.zoomed());
    EXPECT_DOUBLE_EQ(g.plot()->xAxis->range().lower, zoom.firstPoint);
    EXPECT_DOUBLE_EQ(g.plot()->xAxis->range().upper, zoom.lastPoint);
    EXPECT_DOUBLE_EQ(g.plot()->yAxis->range().upper, zoom.yHigh);
    EXPECT_TRUE(form->sbtnUndoZoom->isEnabled());

    // This Page prints the page as it is shown.
    printedRanges.clear();
    prompts.answerFileName(pdf);
    exportWith([&] {
        click(dialog.rbtnMetaFile);
        click(dialog.rbtnPrinter);
        click(dialog.rbtnThisPage);
    });
    ASSERT_EQ(printedRanges.size(), 1);
    EXPECT_DOUBLE_EQ(printedRanges[0].lower, zoom.firstPoint);
    EXPECT_DOUBLE_EQ(printedRanges[0].upper, zoom.lastPoint);
}

TEST_F(RecorderPrintTest, PrintJobsNameTheChartTheLoggerFileAndThePages)
{
    QPrinter& printer = form->graph()->exporter().printer();
    // Logged here: no file to name.
    prompts.answerPrintDialog(true);
    click(form->sbtnPrintGraphic);
    EXPECT_EQ(printer.docName(), QStringLiteral("Data Logger, page 5"));

    // Saved as mains.640: that file, and the pages printed.
    prompts.answerFileName(dir.filePath("mains.640"));
    ASSERT_TRUE(form->saveDataAs());
    prompts.answerFileName(pdf);
    exportWith([&] { choosePrinterPages(dialog, dialog.rbtnMetaFile, "3", "3"); });
    EXPECT_EQ(printer.docName(), QStringLiteral("Data Logger - mains.640, page 3"));
    prompts.answerFileName(pdf);
    exportWith([&] { choosePrinterPages(dialog, dialog.rbtnBitMap, "2", "4"); });
    EXPECT_EQ(printer.docName(), QStringLiteral("Data Logger - mains.640, pages 2-4"));
    // The PDF's title is the job's name (in UTF-16).
    QByteArray title("\xFE\xFF", 2);
    for (QChar c : QStringLiteral("Data Logger - mains.640, pages 2-4"))
        title.append(static_cast<char>(c.unicode() >> 8)).append(static_cast<char>(c.unicode() & 0xFF));
    EXPECT_TRUE(test::readFile(pdf).contains("/Title (" + title + ")"));

    // Cleared and opened from a file: that file's name.
    form->clearRecords();
    ASSERT_TRUE(form->bufferEmpty());
    prompts.answerFileName(dir.filePath("mains.640"));
    form->openFile();
    ASSERT_EQ(form->core().totalPages(), 5);
    prompts.answerPrintDialog(true);
    click(form->sbtnPrintGraphic);
    EXPECT_EQ(printer.docName(), QStringLiteral("Data Logger - mains.640, page 5"));
}

TEST_F(RecorderExportTest, TheBrowseFilterDecidesTheFormatAndVectorPicturesHaveTheSizeAsked)
{
    // MetaFile, File, Browse: a filter chosen and "report" typed.
    auto exportAs = [&](const QString& typed, const QString& filter) {
        exportWith([&] {
            click(dialog.rbtnMetaFile);
            click(dialog.rbtnFile);
            prompts.answerFileName(dir.filePath(typed), filter);
            click(dialog.btnBrowse);
            ASSERT_EQ(prompts.fileRequests().last().request.filters.value(0), "All (*.emf *.wmf *.svg *.pdf)");
        });
    };
    exportAs("report", "PDF (*.pdf)");
    exportAs("report", "SVG (*.svg)");
    exportAs("report", "Metafiles (*.wmf)");
    exportAs("report", "All (*.emf *.wmf *.svg *.pdf)");
    EXPECT_EQ(prompts.messageCount(), 0) << prompts.texts().join('\n').toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("report")));

    // 100 x 68.1 mm exactly: 283.465 x 193.039 points, to 0.01 mm.
    const QByteArray pdf = test::readFile(dir.filePath("report.pdf"));
    ASSERT_TRUE(pdf.startsWith("%PDF-"));
    static const QRegularExpression box(R"(/MediaBox\s*\[\s*0\s+0\s+([\d.]+)\s+([\d.]+)\s*\])");
    const auto m = box.match(QString::fromLatin1(pdf));
    ASSERT_TRUE(m.hasMatch());
    EXPECT_NEAR(m.captured(1).toDouble() * 25.4 / 72, 100.0, 0.01);
    EXPECT_NEAR(m.captured(2).toDouble() * 25.4 / 72, 68.1, 0.01);

    const QString svg = QString::fromUtf8(test::readFile(dir.filePath("report.svg")));
    static const QRegularExpression size(R"(<svg width="([\d.]+)mm" height="([\d.]+)mm")");
    const auto s = size.match(svg);
    ASSERT_TRUE(s.hasMatch()) << svg.left(300).toStdString();
    EXPECT_NEAR(s.captured(1).toDouble(), 100.0, 0.01);
    EXPECT_NEAR(s.captured(2).toDouble(), 68.1, 0.01);

    EXPECT_TRUE(test::readFile(dir.filePath("report.wmf")).startsWith("\xD7\xCD\xC6\x9A")); // placeable WMF
    EXPECT_EQ(test::readFile(dir.filePath("report.emf")).mid(40, 4), " EMF");
}

TEST_F(RecorderExportTest, BitmapToAFileWritesTheCurrentPage)
{
    const QString path = dir.filePath("page.bmp");
    exportWith([&] {
        click(dialog.rbtnBitMap);
        click(dialog.rbtnFile);
        prompts.answerFileName(path);
        click(dialog.btnBrowse);
    });
    EXPECT_EQ(prompts.messageCount(), 0);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.read(2), "BM");
    EXPECT_EQ(QImage(path).size(), QSize(1000, 681));
}

} // namespace
