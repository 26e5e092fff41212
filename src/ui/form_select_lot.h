// The batch tool: a list of image files of one folder, shown modally.
#pragma once

#include <QDialog>

namespace orv::ui {

class TFormSelectLot : public QDialog {
    Q_OBJECT
  public:
    explicit TFormSelectLot(QWidget* parent = nullptr);
};

extern TFormSelectLot* FormSelectLot;

} // namespace orv::ui
