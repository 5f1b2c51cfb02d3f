#include "viewer/msg_form.h"

#include "app/core/user_messages.h"

namespace vt640 {

TMsgForm::TMsgForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(loadString(Str::ProgressMessage));
}

} // namespace vt640
