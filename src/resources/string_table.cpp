#include "resources/string_table.h"

#include <algorithm>
#include <array>

namespace vt640 {
namespace {

// Kept in ascending order of id; a compile-time check below enforces it.
constexpr std::array kStrings = std::to_array<StringEntry>({
    // Application.
    {1, "Meter Data Recorder"},
    {2, "Version 1.0.0"},
    {3, "Release date: 2024-06-01"},
    {4, "Data logger for the Vt640"},
    {5, "handheld power multimeter."},
    {6, "~KRMDL"},        // temporary storage files: stem + n + ".TMP"
    {7, "\\KORUDL.ini"},  // settings file; the code joins the name with "/"

    // Meter families: only the one this program serves.
    {52, "Vt640"},

    // Window captions.
    {100, "Digital Meter"},
    {101, "Analog Meter"},
    {102, "Comparator"},
    {103, "Data list"},
    {104, "Graphical Recorder"},
    {105, "Graphical viewer"},
    {106, "Acquisition Interval option"},
    {107, "Exporting Data Logger"},

    // Acquisition interval dialog (also the recorder's status bar and input box).
    {200, "Acquisition Mode"},
    {201, "Manual"},
    {202, "Automatic"},
    {203, "Full Speed"},
    {204, "Customization..."},
    {205, "Interval in second(s)"},
    {206, "Input an integer value ? "},

    // Export dialog.
    {307, "Export"},
    {308, "MetaFile"},
    {309, "BitMap"},
    {310, "Text/Data Only"},
    {311, "Destination"},
    {312, "ClipBoard"},
    {313, "File"},
    {314, "Browse"},
    {315, "Printer"},
    {316, "Page Scope"},
    {317, "All Pages"},
    {318, "This Page"},
    {319, "Page"},
    {320, "From"},
    {321, "To"},
    {322, "Object Size"},
    {323, "No Specific Size"},
    {324, "Pixels"},
    {325, "Millimeters"},
    {326, "Inches"},
    {327, "Points"},
    {328, "Width"},
    {329, "/"},
    {330, "Units"},
    {331, "Cancel"},
    {332, "Untitled"}, // name proposed by Browse

    // Menu captions. 500 is the separator; 501-509 File (main window and
    // recorder), 600/601 link, 631-637 Window, 701 Port, 761-765 Acquisition,
    // 801-804 page commands, 831-834 View, 996-999 Help.
    {500, "-"},
    {501, "&File"},
    {502, "&Open..."},
    {503, "Save &As..."},
    {504, "&Clear"},
    {505, "E&xport ..."},
    {506, "&Print this page ..."},
    {507, "Printer Set&up..."},
    {509, "E&xit"},
    {600, "&Link"},
    {601, "Un&link"},
    {631, "&Window"},
    {632, "&Tile"},
    {633, "&Digital Meter"},
    {634, "&Analog Meter"},
    {635, "&Comparator"},
    {636, "&Graphical Recorder"},
    {637, "Data &List"},
    {701, "&Port"},
    {761, "&Acquisition"},
    {762, "Star&t"},
    {763, "Sto&p"},
    {764, "&Manual"},
    {765, "&Interval..."},
    {801, "F&irst page"},
    {802, "Page &Up"},
    {803, "Page &Down"},
    {804, "&Last page"},
    {831, "&View"},
    {832, "&Fit all data"},
    {833, "&Undo Zooming"},
    {834, "Graph Line &Color"},
    {996, "&Help"},
    {999, "&About..."},

    // Tool-button hints: 1000-1031 main window, 1040-1054 recorder and viewer.
    {1000, "Link to DMM"},
    {1001, "Unlink DMM"},
    {1010, "Windows tile"},
    {1011, "Digital meter"},
    {1012, "Analog meter"},
    {1013, "Comparator"},
    {1014, "Graphical Recorder"},
    {1015, "Data List"},
    {1020, "Port selection..."},
    {1031, "About"},
    {1040, "Acquisition start"},
    {1041, "Acquisition stop"},
    {1042, "Manual acquisition"},
    {1043, "Interval option..."},
    {1044, "Print this page"},
    {1045, "Open file..."},
    {1046, "Save file..."},
    {1047, "Clear record"},
    {1048, "First page"},
    {1049, "Page up"},
    {1050, "Page down"},
    {1051, "Last page"},
    {1052, "Fit all data"},
    {1053, "Undo Zooming"},
    {1054, "Export..."},

    // Toolkit texts: file errors and the number conversion error.
    {6001, "Cannot open file %s"},
    {6002, "Cannot create file %s"},
    {6003, "'%s' is not a valid floating point value"},

    // Dialog captions, labels and buttons.
    {6010, "Serial Port selection"},
    {6011, "&Continue"},
    {6012, "&Abort"},
    {6013, "OK"},
    {6014, "About"},
    {6015, "Cancel"},
    {6016, "Ports"},
    {6020, "Comparator Hi-Low limit setting"},
    {6021, "Upper-Limit : "},
    {6022, "Lower-Limit : "},
    {6023, "ON"},
    {6024, "OFF"},

    // Chart and readout panels.
    {6030, "Data Logger"},
    {6031, "Reading"},
    {6032, "Time"},
    {6033, "Max."},
    {6034, "Min."},
    {6035, "PF"},
    {6036, "(uF)"},
    {6037, "(Ohm)"},
    {6038, "(KWHr)"},

    // Logger files and the progress form.
    {6040, "Untitled.640"},
    {6041, "Data Logger files(*.640)|*.640"},
    {6042, "Data Logger files(*.640)|*.640|Data Logger files(*.r27)|*.r27|"
           "Data Logger files(*.r26)|*.r26|Temporary files(*.TMP)|*.tmp"},
    {6043, "Message"},
    {6044, "Data added:00000"},

    // Export file filters.
    {6050, "CSV files(*.csv)|*.csv"},
    {6051, "Bitmaps (*.bmp)|*.bmp"},
    {6052, "All (*.emf;*.wmf)|*.emf;*.wmf|Enhanced Metafiles (*.emf)|*.emf|"
           "Metafiles (*.wmf)|*.wmf"},

    // Data list column headers.
    {6060, "Item#"},
    {6061, "Time"},
    {6062, "DC/AC/3-Ph"},
    {6063, "3W/4W"},
    {6064, "MainData"},
    {6065, "Multiple"},
    {6066, "Unit"},
    {6067, "SubData"},
    {6068, "SubFunc"},
    {6069, "Amp"},
    {6070, "Peak-rms"},
    {6071, "HOLD"},
    {6072, "KWHr"},

    // Annunciator and cell texts of the digital meter and the data list.
    {6080, "DC"},
    {6081, "AC"},
    {6082, "3-Ph"},
    {6083, "3-Wire"},
    {6084, "4-Wire"},
    {6085, "3W"},
    {6086, "4W"},
    {6087, "Ohm"},
    {6088, "A: "},
    {6089, "L1"},
    {6090, "L2"},
    {6091, "L3"},
    {6092, "A-Lags"},
    {6093, "A-Leads"},
    {6094, "Peak"},
    {6095, "Hold"},
    {6096, " : COM "},
    {6097, "----"},

    // Information and status texts.
    {7001, "Data Logging ..."},
    {7002, "Data in buffer : %d"},
    {7003, "Page : %d of %d"},
    {7004, "Close"},
    {7005, "Do you want to save the data to a file before exit ?"},
    {7006, "Will re-try automatically in 3 seconds."},
    {7007, "Check cable connection and COM port selection if required."},
    {7009, "(Will continue automatically in 3 seconds.)"},
    {7999, "Reading Data : %d of %d"},

    // Warnings.
    {8000, "The battery power of the DMM is low."},
    {8001, "You must select a valid COM port before linking to the DMM."},
    {8002, "Do you really want to clear the data in buffer ?"},
    {8003, "Buffer has data."},
    {8004, "No data received."},
    {8005, "Reading data from selected file. Please wait ..."},
    {8006, "Adding data into buffer. Please wait..."},
    {8008, "First page."},
    {8009, "Last page."},
    {8014, "Do you really want to abort import data ?"},
    {8999, "Warning[W%d]"},

    // Errors.
    {9001, "The specified serial port open error."},
    {9002, "You must link to the DMM by clicking the link button before starting data logging."},
    {9003, "Unable to create file for real time temporary storage in hard disk."},
    {9004, "File open error."},
    {9005, "File save error."},
    {9007, "Not a valid floating point value !"},
    {9008, "Limit setting is unacceptable."},
    {9009, "The COM port setting raises an error."},
    {9013, "Please \"Browse\" and specify a file name !"},
    // Shown under the caption W9015 when the meter is in an energy function.
    {9015, "The Data logging feature is not supported in KWHr mode\n"
           "please change to active power mode\u2026"},
    {9999, "Error[E%d]"},
});

constexpr bool strictlyAscending()
{
    for (std::size_t i = 1; i < kStrings.size(); ++i)
        if (kStrings[i - 1].id >= kStrings[i].id)
            return false;
    return true;
}
static_assert(strictlyAscending(), "string table ids must be unique and ascending");

const StringEntry* find(int id)
{
    const auto it = std::lower_bound(kStrings.begin(), kStrings.end(), id,
                                     [](const StringEntry& e, int key) { return e.id < key; });
    if (it == kStrings.end() || it->id != id)
        return nullptr;
    return &*it;
}

} // namespace

std::string_view stringText(int id)
{
    const StringEntry* entry = find(id);
    return entry ? entry->text : std::string_view{};
}

bool hasString(int id)
{
    return find(id) != nullptr;
}

std::span<const StringEntry> allStrings()
{
    return kStrings;
}

} // namespace vt640
