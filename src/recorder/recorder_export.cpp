#include "recorder/recorder_export.h"

#include "app/core/prompt_service.h"
#include "app/core/user_messages.h"
#include "meter/number_text.h"
#include "recorder/core/page_math.h"
#include "recorder/graphical_form.h"
#include "viewer/dlg_export_form.h"
#include "viewer/chart_exporter.h"
#include "viewer/core/print_job_name.h"
#include "viewer/pe_graph.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cmath>

namespace vt640 {
namespace {

using Type = ExportChoices::Type;
using Destination = ExportChoices::Destination;
using Scope = ExportChoices::Scope;

} // namespace

RecorderExport::RecorderExport(TGraphicalForm& recorder, PromptService& prompts)
    : recorder_(recorder), prompts_(prompts)
{}

int RecorderExport::pageNumber(const QString& text) { return parseInteger(text.trimmed().toStdString()).value_or(0); }

QString RecorderExport::jobName(int first, int last) const
{
    return printJobName(recorder_.graph()->mainTitle(),
                        QFile::decodeName(QByteArray::fromStdString(recorder_.core().fileName())), first, last);
}

void RecorderExport::printPage()
{
    const int page = recorder_.core().currentPage();
    recorder_.graph()->exporter().setDocumentName(jobName(page, page));
    recorder_.graph()->printInMonochrome(PEGraph::gPrintDialog, PEGraph::gReinitAndReset);
}

void RecorderExport::printerSetup()
{
    // The choices stay with the printer for the prints that follow, the
    // graph viewer's too.
    prompts_.printerSetup(&recorder_, recorder_.graph()->exporter().printer());
}

void RecorderExport::exportData()
{
    if (!dialog_)
        return;
    const RecorderCore& core = recorder_.core();
    ExportChoices& c = dialog_->choices();
    c.selectType(Type::Text);
    c.selectScope(Scope::ThisPage);
    c.setPageTexts(QStringLiteral("1"), QString::number(core.totalPages()));
    c.setFileName(QString());
    dialog_->focusBrowseOnShow();
    if (dialog_->exec() != QDialog::Accepted)
        return;

    if (c.destination() == Destination::File && c.fileName().isEmpty()) {
        showUserMessage(prompts_, &recorder_, Str::ErrorCaption, Str::ErrNoFileName);
        return;
    }

    int first = core.currentPage();
    int last = core.currentPage();
    if (c.scope() == Scope::PageRange) {
        first = pageNumber(c.pageFromText());
        last = pageNumber(c.pageToText());
    } else if (c.scope() == Scope::AllPages) {
        first = 1;
        last = core.totalPages();
    }

    if (c.type() == Type::Text) {
        if (saveText_)
            saveText_(first, last, c.fileName());
        return;
    }
    const Kind kind = c.type() == Type::BitMap ? Kind::Bitmap : Kind::Metafile;
    if (c.destination() == Destination::ClipBoard)
        exportPages(kind, Where::ClipBoard, core.currentPage(), core.currentPage(), false);
    else if (c.destination() == Destination::File)
        exportPages(kind, Where::File, core.currentPage(), core.currentPage(), false);
    else
        exportPages(kind, Where::Printer, first, last, c.scope() != Scope::ThisPage);
}

void RecorderExport::exportPages(Kind kind, Where where, int first, int last, bool wholePages)
{
    PEGraph& g = *recorder_.graph();
    const ExportChoices& c = dialog_->choices();
    // A first page after the last exports nothing; otherwise only pages
    // of the buffer are read.
    const page_math::PageRange range = page_math::pageRange(first, last, recorder_.core().totalPages());
    if (range.empty())
        return;
    first = range.first;
    last = range.last;
    ChartExporter& exporter = g.exporter();
    if (where == Where::Printer) {
        // A print to a file names its file first, so that no earlier print
        // is replaced unasked.
        if (!exporter.choosePrintFile(prompts_, &recorder_))
            return;
        // The printed pages go out as one job, one page each.
        exporter.setDocumentName(jobName(first, last));
        exporter.beginPrintJob();
    }
    const PEGraph::ZoomWindow zoom = g.zoomWindow();
    if (wholePages)
        g.setPEactions(PEGraph::gUndoZoom);
    for (int page = first; page <= last; ++page) {
        recorder_.loadPage(page);
        g.setPEnarg1(0);
        g.setPEnarg2(0);
        g.setPEactions(PEGraph::gReinitAndReset);
        QCoreApplication::processEvents();
        g.setPEnarg1(ExportChoices::chartArgument(c.storedWidth()));
        g.setPEnarg2(ExportChoices::chartArgument(c.storedHeight()));
        g.setPEstrarg1(c.fileName());
        switch (where) {
        case Where::ClipBoard: g.setPEactions(kind == Kind::Bitmap ? PEGraph::gBmpToClip : PEGraph::gMetaToClip); break;
        case Where::File: g.setPEactions(kind == Kind::Bitmap ? PEGraph::gBmpToFile : PEGraph::gMetaToFile); break;
        case Where::Printer: g.printInMonochrome(PEGraph::gPrintGraph, PEGraph::gReinitAndReset); break;
        }
        // A failure has been told, once; the pages after it would only fail again.
        if (!g.lastActionError().isEmpty())
            break;
    }
    if (where == Where::Printer) {
        QString reason;
        if (!exporter.endPrintJob(&reason) && g.lastActionError().isEmpty()) {
            PromptService::Message box;
            box.caption = errorCaption(Str::ErrPrint);
            box.text = loadFormatted(Str::ErrPrint, {reason});
            box.icon = PromptService::Icon::Stop;
            prompts_.message(&recorder_, box);
        }
    }
    recorder_.drawPage();
    if (wholePages)
        g.restoreZoom(zoom);
}

} // namespace vt640
