#include "viewer/msg_form.h"

#include "app/core/user_messages.h"

namespace vt640 {

TMsgForm::TMsgForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(loadString(6043));
}

} // namespace vt640
