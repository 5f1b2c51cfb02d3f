#pragma once

#include "app/core/prompt_service.h"

#include <QList>

namespace vt640 {

// Holds back the message boxes asked for while the windows are being made,
// so that they appear once there is a window to show them over. Every other
// prompt goes straight to the target. While held, a message answers its
// default button at once (the start-up messages have only OK); release()
// then shows them, in the order they were asked, through the target.
class QueuedPrompts : public PromptService {
public:
    explicit QueuedPrompts(PromptService& target) : target_(target) {}

    // Shows the messages held so far and lets later ones through at once. A
    // message asked for without an owner gets `owner`.
    void release(QWidget* owner);
    int heldCount() const { return static_cast<int>(held_.size()); }

    Button message(QWidget* owner, const Message& message) override;
    QString fileName(QWidget* owner, const FileRequest& request, QString* selectedFilter = nullptr) override;
    QColor color(QWidget* owner, const QColor& initial, const QString& caption) override;
    QString text(QWidget* owner, const QString& caption, const QString& label, const QString& initial,
                 bool* ok) override;
    bool printDialog(QWidget* owner, QPrinter& printer) override;
    bool printerSetup(QWidget* owner, QPrinter& printer) override;

private:
    struct Held {
        QWidget* owner = nullptr;
        Message message;
    };
    PromptService& target_;
    QList<Held> held_;
    bool released_ = false;
};

} // namespace vt640
