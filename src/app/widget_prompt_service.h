#pragma once

#include "app/core/file_folders.h"
#include "app/core/prompt_service.h"

namespace vt640 {

// Shows the program's prompts with the toolkit's standard dialogs: message
// boxes, file, colour, input, print and page set-up dialogs, all modal.
class WidgetPromptService : public PromptService {
public:
    // File dialogs without a folder of their own start in the folder
    // `folders` gives for their kind of file.
    explicit WidgetPromptService(FileFolders folders = FileFolders::forThisRun(QString()));

    // The message box: icon and buttons as asked, the default button (the
    // first one when none is named) answers Enter. Escape answers Cancel, No
    // or Abort when the box has one, or the only button of a one-button box.
    Button message(QWidget* owner, const Message& message) override;
    // A save dialog asks before overwriting; when the chosen filter names a
    // single extension ("(*.640)") a name typed without one gets it, else
    // the request's default extension.
    QString fileName(QWidget* owner, const FileRequest& request, QString* selectedFilter = nullptr) override;
    QColor color(QWidget* owner, const QColor& initial, const QString& caption) override;
    QString text(QWidget* owner, const QString& caption, const QString& label, const QString& initial,
                 bool* ok) override;
    bool printDialog(QWidget* owner, QPrinter& printer) override;
    // The print dialog in set-up use: printer, paper and copies, without
    // the print range, and an OK button that prints nothing.
    bool printerSetup(QWidget* owner, QPrinter& printer) override;

private:
    FileFolders folders_;
};

} // namespace vt640
