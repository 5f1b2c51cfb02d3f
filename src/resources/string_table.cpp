#include "resources/string_table.h"

#include "resources/version.h"

#include <algorithm>
#include <array>

namespace vt640 {
namespace {

// Kept in ascending order of id; a compile-time check below enforces it.
constexpr std::array kStrings = std::to_array<StringEntry>({
    // Application.
    {Str::AppTitle, "Meter Data Recorder"},
    {Str::Version, "Version " VT640_VERSION},
    {Str::ReleaseDate, "Release date: " VT640_RELEASE_DATE},
    {Str::Notice1, "Data logger for the Vt640"},
    {Str::Notice2, "handheld power multimeter."},
    {Str::TempFileStem, "~KRMDL"},           // temporary storage files: stem + n + ".TMP"
    {Str::SettingsFileName, "\\KORUDL.ini"}, // settings file; the code joins the name with "/"

    // Meter families: only the one this program serves.
    {Str::MeterModel, "Vt640"},

    // Window captions.
    {Str::CaptionDigitalMeter, "Digital Meter"},
    {Str::CaptionAnalogMeter, "Analog Meter"},
    {Str::CaptionComparator, "Comparator"},
    {Str::CaptionDataList, "Data list"},
    {Str::CaptionRecorder, "Graphical Recorder"},
    {Str::CaptionViewer, "Graphical viewer"},
    {Str::CaptionIntervalOption, "Acquisition Interval option"},
    {Str::CaptionExport, "Exporting Data Logger"},

    // Acquisition interval dialog (also the recorder's status bar and input box).
    {Str::IntervalModeGroup, "Acquisition Mode"},
    {Str::IntervalManual, "Manual"},
    {Str::IntervalAutomatic, "Automatic"},
    {Str::IntervalFullSpeed, "Full Speed"},
    {Str::IntervalCustomization, "Customization..."},
    {Str::IntervalInSeconds, "Interval in second(s)"},
    {Str::IntervalInputPrompt, "Input an integer value ? "},

    // Export dialog.
    {Str::ExportGroup, "Export"},
    {Str::ExportMetaFile, "MetaFile"},
    {Str::ExportBitMap, "BitMap"},
    {Str::ExportText, "Text/Data Only"},
    {Str::ExportDestination, "Destination"},
    {Str::ExportClipBoard, "ClipBoard"},
    {Str::ExportFile, "File"},
    {Str::ExportBrowse, "Browse"},
    {Str::ExportPrinter, "Printer"},
    {Str::ExportPageScope, "Page Scope"},
    {Str::ExportAllPages, "All Pages"},
    {Str::ExportThisPage, "This Page"},
    {Str::ExportPage, "Page"},
    {Str::ExportFrom, "From"},
    {Str::ExportTo, "To"},
    {Str::ExportObjectSize, "Object Size"},
    {Str::ExportNoSpecificSize, "No Specific Size"},
    {Str::ExportPixels, "Pixels"},
    {Str::ExportMillimeters, "Millimeters"},
    {Str::ExportInches, "Inches"},
    {Str::ExportPoints, "Points"},
    {Str::ExportWidth, "Width"},
    {Str::ExportSlash, "/"},
    {Str::ExportUnits, "Units"},
    {Str::ExportCancel, "Cancel"},
    {Str::ExportUntitled, "Untitled"}, // name proposed by Browse

    // Menu captions. 500 is the separator; 501-509 File (main window and
    // recorder), 600/601 link, 631-637 Window, 701 Port, 761-765 Acquisition,
    // 801-804 page commands, 831-834 View, 996-999 Help.
    {Str::MenuSeparator, "-"},
    {Str::MenuFile, "&File"},
    {Str::MenuOpen, "&Open..."},
    {Str::MenuSaveAs, "Save &As..."},
    {Str::MenuClear, "&Clear"},
    {Str::MenuExport, "E&xport ..."},
    {Str::MenuPrintPage, "&Print this page ..."},
    {Str::MenuPrinterSetup, "Printer Set&up..."},
    {Str::MenuExit, "E&xit"},
    {Str::MenuLink, "&Link"},
    {Str::MenuUnlink, "Un&link"},
    {Str::MenuWindow, "&Window"},
    {Str::MenuTile, "&Tile"},
    {Str::MenuDigitalMeter, "&Digital Meter"},
    {Str::MenuAnalogMeter, "&Analog Meter"},
    {Str::MenuComparator, "&Comparator"},
    {Str::MenuRecorder, "&Graphical Recorder"},
    {Str::MenuDataList, "Data &List"},
    {Str::MenuPort, "&Port"},
    {Str::MenuAcquisition, "&Acquisition"},
    {Str::MenuStart, "Star&t"},
    {Str::MenuStop, "Sto&p"},
    {Str::MenuManual, "&Manual"},
    {Str::MenuInterval, "&Interval..."},
    {Str::MenuFirstPage, "F&irst page"},
    {Str::MenuPageUp, "Page &Up"},
    {Str::MenuPageDown, "Page &Down"},
    {Str::MenuLastPage, "&Last page"},
    {Str::MenuView, "&View"},
    {Str::MenuFitAll, "&Fit all data"},
    {Str::MenuUndoZoom, "&Undo Zooming"},
    {Str::MenuLineColor, "Graph Line &Color"},
    {Str::MenuHelp, "&Help"},
    {Str::MenuAbout, "&About..."},

    // Tool-button hints: 1000-1031 main window, 1040-1054 recorder and viewer.
    {Str::HintLink, "Link to DMM"},
    {Str::HintUnlink, "Unlink DMM"},
    {Str::HintTile, "Windows tile"},
    {Str::HintDigitalMeter, "Digital meter"},
    {Str::HintAnalogMeter, "Analog meter"},
    {Str::HintComparator, "Comparator"},
    {Str::HintRecorder, "Graphical Recorder"},
    {Str::HintDataList, "Data List"},
    {Str::HintPort, "Port selection..."},
    {Str::HintAbout, "About"},
    {Str::HintRecordStart, "Acquisition start"},
    {Str::HintRecordStop, "Acquisition stop"},
    {Str::HintManualLogging, "Manual acquisition"},
    {Str::HintOption, "Interval option..."},
    {Str::HintPrintPage, "Print this page"},
    {Str::HintOpenFile, "Open file..."},
    {Str::HintSaveFile, "Save file..."},
    {Str::HintClear, "Clear record"},
    {Str::HintFirstPage, "First page"},
    {Str::HintPageUp, "Page up"},
    {Str::HintPageDown, "Page down"},
    {Str::HintLastPage, "Last page"},
    {Str::HintFitView, "Fit all data"},
    {Str::HintUndoZoom, "Undo Zooming"},
    {Str::HintExport, "Export..."},

    // Toolkit texts: file errors and the number conversion error.
    {Str::CannotOpenFile, "Cannot open file %s"},
    {Str::CannotCreateFile, "Cannot create file %s"},
    {Str::NotAFloat, "'%s' is not a valid floating point value"},

    // Dialog captions, labels and buttons.
    {Str::CaptionPortDialog, "Serial Port selection"},
    {Str::ButtonContinue, "&Continue"},
    {Str::ButtonAbort, "&Abort"},
    {Str::ButtonOk, "OK"},
    {Str::CaptionAbout, "About"},
    {Str::ButtonCancel, "Cancel"},
    {Str::PortsGroup, "Ports"},
    {Str::CaptionLimitsDialog, "Comparator Hi-Low limit setting"},
    {Str::UpperLimitLabel, "Upper-Limit : "},
    {Str::LowerLimitLabel, "Lower-Limit : "},
    {Str::AlarmOn, "ON"},
    {Str::AlarmOff, "OFF"},

    // Chart and readout panels.
    {Str::ChartTitle, "Data Logger"},
    {Str::ChartYAxis, "Reading"},
    {Str::ChartXAxis, "Time"},
    {Str::MaxLabel, "Max."},
    {Str::MinLabel, "Min."},
    {Str::SubFunctionLabel, "PF"},
    {Str::AxisMicrofarad, "(uF)"},
    {Str::AxisOhm, "(Ohm)"},
    {Str::AxisKilowattHour, "(KWHr)"},

    // Logger files and the progress form.
    {Str::SaveFileName, "Untitled.640"},
    {Str::SaveFilter, "Data Logger files(*.640)|*.640"},
    {Str::OpenFilter, "Data Logger files(*.640)|*.640|Data Logger files(*.r27)|*.r27|"
                      "Data Logger files(*.r26)|*.r26|Temporary files(*.TMP)|*.tmp"},
    {Str::ProgressMessage, "Message"},
    {Str::ProgressCounter, "Data added:00000"},

    // Export file filters.
    {Str::CsvFilter, "CSV files(*.csv)|*.csv"},
    {Str::BitmapFilter, "Bitmaps (*.bmp)|*.bmp"},
    {Str::MetafileFilter, "All (*.emf;*.wmf)|*.emf;*.wmf|Enhanced Metafiles (*.emf)|*.emf|"
                          "Metafiles (*.wmf)|*.wmf"},
    {Str::VectorFilter, "SVG (*.svg)|*.svg|PDF (*.pdf)|*.pdf"},

    // Data list column headers.
    {Str::ColumnItem, "Item#"},
    {Str::ColumnTime, "Time"},
    {Str::ColumnCurrentKind, "DC/AC/3-Ph"},
    {Str::ColumnWiring, "3W/4W"},
    {Str::ColumnMainData, "MainData"},
    {Str::ColumnMultiple, "Multiple"},
    {Str::ColumnUnit, "Unit"},
    {Str::ColumnSubData, "SubData"},
    {Str::ColumnSubFunc, "SubFunc"},
    {Str::ColumnAmp, "Amp"},
    {Str::ColumnPeak, "Peak-rms"},
    {Str::ColumnHold, "HOLD"},
    {Str::ColumnEnergy, "KWHr"},

    // Annunciator and cell texts of the digital meter and the data list.
    {Str::CellDc, "DC"},
    {Str::CellAc, "AC"},
    {Str::CellThreePhase, "3-Ph"},
    {Str::CellThreeWire, "3-Wire"},
    {Str::CellFourWire, "4-Wire"},
    {Str::Mark3W, "3W"},
    {Str::Mark4W, "4W"},
    {Str::CellOhm, "Ohm"},
    {Str::CellPhasePrefix, "A: "},
    {Str::CellL1, "L1"},
    {Str::CellL2, "L2"},
    {Str::CellL3, "L3"},
    {Str::CellALags, "A-Lags"},
    {Str::CellALeads, "A-Leads"},
    {Str::MarkPeak, "Peak"},
    {Str::CellHold, "Hold"},
    {Str::PortCaptionJoin, " : COM "},
    {Str::NoEnergy, "----"},

    // Why a picture could not be written, printed or copied; shown inside
    // the error boxes below.
    {Str::ReasonFolderAtName, "A folder has that name."},
    {Str::ReasonNoFolder, "The folder \"%s\" does not exist."},
    {Str::ReasonCannotCreate, "No file can be created in \"%s\": %s."},
    {Str::ReasonWriteFailed, "Writing failed: %s."},
    {Str::ReasonReplaceFailed, "The new file could not take the place of the old one: %s."},
    {Str::ReasonBadPictureSize, "A picture of %s \u00d7 %s %s cannot be made."},
    {Str::ReasonDrawingFailed, "The picture could not be drawn."},
    {Str::ReasonNoPrinter, "No printer is installed. Install one, or choose \"Print to File (PDF)\" "
                           "under File, Printer Setup."},
    {Str::ReasonPrinterUnavailable, "The printer \"%s\" is not available. Choose another under File, Printer Setup."},
    {Str::ReasonPrinterFailed, "The printer \"%s\" could not be started."},
    {Str::ReasonNoClipboard, "The clipboard is not available."},
    {Str::ReasonNoPromptService, "No dialog can be shown here."},
    {Str::ReasonActionNotBuilt, "The chart has no action %s."},
    // Print jobs: their names in the printer's queue (the chart's title, the
    // logger file, the pages), and the question where a print goes to a file.
    // Plain ASCII: CUPS-PDF makes file names of them and mangles the rest.
    {Str::PrintJobFile, "%s - %s"},
    {Str::PrintJobPage, "%s, page %s"},
    {Str::PrintJobPages, "%s, pages %s-%s"},
    {Str::PrintFileCaption, "Print to File"},
    {Str::PrintFileFilter, "PDF (*.pdf)"},
    // The second line of a failure: the file or device, then why (below
    // E9001, E9004, E9005); then the fix for a port the user may not open.
    {Str::NameAndReason, "%s: %s"},
    {Str::PortPermissionFix, "Add yourself to the dialout group: sudo adduser $USER dialout, then log in again."},
    {Str::ReasonNotAFile, "it is not a file."},
    {Str::ReasonTooManyRecords, "it holds more records than this machine can keep in memory (%s records, %s bytes)."},
    {Str::ReasonReadFailed, "reading failed: %s."},
    // Save As under a name that Open would read as 96-byte records.
    {Str::ReasonNameReadAsOlder, "a file whose name contains \".r27\" is read back as 96-byte records. "
                                 "Choose a name without \".r27\"."},
    {Str::ReasonWriteProtected, "The file is write-protected: %s."},
    // The recorder's publishing to an MQTT broker, in the status bar.
    {Str::PublishingStarting, "MQTT: connecting"},
    {Str::PublishingConnected, "MQTT: connected"},
    {Str::PublishingAway, "MQTT: broker away, records kept"},
    {Str::PublishingRefused, "MQTT: login refused"},
    {Str::PublishingTlsFailed, "MQTT: TLS failed"},

    // Information and status texts.
    {Str::StatusLogging, "Data Logging ..."},
    {Str::StatusRecordCount, "Data in buffer : %d"},
    {Str::StatusPage, "Page : %d of %d"},
    {Str::ButtonClose, "Close"},
    {Str::SaveBeforeExit, "Do you want to save the data to a file before exit ?"},
    {Str::RetryIn3Seconds, "Will re-try automatically in 3 seconds."},
    {Str::CheckCable, "Check cable connection and COM port selection if required."},
    {Str::ContinueIn3Seconds, "(Will continue automatically in 3 seconds.)"},
    {Str::ReadingDataCount, "Reading Data : %d of %d"},

    // Warnings.
    {Str::WarnLowBattery, "The battery power of the DMM is low."},
    {Str::WarnNoPort, "You must select a valid COM port before linking to the DMM."},
    {Str::WarnClearBuffer, "Do you really want to clear the data in buffer ?"},
    {Str::WarnBufferHasData, "Buffer has data."},
    {Str::WarnNoData, "No data received."},
    {Str::WarnReadingFile, "Reading data from selected file. Please wait ..."},
    {Str::WarnAddingData, "Adding data into buffer. Please wait..."},
    {Str::WarnFirstPage, "First page."},
    {Str::WarnLastPage, "Last page."},
    {Str::WarnAbortImport, "Do you really want to abort import data ?"},
    // The start-up question about a temporary file that a run which did not
    // end normally left behind: "%s" its name, "%d" its records.
    {Str::WarnRecoverTempFile, "A temporary storage file was left by a run that did not end normally:\n"
                               "%s (%d records).\n\n"
                               "Do you want to open it now ? The file stays on disk either way "
                               "and will not be offered again."},
    // Save As added ".640" to the name chosen, and a file of that name exists.
    {Str::WarnReplaceFile, "%s already exists.\nDo you want to replace it ?"},
    // A left temporary file that cannot be read: its name, why, and the name it is kept under.
    {Str::WarnLeftFileUnreadable, "A temporary storage file was left by a run that did not end normally, "
                                  "but it cannot be read:\n%s: %s\n\nIt stays on disk as %s and will not be "
                                  "offered again."},
    {Str::WarningCaption, "Warning[W%d]"},

    // Errors.
    {Str::ErrPortOpen, "The specified serial port open error."},
    {Str::ErrNotLinked, "You must link to the DMM by clicking the link button before starting data logging."},
    {Str::ErrTempFile, "Unable to create file for real time temporary storage in hard disk."},
    {Str::ErrFileOpen, "File open error."},
    {Str::ErrFileSave, "File save error."},
    {Str::ErrNotAFloat, "Not a valid floating point value !"},
    {Str::ErrLimits, "Limit setting is unacceptable."},
    {Str::ErrPortSettings, "The COM port setting raises an error."},
    {Str::ErrNoFileName, "Please \"Browse\" and specify a file name !"},
    // Shown under the caption W9015 when the meter is in an energy function.
    {Str::ErrKwhMode, "The Data logging feature is not supported in KWHr mode\n"
                      "please change to active power mode\u2026"},
    // A record could not be written to the temporary storage file (disk full).
    {Str::ErrTempWrite, "Unable to write the real time temporary storage file in hard disk.\n"
                        "The data stays in the buffer; the file catches up once writing works again."},
    {Str::ErrPictureSave, "The picture could not be saved as \"%s\".\n%s"},
    {Str::ErrPrint, "The page could not be printed.\n%s"},
    {Str::ErrClipboard, "The picture could not be copied to the clipboard.\n%s"},
    {Str::ErrChartAction, "The chart could not do what was asked.\n%s"},
    {Str::ErrorCaption, "Error[E%d]"},
});

constexpr bool strictlyAscending()
{
    for (std::size_t i = 1; i < kStrings.size(); ++i)
        if (number(kStrings[i - 1].id) >= number(kStrings[i].id))
            return false;
    return true;
}
static_assert(strictlyAscending(), "string table ids must be unique and ascending");

const StringEntry* find(int id)
{
    const auto it = std::lower_bound(kStrings.begin(), kStrings.end(), id,
                                     [](const StringEntry& e, int key) { return number(e.id) < key; });
    if (it == kStrings.end() || number(it->id) != id)
        return nullptr;
    return &*it;
}

} // namespace

std::string_view stringText(Str id)
{
    const StringEntry* entry = find(number(id));
    return entry ? entry->text : std::string_view{};
}

bool hasString(int id) { return find(id) != nullptr; }

std::span<const StringEntry> allStrings() { return kStrings; }

} // namespace vt640
