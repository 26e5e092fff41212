#include "ui/form_select_lot.h"

namespace orv::ui {

TFormSelectLot* FormSelectLot = nullptr;

TFormSelectLot::TFormSelectLot(QWidget* parent) : QDialog(parent) {
    setObjectName("FormSelectLot");
    setWindowTitle(QStringLiteral("Outil de sélection d'un lot d'image"));
}

} // namespace orv::ui
