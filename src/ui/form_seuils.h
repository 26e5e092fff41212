// The threshold dialog: high and low thresholds of the current image through scroll bars,
// edit boxes, brightness and contrast steps, presets and inversion. A tool window on top.
// The buttons, edit boxes, bars and speed choices start disabled; the main window's
// enabling rules give them to PIC, FITS and CPA images.
#pragma once

#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QToolButton;

namespace orv::ui {

class TFormSeuils : public QWidget {
    Q_OBJECT
  public:
    explicit TFormSeuils(QWidget* parent = nullptr);

    // What a document does when it is activated or loaded: bars at the rounded
    // thresholds (clamped by the bars), edit boxes with the thresholds as reals.
    void ShowThresholds(double high, double low);

    QScrollBar* ScrollBarsh = nullptr;
    QScrollBar* ScrollBarsb = nullptr;
    QLineEdit* editsh = nullptr;
    QLineEdit* Editsb = nullptr;
    QLabel* SH = nullptr;
    QLabel* SB = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QRadioButton* Fast = nullptr;
    QRadioButton* Normal = nullptr;
    QRadioButton* Slow = nullptr;
    QPushButton* ButtonLummm = nullptr;
    QPushButton* ButtonLumm = nullptr;
    QLabel* Label4 = nullptr;
    QPushButton* ButtonLump = nullptr;
    QPushButton* ButtonLumpp = nullptr;
    QPushButton* ButtonConmm = nullptr;
    QPushButton* ButtonConm = nullptr;
    QLabel* LabelCont = nullptr;
    QPushButton* ButtonConp = nullptr;
    QPushButton* ButtonConpp = nullptr;
    QToolButton* Invert = nullptr;
    QToolButton* Stel = nullptr;
    QToolButton* Planet = nullptr;
};

extern TFormSeuils* FormSeuils;

} // namespace orv::ui
