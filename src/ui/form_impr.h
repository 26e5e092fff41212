// The print dialog: enlargement factor, orientation and a preview of the sheet.
#pragma once

#include <QDialog>

namespace orv::ui {

class TFormImpr : public QDialog {
    Q_OBJECT
  public:
    explicit TFormImpr(QWidget* parent = nullptr);
};

extern TFormImpr* FormImpr;

} // namespace orv::ui
