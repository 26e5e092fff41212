// "Zone de l'animation": the region of the images the animation keeps, typed as four numbers
// or drawn by dragging on an image window while this window is open. It reports the choice:
// a region, or the whole image.
#pragma once

#include "core/anim/anim_options.h"

#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QPushButton;
class QSpinBox;

namespace orv::ui {

class TWorkspace;

class TFormZone : public QWidget {
    Q_OBJECT
  public:
    explicit TFormZone(TWorkspace& workspace, QWidget* parent = nullptr);

    // Opens with these numbers.
    void Open(const TCropRect& region);
    // The region the numbers describe.
    TCropRect Region() const;
    void ShowRegion(const TCropRect& region);

    // "OK" gives the numbers, "Toute l'image" no region; "Annuler" gives nothing.
    std::function<void(std::optional<TCropRect>)> OnChosen;

    void BitOKClick();
    void BitTouteClick();

    QLabel* Label1 = nullptr; // how to choose
    QSpinBox* SpinX = nullptr;
    QSpinBox* SpinY = nullptr;
    QSpinBox* SpinLargeur = nullptr;
    QSpinBox* SpinHauteur = nullptr;
    QPushButton* BitOK = nullptr;
    QPushButton* BitToute = nullptr;
    QPushButton* BitAnnuler = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    TWorkspace& workspace_;
};

} // namespace orv::ui
