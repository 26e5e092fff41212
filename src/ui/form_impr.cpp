#include "ui/form_impr.h"

namespace orv::ui {

TFormImpr* FormImpr = nullptr;

TFormImpr::TFormImpr(QWidget* parent) : QDialog(parent) {
    setObjectName("FormImpr");
    setWindowTitle(QStringLiteral("Imprimer"));
}

} // namespace orv::ui
