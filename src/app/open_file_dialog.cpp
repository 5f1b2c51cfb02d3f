#include "app/open_file_dialog.h"

#include <QFileInfo>

namespace vt640 {

OpenFileDialog::OpenFileDialog(QWidget* parent, const QString& caption, const QString& directory,
                               const QString& defaultSuffix)
    : QFileDialog(parent, caption, directory), suffix_(defaultSuffix)
{
    setAcceptMode(QFileDialog::AcceptOpen);
    setFileMode(QFileDialog::ExistingFile);
    // The dialog's own default suffix would be added before it looks for
    // the file; here it is added only where the name as typed finds none.
}

void OpenFileDialog::accept()
{
    const QStringList files = selectedFiles();
    if (!suffix_.isEmpty() && files.size() == 1) {
        const QFileInfo typed(files.first());
        if (!typed.exists() && typed.suffix().isEmpty()) {
            const QString withSuffix = files.first() + QLatin1Char('.') + suffix_;
            if (QFileInfo::exists(withSuffix))
                selectFile(withSuffix);
        }
    }
    QFileDialog::accept();
}

} // namespace vt640
