#pragma once

#include "viewer/pe_graph.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <memory>

class QCPPainter;
class QPrinter;
class QWidget;

namespace vt640 {

class PromptService;

// Pictures of a chart: bitmaps, metafiles, SVG and PDF to files or the
// clipboard, and printed pages. Every picture is drawn by the chart's own
// render(), whatever the device, so all of them show what the screen shows
// (in the chart's current colours: the caller switches to monochrome for
// printing).
//
// Sizes: bitmaps in pixels; metafiles, SVG and PDF in 0.01 mm, laid out in
// pixels of 1/96 inch so fonts have their true point size on paper. A size
// of 0 x 0 means the chart widget's own size.
//
// Every failure returns false with the reason in the user's words; a file
// that cannot be written whole leaves the old one as it was.
class ChartExporter {
public:
    enum class PictureFile { Emf, Wmf, Svg, Pdf };
    static constexpr int kMaxBitmapSide = 10000;

    explicit ChartExporter(PEGraph& graph);
    ~ChartExporter();
    ChartExporter(const ChartExporter&) = delete;
    ChartExporter& operator=(const ChartExporter&) = delete;

    // ".svg" and ".pdf" (any case) name those; otherwise the metafile rule:
    // ".wmf" gives WMF, anything else EMF.
    static PictureFile pictureFileFor(const QString& fileName);

    // The chart as a bitmap; null with `reason` when the size is not
    // possible (each side 1 to kMaxBitmapSide).
    QImage bitmap(QSize pixels, QString* reason = nullptr);
    // A Windows BMP file.
    bool bitmapToFile(const QString& path, QSize pixels, QString* reason = nullptr);
    bool bitmapToClipboard(QSize pixels, QString* reason = nullptr);

    // The chart as a file of `kind` in memory.
    QByteArray picture(PictureFile kind, QSize hundredthsOfMm, QString* reason = nullptr);
    // The kind comes from the name (see pictureFileFor).
    bool pictureToFile(const QString& path, QSize hundredthsOfMm, QString* reason = nullptr);
    // EMF ("image/x-emf"), SVG ("image/svg+xml") and PNG in one clipboard
    // entry, so programs of either platform can paste it.
    bool pictureToClipboard(QSize hundredthsOfMm, QString* reason = nullptr);

    // A printer as prints of a chart want it: at screen resolution, the
    // resolution the chart's fonts are laid out at.
    static std::unique_ptr<QPrinter> makePrinter();
    // The printer every print goes to; a printer set-up dialog on it keeps
    // its choices for the prints after. Unless one is handed in with
    // usePrinter(), the exporter makes its own (makePrinter()).
    QPrinter& printer();
    // Prints go to `printer` (owned by the caller, who keeps it for as long
    // as this exporter prints), so that one printer choice serves every
    // chart of the program; null goes back to the exporter's own.
    void usePrinter(QPrinter* printer) { sharedPrinter_ = printer; }
    // The name the print jobs carry (in the printer's queue, and as the
    // title of a PDF); empty: the chart's main title.
    void setDocumentName(const QString& name) { documentName_ = name; }
    QString documentName() const;
    // When the printer writes to a file ("Print to File"), asks through
    // `prompts` for the name of the file, proposing the one it has, so that
    // no earlier print is replaced without a word; the printer takes the
    // answer. False when the user cancelled. A printer that writes to a
    // file without a name is no printer at all, and is left to fail.
    bool choosePrintFile(PromptService& prompts, QWidget* owner);
    // Prints the chart on one page, scaled to the printable area with its
    // aspect kept. Inside a print job the page is added to the job;
    // otherwise it is a job of its own.
    bool print(QString* reason = nullptr);
    // The print dialog (through `prompts`), then print(); `cancelled` tells
    // when the user closed the dialog without printing, which is no failure.
    bool printWithDialog(PromptService& prompts, QWidget* owner, bool* cancelled = nullptr, QString* reason = nullptr);
    // Gathers the following print() calls into one job, one page each,
    // until endPrintJob(). Nothing is started until the first page.
    void beginPrintJob();
    bool endPrintJob(QString* reason = nullptr);
    bool inPrintJob() const { return jobOpen_; }

    // One of the chart's picture and print actions with its arguments
    // (PEnarg1 x PEnarg2, PEstrarg1). A failure is shown through `prompts`
    // (when given) as an error box owned by `owner`, and its text is put in
    // `error`; a print dialog closed without printing is no failure.
    bool perform(PEGraph::Action action, int narg1, int narg2, const QString& strarg1, PromptService* prompts,
                 QWidget* owner, QString* error);

private:
    QSize naturalSize() const;
    QSize metafileSizeFor(QSize hundredthsOfMm) const;
    void draw(QCPPainter& painter, QSize pixels);
    // The chart laid out at `layout` pixels, drawn scaled into an image of `pixels`.
    QImage rendered(QSize pixels, QSize layout, QString* reason);
    bool startPrinter(QString* reason);

    PEGraph& graph_;
    std::unique_ptr<QPrinter> printer_;
    QPrinter* sharedPrinter_ = nullptr;
    QString documentName_;
    std::unique_ptr<QCPPainter> printPainter_;
    bool jobOpen_ = false;
    int pagesPrinted_ = 0;
};

} // namespace vt640
