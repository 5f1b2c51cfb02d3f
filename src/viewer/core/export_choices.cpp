#include "viewer/core/export_choices.h"

#include "app/core/user_messages.h"
#include "meter/number_text.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace vt640 {
namespace {

// A size text that is not a number yet but may become one as the user types.
bool mayBecomeNumber(const QString& text)
{
    static const QStringList partial = {QString(), "-", "+", ".", "-.", "+."};
    const QString t = text.trimmed();
    if (partial.contains(t))
        return true;
    // "1e" and "1e-": a number waiting for its exponent.
    if (t.endsWith(QLatin1Char('-')) || t.endsWith(QLatin1Char('+')))
        return parseDecimal(t.left(t.size() - 1).toStdString()).has_value()
               && t.contains(QLatin1Char('e'), Qt::CaseInsensitive);
    return false;
}

// A Windows-style filter "Description (*.a;*.b)|*.a;*.b" as Qt's "Description (*.a *.b)".
QStringList qtFilters(const QString& windowsFilter)
{
    const QStringList parts = windowsFilter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        QString description = parts[i];
        const qsizetype open = description.lastIndexOf(QLatin1Char('('));
        if (open >= 0)
            description = description.left(open) + description.mid(open).replace(QLatin1Char(';'), QLatin1Char(' '));
        out << description;
    }
    return out;
}

