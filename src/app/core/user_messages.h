#pragma once

#include "app/core/prompt_service.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace vt640 {

// String `id` of the string table as a QString; empty for an unknown id.
QString loadString(int id);

// Fills a printf-style text: each "%d" or "%s" takes the next of `values`
// in order (an empty text once they run out), "%%" gives "%", any other "%"
// stays as it is. Inserted values are not scanned again.
QString fillFormat(const QString& format, const QStringList& values);

// fillFormat(loadString(id), values), e.g. loadFormatted(7003, {"2", "5"})
// gives "Page : 2 of 5".
QString loadFormatted(int id, const QStringList& values);

// The caption of a numbered box: string `captionId` (8999 "Warning[W%d]" or
// 9999 "Error[E%d]") with `number` in place of "%d".
QString messageCaption(int captionId, int number);
// messageCaption(8999, number): warningCaption(8001) is "Warning[W8001]".
QString warningCaption(int number);
// messageCaption(9999, number): errorCaption(9004) is "Error[E9004]".
QString errorCaption(int number);

// The box showUserMessage shows: caption `captionId` filled with `messageId`,
// text string `messageId`, stop icon, one OK button.
PromptService::Message userMessage(int captionId, int messageId);

// Shows string `messageId` under the caption `captionId` (8999 or 9999)
// filled with `messageId`, with the stop icon and an OK button, owned by
// `owner`, and returns once the user has confirmed.
void showUserMessage(PromptService& prompts, QWidget* owner, int captionId, int messageId);

} // namespace vt640
