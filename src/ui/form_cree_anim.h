// The animation builder: frames from a batch or from the current image, ordered, timed
// and saved as an animated GIF. A tool window on top.
#pragma once

#include <QWidget>

class QLabel;
class QSpinBox;
class QToolButton;

namespace orv::ui {

class TFormCreeAnim : public QWidget {
    Q_OBJECT
  public:
    explicit TFormCreeAnim(QWidget* parent = nullptr);

    QToolButton* BitNew = nullptr;
    QToolButton* BitSelect = nullptr;
    QToolButton* BitAjout = nullptr; // "Ajouter l'image courante": enabled while an image window is open
    QToolButton* BitUp = nullptr;
    QToolButton* BitDn = nullptr;
    QToolButton* BitEgual = nullptr;
    QToolButton* BitAuto = nullptr;
    QToolButton* BitEfface = nullptr;
    QLabel* Label5 = nullptr;
    QSpinBox* SpinInter = nullptr;
    QLabel* Label6 = nullptr;
    QToolButton* BitAnim = nullptr;
    QToolButton* BitEnr = nullptr;
    QToolButton* BitQuit = nullptr;
};

extern TFormCreeAnim* FormCreeAnim;

} // namespace orv::ui