// The patterns of a filter "Description (*.a *.b)": "*.a", "*.b".
QStringList filterPatterns(const QString& filter)
{
    const qsizetype open = filter.lastIndexOf(QLatin1Char('('));
    const qsizetype close = filter.lastIndexOf(QLatin1Char(')'));
    if (open < 0 || close < open)
        return {};
    return filter.mid(open + 1, close - open - 1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

ExportChoices::ExportChoices(PrinterRule printerRule)
    : printerRule_(printerRule), pixelsCaption_(loadString(Str::ExportNoSpecificSize))
{}

void ExportChoices::selectType(Type type)
{
    if (type == type_ || type == Type::None)
        return;
    type_ = type;
    switch (type) {
    case Type::MetaFile:
    case Type::BitMap: {
        const bool bitmap = type == Type::BitMap;
        clipBoardEnabled_ = fileEnabled_ = printerEnabled_ = true;
        selectDestination(Destination::ClipBoard);
        pixelsCaption_ = loadString(Str::ExportPixels);
        unitLabel_ = loadString(bitmap ? Str::ExportPixels : Str::ExportUnits);
        pixelsEnabled_ = bitmap;
        millimetersEnabled_ = inchesEnabled_ = pointsEnabled_ = !bitmap;
        width_ = bitmap ? kBitmapWidth : kMetafileWidth;
        height_ = bitmap ? kBitmapHeight : kMetafileHeight;
        // The unit may be the one selected already, which changes nothing:
        // the new size is shown all the same, so the edits and the stored
        // size never disagree.
        selectUnit(bitmap ? Unit::Pixels : Unit::Millimeters);
        showSize();
        sizeGroupVisible_ = true;
        break;
    }
    case Type::Text:
        clipBoardEnabled_ = printerEnabled_ = false;
        fileEnabled_ = true;
        selectDestination(Destination::File);
        // Text goes to a file, of any pages: even when File was selected
        // already (for a picture, which exports one page) and its rule does
        // not run again.
        allPagesEnabled_ = thisPageEnabled_ = pageRangeEnabled_ = true;
        sizeGroupVisible_ = false;
        break;
    case Type::None: break;
    }
}

void ExportChoices::selectDestination(Destination destination)
{
    if (destination == destination_ || destination == Destination::None)
        return;
    destination_ = destination;
    const bool picture = type_ == Type::MetaFile || type_ == Type::BitMap;
    switch (destination) {
    case Destination::ClipBoard:
        fileName_.clear();
        browseEnabled_ = false;
        if (picture) {
            allPagesEnabled_ = pageRangeEnabled_ = false;
            thisPageEnabled_ = true;
            selectScope(Scope::ThisPage);
        }
        break;
    case Destination::File:
        fileName_.clear();
        browseEnabled_ = true;
        thisPageEnabled_ = true;
        selectScope(Scope::ThisPage);
        allPagesEnabled_ = pageRangeEnabled_ = type_ == Type::Text;
        break;
    case Destination::Printer:
        browseEnabled_ = false;
        if (printerRule_ == PrinterRule::AnyScope) {
            allPagesEnabled_ = thisPageEnabled_ = pageRangeEnabled_ = true;
        } else {
            allPagesEnabled_ = pageRangeEnabled_ = false;
            thisPageEnabled_ = true;
            selectScope(Scope::ThisPage);
        }
        break;
    case Destination::None: break;
    }
}

void ExportChoices::selectScope(Scope scope)
{
    if (scope == scope_ || scope == Scope::None)
        return;
    scope_ = scope;
    pageEditsEnabled_ = scope == Scope::PageRange;
}

void ExportChoices::selectUnit(Unit unit)
{
    if (unit == unit_ || unit == Unit::None)
        return;
    unit_ = unit;
    showSize();
}

bool ExportChoices::isEnabled(Type type) const { return type != Type::Text || textAvailable_; }

bool ExportChoices::isEnabled(Destination destination) const
{
    switch (destination) {
    case Destination::ClipBoard: return clipBoardEnabled_;
    case Destination::File: return fileEnabled_;
    case Destination::Printer: return printerEnabled_;
    case Destination::None: break;
    }
    return false;
}

bool ExportChoices::isEnabled(Scope scope) const
{
    switch (scope) {
    case Scope::AllPages: return allPagesEnabled_;
    case Scope::ThisPage: return thisPageEnabled_;
    case Scope::PageRange: return pageRangeEnabled_;
    case Scope::None: break;
    }
    return false;
}

bool ExportChoices::isEnabled(Unit unit) const
{
    switch (unit) {
    case Unit::Pixels: return pixelsEnabled_;
    case Unit::Millimeters: return millimetersEnabled_;
    case Unit::Inches: return inchesEnabled_;
    case Unit::Points: return pointsEnabled_;
    case Unit::None: break;
    }
    return false;
}

double ExportChoices::toShown(double stored) const
{
    if (type_ == Type::BitMap)
        return stored;
    switch (unit_) {
    case Unit::Millimeters: return stored * 0.01;
    case Unit::Inches: return stored * (1.0 / 2540.0);
    case Unit::Points: return stored * (72.0 / 2540.0); // a point is 1/72 inch
    default: return stored;
    }
}

double ExportChoices::toStored(double shown) const
{
    if (type_ == Type::BitMap)
        return shown;
    switch (unit_) {
    case Unit::Millimeters: return shown * 100.0;
    case Unit::Inches: return shown * 2540.0;
    case Unit::Points: return shown * (2540.0 / 72.0);
    default: return shown;
    }
}

void ExportChoices::showSize()
{
    // Each rewrite of an edit is read back as if typed, so the stored size
    // is what the edit shows (to its 15 significant digits).
    setWidthText(QString::fromStdString(formatGeneral15(toShown(width_))));
    setHeightText(QString::fromStdString(formatGeneral15(toShown(height_))));
}

ExportChoices::SizeText ExportChoices::takeSizeText(const QString& text, QString& shown, double& stored)
{
    shown = text;
    const std::optional<double> value = parseDecimal(text.toStdString());
    if (value && std::isfinite(*value) && std::isfinite(toStored(*value))) {
        stored = toStored(*value);
        return SizeText::Stored;
    }
    return mayBecomeNumber(text) ? SizeText::Incomplete : SizeText::Invalid;
}

ExportChoices::SizeText ExportChoices::setWidthText(const QString& text)
{
    return takeSizeText(text, widthText_, width_);
}

ExportChoices::SizeText ExportChoices::setHeightText(const QString& text)
{
    return takeSizeText(text, heightText_, height_);
}

QString ExportChoices::invalidSizeText() const
{
    if (!sizeGroupVisible_)
        return {};
    for (const QString& text : {widthText_, heightText_}) {
        const std::optional<double> value = parseDecimal(text.toStdString());
        if (!value || !std::isfinite(*value))
            return text;
    }
    return {};
}

void ExportChoices::setPageTexts(const QString& from, const QString& to)
{
    pageFrom_ = from;
    pageTo_ = to;
}

QStringList ExportChoices::browseFilters() const
{
    switch (type_) {
    case Type::Text: return qtFilters(loadString(Str::CsvFilter));
    case Type::BitMap: return qtFilters(loadString(Str::BitmapFilter));
    // Beyond the metafiles, the vector formats Linux programs read; "All"
    // (the first entry) lists them too.
    case Type::MetaFile: {
        QStringList metafiles = qtFilters(loadString(Str::MetafileFilter));
        const QStringList vectors = qtFilters(loadString(Str::VectorFilter));
        if (!metafiles.isEmpty() && metafiles.first().endsWith(QLatin1Char(')'))) {
            QString& all = metafiles.first();
            all.chop(1);
            for (const QString& v : vectors)
                for (const QString& pattern : filterPatterns(v))
                    all += QLatin1Char(' ') + pattern;
            all += QLatin1Char(')');
        }
        return metafiles + vectors;
    }
    case Type::None: break;
    }
    return {};
}

QString ExportChoices::browseDefaultSuffix() const
{
    switch (type_) {
    case Type::Text: return QStringLiteral("csv");
    case Type::BitMap: return QStringLiteral("bmp");
    case Type::MetaFile: return QStringLiteral("emf");
    case Type::None: break;
    }
    return {};
}

void ExportChoices::browseAnswered(const QString& path, const QString& filter)
{
    if (path.isEmpty())
        return;
    fileName_ = path;
    // As a file dialog adds its default extension: only to a name without a dot.
    if (QFileInfo(path).fileName().contains(QLatin1Char('.')))
        return;
    const QStringList patterns = filterPatterns(filter);
    QString suffix = browseDefaultSuffix();
    if (patterns.size() == 1 && patterns.first().startsWith(QLatin1String("*.")))
        suffix = patterns.first().mid(2);
    if (!suffix.isEmpty())
        fileName_ += QLatin1Char('.') + suffix;
}

int ExportChoices::chartArgument(double stored)
{
    if (!std::isfinite(stored))
        return 0;
    const double nearest = std::round(stored);
    if (std::fabs(stored - nearest) <= 1e-9 * std::max(1.0, std::fabs(stored)))
        stored = nearest;
    return static_cast<int>(std::clamp(std::trunc(stored), -2147483647.0, 2147483647.0));
}

QString ExportChoices::displayName(const QString& path)
{
    if (path.size() <= kShortFileName)
        return path;
    return path.left(3) + QStringLiteral("...") + path.right(24);
}

} // namespace vt640
