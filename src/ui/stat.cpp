#include "ui/stat.h"

namespace orv::ui {

TStat* Stat = nullptr;

TStat::TStat(QWidget* parent) : QDialog(parent) {
    setObjectName("Stat");
    setWindowTitle(QStringLiteral("Statistiques"));
}

} // namespace orv::ui
