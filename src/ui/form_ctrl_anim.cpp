#include "ui/form_ctrl_anim.h"

namespace orv::ui {

TFormCtrlAnim* FormCtrlAnim = nullptr;

TFormCtrlAnim::TFormCtrlAnim(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName("FormCtrlAnim");
    setWindowTitle(QStringLiteral("Contrôles de l'animation"));
}

} // namespace orv::ui
