#pragma once

#include <QFileDialog>

namespace vt640 {

// A file dialog for opening an existing file with a default extension: a
// name typed without an extension is taken as it stands when such a file
// exists, and gets the extension only when it does not ("noext" opens
// noext; "day" opens day.r27 when only that exists).
class OpenFileDialog : public QFileDialog {
    Q_OBJECT
public:
    OpenFileDialog(QWidget* parent, const QString& caption, const QString& directory, const QString& defaultSuffix);

    void accept() override;

private:
    QString suffix_;
};

} // namespace vt640
