#include "viewer/data_string_grid_form.h"

#include "app/user_messages.h"

namespace vt640 {

TDataStringGridForm::TDataStringGridForm(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(loadString(103));
}

} // namespace vt640
