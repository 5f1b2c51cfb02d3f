#include "viewer/core/print_job_name.h"

#include "app/core/user_messages.h"

#include <QFileInfo>

namespace vt640 {

QString printJobName(const QString& title, const QString& file, int firstPage, int lastPage)
{
    QString name = title;
    const QString fileName = QFileInfo(file).fileName();
    if (!fileName.isEmpty())
        name = loadFormatted(Str::PrintJobFile, {title, fileName});
    if (firstPage <= 0)
        return name;
    if (lastPage <= firstPage)
        return loadFormatted(Str::PrintJobPage, {name, QString::number(firstPage)});
    return loadFormatted(Str::PrintJobPages, {name, QString::number(firstPage), QString::number(lastPage)});
}

} // namespace vt640
