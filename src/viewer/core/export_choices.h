#pragma once

#include <QString>
#include <QStringList>

namespace vt640 {

// What an export dialog holds and the rules that tie its choices together:
// the export type, the destination with its file name, the page scope and
// the picture's size with the unit it is shown in. The dialog window only
// mirrors this; callers preset it by selecting choices as a user would.
//
// Selecting a choice applies its rule; selecting a choice that is already
// selected changes nothing, so a preset that matches the previous use keeps
// the rest of that use's settings.
class ExportChoices {
public:
    enum class Type { None, MetaFile, BitMap, Text };
    enum class Destination { None, ClipBoard, File, Printer };
    enum class Scope { None, AllPages, ThisPage, PageRange };
    enum class Unit { None, Pixels, Millimeters, Inches, Points };
    // The recorder's dialog prints any page scope; the viewer's prints its
    // one chart.
    enum class PrinterRule { AnyScope, ThisPageOnly };

    // How a size text was taken.
    enum class SizeText { Stored, Incomplete, Invalid };

    static constexpr double kMetafileWidth = 10000; // hundredths of a millimetre
    static constexpr double kMetafileHeight = 6810;
    static constexpr double kBitmapWidth = 1000; // pixels
    static constexpr double kBitmapHeight = 681;
    static constexpr int kShortFileName = 30;

    explicit ExportChoices(PrinterRule printerRule);

    void selectType(Type type);
    void selectDestination(Destination destination);
    void selectScope(Scope scope);
    void selectUnit(Unit unit);

    Type type() const { return type_; }
    Destination destination() const { return destination_; }
    Scope scope() const { return scope_; }
    Unit unit() const { return unit_; }

    bool isEnabled(Type type) const;
    bool isEnabled(Destination destination) const;
    bool isEnabled(Scope scope) const;
    bool isEnabled(Unit unit) const;
    bool browseEnabled() const { return browseEnabled_; }
    bool pageEditsEnabled() const { return pageEditsEnabled_; }
    bool sizeGroupVisible() const { return sizeGroupVisible_; }
    // "Text/Data Only" can be hidden and disabled (the viewer exports pictures only).
    void setTextAvailable(bool available) { textAvailable_ = available; }
    bool textAvailable() const { return textAvailable_; }
    // The Pixels choice's caption ("No Specific Size" until a picture type is
    // chosen) and the unit label beside the size.
    QString pixelsCaption() const { return pixelsCaption_; }
    QString unitLabel() const { return unitLabel_; }

    // The size: stored in pixels for a bitmap and in hundredths of a
    // millimetre for a metafile; shown in the selected unit.
    double storedWidth() const { return width_; }
    double storedHeight() const { return height_; }
    QString widthText() const { return widthText_; }
    QString heightText() const { return heightText_; }
    // A typed size text. A number is stored at once; a text that may still
    // become one ("", "-", "1e") is kept without storing; anything else is
    // kept too, and the stored size stays as it was.
    SizeText setWidthText(const QString& text);
    SizeText setHeightText(const QString& text);
    // The first size text that is not a number, if any; Export refuses it.
    QString invalidSizeText() const;

    // The page edits, read by the caller as integers when Page is selected.
    QString pageFromText() const { return pageFrom_; }
    QString pageToText() const { return pageTo_; }
    void setPageTexts(const QString& from, const QString& to);

    // The file name (empty if none) and how the file box shows it.
    QString fileName() const { return fileName_; }
    QString fileNameDisplay() const { return displayName(fileName_); }
    void setFileName(const QString& path) { fileName_ = path; }
    // The Browse filters for the type, and its default extension. For a
    // metafile, "All" lists every picture format offered.
    QStringList browseFilters() const;
    QString browseDefaultSuffix() const;
    // Browse's answer: a path becomes the file name; a cancelled Browse
    // (an empty answer) keeps the name there was. A name without an
    // extension gets the one of the chosen `filter` when it names a single
    // one, else the default extension: the filter decides the format.
    void browseAnswered(const QString& path, const QString& filter = {});

    // A long path shown as its first 3 characters, "..." and its last 24.
    static QString displayName(const QString& path);

    // A stored size as the chart's whole-number argument, truncated toward
    // zero once the unit conversion's rounding noise is taken off: 68.1 mm
    // is stored as 6809.999999999999 and is 6810, not 6809. A size that is
    // not a finite number gives 0.
    static int chartArgument(double stored);

private:
    void showSize();
    SizeText takeSizeText(const QString& text, QString& shown, double& stored);
    double toStored(double shown) const;
    double toShown(double stored) const;

    PrinterRule printerRule_;
    Type type_ = Type::None;
    Destination destination_ = Destination::None;
    Scope scope_ = Scope::None;
    Unit unit_ = Unit::None;
    bool textAvailable_ = true;
    bool clipBoardEnabled_ = true, fileEnabled_ = true, printerEnabled_ = true;
    bool allPagesEnabled_ = true, thisPageEnabled_ = true, pageRangeEnabled_ = true;
    bool pixelsEnabled_ = true, millimetersEnabled_ = true, inchesEnabled_ = true, pointsEnabled_ = true;
    bool browseEnabled_ = true;
    bool pageEditsEnabled_ = true;
    bool sizeGroupVisible_ = true;
    QString pixelsCaption_;
    QString unitLabel_;
    double width_ = 0, height_ = 0;
    QString widthText_, heightText_;
    QString pageFrom_, pageTo_;
    QString fileName_;
};

} // namespace vt640
