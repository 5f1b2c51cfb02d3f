#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

class QPrinter;
class QWidget;

namespace vt640 {

// Every message box and standard dialog of the program goes through this
// service. The widget implementation shows real dialogs; tests script the
// answers and read back what was asked.
class PromptService {
public:
    enum class Icon { None, Stop, Exclamation, Question, Information };
    enum class Button { None = 0, Ok = 1, Cancel = 2, Yes = 4, No = 8, Abort = 16, Retry = 32 };

    struct Message {
        QString caption;
        QString text;
        Icon icon = Icon::Stop;
        QList<Button> buttons{Button::Ok};
        Button defaultButton = Button::None; // None: the first button
    };

    // The kinds of file a dialog asks for; each starts in the folder last
    // used for its kind.
    enum class FileKind { LoggerFiles, Text, Pictures };

    struct FileRequest {
        QString caption;
        FileKind kind = FileKind::LoggerFiles;
        QString directory; // empty: the folder for its kind
        QString fileName;
        QStringList filters;   // "Logger files (*.640)" style, the first one selected
        QString defaultSuffix; // added to a typed name without one; a save dialog
                               // adds the chosen filter's extension instead when
                               // that filter names a single one
        bool save = false;
    };

    virtual ~PromptService() = default;

    // Shows a modal message box owned by `owner` (may be null) and returns the
    // button that closed it.
    virtual Button message(QWidget* owner, const Message& message) = 0;
    // Standard file dialog; empty when cancelled. `selectedFilter`, when
    // given, receives the filter chosen (one of the request's filters).
    virtual QString fileName(QWidget* owner, const FileRequest& request, QString* selectedFilter = nullptr) = 0;
    // Standard colour dialog; invalid colour when cancelled.
    virtual QColor color(QWidget* owner, const QColor& initial, const QString& caption) = 0;
    // Input box; `ok` false when cancelled.
    virtual QString text(QWidget* owner, const QString& caption, const QString& label, const QString& initial,
                         bool* ok) = 0;
    // Standard print dialog on `printer`, which takes the choices made in
    // it; true when the user chose to print.
    virtual bool printDialog(QWidget* owner, QPrinter& printer) = 0;
    // Standard printer set-up dialog on `printer`: the user chooses the
    // printer and its paper, which the printer keeps for later prints; true
    // when accepted.
    virtual bool printerSetup(QWidget* owner, QPrinter& printer) = 0;
};

} // namespace vt640
