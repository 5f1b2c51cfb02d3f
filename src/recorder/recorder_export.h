#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace vt640 {

class PEGraph;
class PromptService;
class RecorderCore;
class TDlgExportForm;
class TGraphicalForm;

// The recorder's Export and Print this page commands. Nothing is formatted
// here: pictures come from the chart, loaded with one page after another,
// and text from the data list. The export dialog is preset, shown and read.
class RecorderExport {
public:
    // Writes pages first..last of the buffer as text to a file (and tells
    // the user when that fails).
    using SaveText = std::function<void(int firstPage, int lastPage, const QString& path)>;

    RecorderExport(TGraphicalForm& recorder, PromptService& prompts);

    void setDialog(TDlgExportForm* dialog) { dialog_ = dialog; }
    void setSaveText(SaveText save) { saveText_ = std::move(save); }

    // Export: the dialog, then text, a picture of pages or a print.
    void exportData();
    // Print this page: the page on the chart, in black and white.
    void printPage();
    // Printer set-up: the standard dialog; later prints use its choices.
    void printerSetup();

private:
    enum class Kind { Bitmap, Metafile };
    enum class Where { ClipBoard, File, Printer };
    // Pages first..last. `wholePages`: pages named by number are drawn whole
    // even while the chart is zoomed (the zoom comes back afterwards);
    // otherwise the current page is exported as it is shown.
    void exportPages(Kind kind, Where where, int first, int last, bool wholePages);
    // The name of a print job of pages first..last.
    QString jobName(int first, int last) const;
    // The integer in a page edit, 0 when there is none.
    static int pageNumber(const QString& text);

    TGraphicalForm& recorder_;
    PromptService& prompts_;
    TDlgExportForm* dialog_ = nullptr;
    SaveText saveText_;
};

} // namespace vt640
