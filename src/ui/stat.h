// The statistics window: minimum, maximum, mean, median and standard deviation of the current image.
#pragma once

#include <QDialog>

namespace orv::ui {

class TStat : public QDialog {
    Q_OBJECT
  public:
    explicit TStat(QWidget* parent = nullptr);
};

extern TStat* Stat;

} // namespace orv::ui
