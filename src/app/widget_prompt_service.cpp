#include "app/widget_prompt_service.h"

#include "app/open_file_dialog.h"
#include "app/widgets/caption_width.h"
#include "app/core/user_messages.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

#include <memory>

namespace vt640 {
namespace {

using Button = PromptService::Button;
using Icon = PromptService::Icon;

QMessageBox::Icon boxIcon(Icon icon)
{
    switch (icon) {
    case Icon::Stop: return QMessageBox::Critical;
    case Icon::Exclamation: return QMessageBox::Warning;
    case Icon::Question: return QMessageBox::Question;
    case Icon::Information: return QMessageBox::Information;
    case Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton boxButton(Button button)
{
    switch (button) {
    case Button::Ok: return QMessageBox::Ok;
    case Button::Cancel: return QMessageBox::Cancel;
    case Button::Yes: return QMessageBox::Yes;
    case Button::No: return QMessageBox::No;
    case Button::Abort: return QMessageBox::Abort;
    case Button::Retry: return QMessageBox::Retry;
    case Button::None: break;
    }
    return QMessageBox::NoButton;
}

// The single extension of a filter such as "Logger files (*.640)".
QString singleSuffix(const QString& filter)
{
    static const QRegularExpression pattern(QStringLiteral("\\(\\*\\.([^*?;() ]+)\\)\\s*$"));
    const QRegularExpressionMatch match = pattern.match(filter);
    return match.hasMatch() ? match.captured(1) : QString();
}

// An open dialog's filter that matches its extensions in either case, as
// the file systems the logger files come from do: "Temporary files(*.TMP)"
// lists ~KRMDL1.TMP and log.tmp alike. The filter keeps showing its own
// text (the added patterns are hidden as the filter's details).
QString eitherCase(const QString& filter)
{
    static const QRegularExpression pattern(QStringLiteral("\\(([^()]*)\\)\\s*$"));
    const QRegularExpressionMatch match = pattern.match(filter);
    if (!match.hasMatch())
        return filter;
    QStringList patterns;
    for (const QString& p : match.captured(1).split(QRegularExpression(QStringLiteral("[ ;]+")), Qt::SkipEmptyParts))
        for (const QString& variant : {p, p.toLower(), p.toUpper()})
            if (!patterns.contains(variant))
                patterns << variant;
    return filter + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

} // namespace

PromptService::Button WidgetPromptService::message(QWidget* owner, const Message& message)
{
    QMessageBox box(owner);
    box.setWindowTitle(message.caption);
    box.setText(message.text);
    box.setIcon(boxIcon(message.icon));
    // The box sizes itself to its text; a short text would leave the caption
    // (and the number in it that users quote) cut by the title bar. A
    // message box takes its width from its layout only, so a strut goes in.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(captionFitWidth(message.caption), 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());

    QList<Button> buttons = message.buttons;
    buttons.removeAll(Button::None);
    if (buttons.isEmpty())
        buttons = {Button::Ok};

    QList<QPair<QAbstractButton*, Button>> made;
    for (Button b : buttons) {
        if (QAbstractButton* added = box.addButton(boxButton(b)))
            made.append({added, b});
    }

    const Button wanted = buttons.contains(message.defaultButton) ? message.defaultButton : buttons.first();
    Button escape = Button::None;
    for (Button candidate : {Button::Cancel, Button::No, Button::Abort}) {
        if (buttons.contains(candidate)) {
            escape = candidate;
            break;
        }
    }
    if (escape == Button::None && buttons.size() == 1)
        escape = buttons.first();
    for (const auto& [widget, b] : made) {
        if (b == wanted)
            box.setDefaultButton(qobject_cast<QPushButton*>(widget));
        if (b == escape)
            box.setEscapeButton(widget);
    }

    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    for (const auto& [widget, b] : made)
        if (widget == clicked)
            return b;
    return escape;
}

WidgetPromptService::WidgetPromptService(FileFolders folders) : folders_(std::move(folders)) {}

QString WidgetPromptService::fileName(QWidget* owner, const FileRequest& request, QString* selectedFilter)
{
    const QString folder = request.directory.isEmpty() ? folders_.folderFor(request.kind) : request.directory;
    // An open dialog adds its default extension only where the name as
    // typed finds no file.
    const std::unique_ptr<QFileDialog> made =
        request.save ? std::make_unique<QFileDialog>(owner, request.caption, folder)
                     : std::make_unique<OpenFileDialog>(owner, request.caption, folder, request.defaultSuffix);
    QFileDialog& dialog = *made;
    if (request.save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    }
    QStringList shownFilters = request.filters;
    if (!request.filters.isEmpty()) {
        if (!request.save) {
            shownFilters.clear();
            for (const QString& f : request.filters)
                shownFilters << eitherCase(f);
            dialog.setOption(QFileDialog::HideNameFilterDetails);
        }
        dialog.setNameFilters(shownFilters);
    }
    if (request.save) {
        // The filter chosen decides the extension of a name typed without one.
        const QString fallback = request.defaultSuffix;
        auto suffixFor = [fallback](const QString& filter) {
            const QString suffix = singleSuffix(filter);
            return suffix.isEmpty() ? fallback : suffix;
        };
        dialog.setDefaultSuffix(suffixFor(request.filters.isEmpty() ? QString() : request.filters.first()));
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, suffixFor](const QString& filter) { dialog.setDefaultSuffix(suffixFor(filter)); });
    }
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    if (selectedFilter) {
        const qsizetype index = shownFilters.indexOf(dialog.selectedNameFilter());
        *selectedFilter = index >= 0 ? request.filters.value(index) : QString();
    }
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return {};
    folders_.chosen(request.kind, files.first());
    return files.first();
}

QColor WidgetPromptService::color(QWidget* owner, const QColor& initial, const QString& caption)
{
    return QColorDialog::getColor(initial, owner, caption);
}

QString WidgetPromptService::text(QWidget* owner, const QString& caption, const QString& label, const QString& initial,
                                  bool* ok)
{
    QInputDialog dialog(owner);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(label);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(initial);
    // At least as wide as its caption, which the title bar would cut. The
    // dialog's layout sets its size from its contents, so the edit line
    // takes the width.
    const int wanted = captionFitWidth(caption);
    if (auto* edit = dialog.findChild<QLineEdit*>()) {
        const QMargins margins = dialog.layout() ? dialog.layout()->contentsMargins() : QMargins();
        edit->setMinimumWidth(wanted - margins.left() - margins.right());
    }
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (ok)
        *ok = accepted;
    return accepted ? dialog.textValue() : QString();
}

bool WidgetPromptService::printDialog(QWidget* owner, QPrinter& printer)
{
    QPrintDialog dialog(&printer, owner);
    return dialog.exec() == QDialog::Accepted;
}

bool WidgetPromptService::printerSetup(QWidget* owner, QPrinter& printer)
{
    // The standard print dialog chooses the printer, and its properties the
    // paper and orientation; set up, nothing is printed, so it has no print
    // range and its accept button says OK.
    QPrintDialog dialog(&printer, owner);
    dialog.setWindowTitle(
        QString(loadString(Str::MenuPrinterSetup)).remove(QLatin1Char('&')).remove(QStringLiteral("...")));
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    // Qt's dialog shows its page range whatever the options say, once it
    // is shown; it sits under "Options", folded away until then.
    QTimer::singleShot(0, &dialog, [&dialog] {
        if (auto* range = dialog.findChild<QWidget*>(QStringLiteral("gbPrintRange")))
            range->hide();
    });
    for (QDialogButtonBox* buttons : dialog.findChildren<QDialogButtonBox*>())
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(loadString(Str::ButtonOk));
    return dialog.exec() == QDialog::Accepted;
}

} // namespace vt640
