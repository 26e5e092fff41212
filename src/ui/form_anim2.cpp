#include "ui/form_anim2.h"

namespace orv::ui {

TFormAnim2* FormAnim2 = nullptr;

TFormAnim2::TFormAnim2(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName("FormAnim2");
    setWindowTitle(QStringLiteral("Animation"));
}

} // namespace orv::ui
