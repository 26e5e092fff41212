// "Suivre un objet": where a moving object stands in the first frame and in the last, clicked
// on the image windows while this window is open (the first click gives the first frame's
// place, the next the last's) or typed. It reports the choice: a track, or none.
#pragma once

#include "core/anim/anim_options.h"

#include <QWidget>

#include <functional>
#include <optional>

class QDoubleSpinBox;
class QLabel;
class QPushButton;

namespace orv::ui {

class TWorkspace;

class TFormSuivi : public QWidget {
    Q_OBJECT
  public:
    explicit TFormSuivi(TWorkspace& workspace, QWidget* parent = nullptr);

    // Opens with these places, the next click giving the first frame's.
    void Open(const TTrack& track);
    TTrack Track() const;
    void ShowTrack(const TTrack& track);

    // "OK" gives the places, "Ne pas suivre" no track; "Annuler" gives nothing.
    std::function<void(std::optional<TTrack>)> OnChosen;

    QLabel* Label1 = nullptr; // how to choose
    QDoubleSpinBox* SpinX1 = nullptr;
    QDoubleSpinBox* SpinY1 = nullptr;
    QDoubleSpinBox* SpinXN = nullptr;
    QDoubleSpinBox* SpinYN = nullptr;
    QPushButton* BitOK = nullptr;
    QPushButton* BitAucun = nullptr;
    QPushButton* BitAnnuler = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    TWorkspace& workspace_;
    bool lastNext_ = false; // the next click gives the last frame's place
};

} // namespace orv::ui
