// The blink comparator ("Comparer deux images"): two open images, the second moved by whole
// pixels onto the first (on their stars or their sky coordinates) and both cut to what they
// share, shown in turn in one place with the first one's display, on a key or a timer; or
// their difference A - B with thresholds of its own. The pair is made when the window opens
// and when a choice changes: it keeps the images as they were then, whatever their windows do.
#pragma once

#include "core/anim/blink_pair.h"
#include "core/image/display_settings.h"

#include <QImage>
#include <QList>
#include <QPointer>
#include <QWidget>

#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QTimer;

namespace orv::ui {

class TImageSession;
class TWorkspace;

class TFormBlink : public QWidget {
    Q_OBJECT
  public:
    // Offers the images of `images` that have raw values; the first two are compared.
    TFormBlink(TWorkspace& workspace, const QList<TImageSession*>& images, QWidget* parent = nullptr);

    enum class TShown { First, Second, Difference };
    TShown Shown() const { return shown_; }
    // The pair as it is compared; none when the choices give none.
    const std::optional<TBlinkPair>& Pair() const { return pair_; }

    // Handlers.
    void CompareClick();    // the pair made again from the choices
    void ToggleClick();     // the other image of the pair (the space bar)
    void TimerTimer();      // the same, each period while blinking
    void BlinkClick();      // "Clignoter" on or off, or its period changed
    void DifferenceClick(); // the difference shown or hidden
    void ContrastChanged(); // the difference's thresholds
    void EnregistrersousGifClick();

    QComboBox* ImageA = nullptr;
    QComboBox* ImageB = nullptr;
    QComboBox* Alignement = nullptr; // "aucun", "étoiles", "coordonnées"
    QPushButton* Basculer = nullptr;
    QCheckBox* Clignoter = nullptr;
    QDoubleSpinBox* Periode = nullptr; // seconds, 0.25 to 5
    QCheckBox* Difference = nullptr;
    QDoubleSpinBox* SeuilBas = nullptr; // the difference's thresholds
    QDoubleSpinBox* SeuilHaut = nullptr;
    QPushButton* EnregistrersousGif = nullptr;
    QLabel* Legend = nullptr; // what is shown, and the move found
    QScrollArea* ScrollBox = nullptr;
    QLabel* Image1 = nullptr;
    QTimer* Timer = nullptr;

  protected:
    // The space bar toggles when no control takes it (the window's own shortcut does the same
    // while the window is active, wherever the focus is).
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Show(TShown shown);
    void ApplyTimer();
    uint16_t Delay() const; // the period in hundredths of a second

    TWorkspace& workspace_;
    // Each image with what tells when it is gone.
    struct TOffered {
        TImageSession* Session;
        QPointer<QObject> Lifetime;
        TImageSession* Alive() const { return Lifetime ? Session : nullptr; }
    };
    std::vector<TOffered> images_;
    std::optional<TBlinkPair> pair_;
    TDisplaySettings display_; // the first image's, for both
    QImage first_, second_, difference_;
    TShown shown_ = TShown::First;
    bool saving_ = false;
};

} // namespace orv::ui
