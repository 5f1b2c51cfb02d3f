#include "viewer/core/metafile_format.h"

#include <QFileInfo>

namespace vt640 {

MetafileFormat metafileFormatForFileName(const QString& fileName)
{
    // Only the last suffix counts: "chart.emf.wmf" is a WMF.
    const QString suffix = QFileInfo(fileName).suffix();
    return suffix.compare(QLatin1String("wmf"), Qt::CaseInsensitive) == 0 ? MetafileFormat::Wmf : MetafileFormat::Emf;
}

QString metafileFormatName(MetafileFormat format)
{
    return format == MetafileFormat::Wmf ? QStringLiteral("wmf") : QStringLiteral("emf");
}

} // namespace vt640
