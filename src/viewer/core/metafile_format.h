#pragma once

#include <QString>

namespace vt640 {

// The two Windows metafile kinds the chart can be written as.
enum class MetafileFormat {
    Emf, // Enhanced Metafile: 32-bit coordinates, Unicode text
    Wmf, // placeable Windows Metafile: 16-bit coordinates, 8-bit text
};

// The kind a metafile name asks for: ".wmf" (any case) gives WMF; ".emf",
// no extension or any other name gives EMF, written under the name given.
MetafileFormat metafileFormatForFileName(const QString& fileName);

// "emf" or "wmf", for messages and tests.
QString metafileFormatName(MetafileFormat format);

} // namespace vt640
