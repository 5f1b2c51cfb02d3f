#include "viewer/form_view_graphic.h"

#include "app/core/user_messages.h"

namespace vt640 {

TFormViewGraphic::TFormViewGraphic(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(loadString(Str::CaptionViewer));
}

} // namespace vt640
