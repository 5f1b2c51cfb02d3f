#pragma once

#include "app/core/prompt_service.h"
#include "resources/string_ids.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace vt640 {

// String `id` of the string table as a QString; empty for an unknown id.
QString loadString(Str id);

// Fills a printf-style text: each "%d" or "%s" takes the next of `values`
// in order (an empty text once they run out), "%%" gives "%", any other "%"
// stays as it is. Inserted values are not scanned again.
QString fillFormat(const QString& format, const QStringList& values);

// fillFormat(loadString(id), values), e.g. loadFormatted(Str::StatusPage, {"2", "5"})
// gives "Page : 2 of 5".
QString loadFormatted(Str id, const QStringList& values);

// The caption of a numbered box: `caption` ("Warning[W%d]" or "Error[E%d]")
// with the number of `message` in place of "%d".
QString messageCaption(Str caption, Str message);
// warningCaption(Str::WarnNoPort) is "Warning[W8001]".
QString warningCaption(Str message);
// errorCaption(Str::ErrFileOpen) is "Error[E9004]".
QString errorCaption(Str message);
// The caption `message` is shown under, wherever it is shown (a box of the
// window, a line of vt640-tool): the warning caption for the warnings of the
// 8000s and for the kilowatt-hour text 9015, which the program has always
// shown as W9015; the error caption for the other errors.
QString captionOf(Str message);

// The box showUserMessage shows: `caption` filled with the number of
// `message`, the text of `message`, stop icon, one OK button.
PromptService::Message userMessage(Str caption, Str message);

// Shows `message` under `caption` (Str::WarningCaption or Str::ErrorCaption)
// filled with its number, with the stop icon and an OK button, owned by
// `owner`, and returns once the user has confirmed.
void showUserMessage(PromptService& prompts, QWidget* owner, Str caption, Str message);

// A file error box: the error `message` (E9004, E9005, ...) under its error
// caption, with a second line naming the file at `path` and `reason`, why
// it failed.
void showFileError(PromptService& prompts, QWidget* owner, Str message, const QString& path, const QString& reason);

} // namespace vt640
