// The about box: the program's name, its version and its icon, closed by OK.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace orv::ui {

class TFormAPropos : public QDialog {
    Q_OBJECT
  public:
    explicit TFormAPropos(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;       // the name
    QLabel* Label4 = nullptr;       // the version
    QLabel* Image1 = nullptr;       // the icon
    QPushButton* BitBtn1 = nullptr; // "OK"
};

} // namespace orv::ui
