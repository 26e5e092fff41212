// The threshold dialog: high and low thresholds of the current image through scroll bars,
// edit boxes, brightness and contrast steps, presets, inversion and the histogram's markers,
// and the image's display function. A tool window over the main window.
// The buttons, edit boxes, bars and speed choices start disabled; the enabling rules the
// workspace carries give them to PIC, FITS and CPA images.
#pragma once

#include "core/image/auto_display.h"
#include "core/image/statistics.h"
#include "core/tools/threshold_state.h"
#include "core/tools/threshold_steps.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QToolButton;

namespace orv::ui {

class THistogramView;
class TWorkspace;
enum class TThresholdMarker;

class TFormSeuils : public QWidget {
    Q_OBJECT
  public:
    explicit TFormSeuils(TWorkspace& workspace, QWidget* parent = nullptr);

    // What a document does when it is activated or loaded: bars at the rounded
    // thresholds (clamped by the bars), edit boxes with the thresholds as reals.
    void ShowThresholds(double high, double low);

    // The dialog's controls and the current document's thresholds (0 without one).
    TThresholdState State() const;
    // Bars (without running their handlers), edit texts and, when there is a current
    // image, its thresholds.
    void WriteState(const TThresholdState& state);

    // Every change to a document goes through here: nothing without a current image,
    // otherwise the state from the controls, one step, the state written back (also when
    // the step throws, before the error goes on), then the document rendered and shown.
    void ApplyThresholds();

    // Handlers.
    void ScrollBarshScroll(int position);
    void ScrollBarsbScroll(int position);
    // Enter only: true when the key was consumed.
    bool editshKeyPress(int key);
    bool EditsbKeyPress(int key);
    void FastClick();
    void NormalClick();
    void SlowClick();
    void ButtonLummmClick();
    void ButtonLummClick();
    void ButtonLumpClick();
    void ButtonLumppClick();
    void ButtonConmmClick();
    void ButtonConmClick();
    void ButtonConpClick();
    void ButtonConppClick();
    void InvertClick();
    void StelClick();
    void PlanetClick();
    // The display function of the current image: shown again, never marked modified.
    void DisplayFunctionChange(int index);
    // "Auto zscale", "Auto MTF": the thresholds and display function computed from the
    // current image's values, shown like a display function (never marked modified).
    void AutoDisplayClick(TAutoDisplay mode);
    // A marker dragged to a place along the histogram's axis: for whole-valued images the
    // marker's bar takes the whole value there (and applies it, as when it is scrolled);
    // for real images the value applies as typed in the marker's box.
    void HistogramMarkerMove(TThresholdMarker marker, double place);

    // "sh" and "sb": seuil haut and seuil bas, the high and low thresholds.
    QScrollBar* ScrollBarsh = nullptr;
    QScrollBar* ScrollBarsb = nullptr;
    QLineEdit* editsh = nullptr;
    QLineEdit* Editsb = nullptr;
    QLabel* SH = nullptr;
    QLabel* SB = nullptr;
    QGroupBox* GroupBox1 = nullptr; // "Vitesse": the speed of the steps
    QRadioButton* Fast = nullptr;
    QRadioButton* Normal = nullptr;
    QRadioButton* Slow = nullptr;
    // Brightness (Lum) and contrast (Con) steps: mm and m down, p and pp up.
    QPushButton* ButtonLummm = nullptr;
    QPushButton* ButtonLumm = nullptr;
    QLabel* Label4 = nullptr; // "Luminosite"
    QPushButton* ButtonLump = nullptr;
    QPushButton* ButtonLumpp = nullptr;
    QPushButton* ButtonConmm = nullptr;
    QPushButton* ButtonConm = nullptr;
    QLabel* LabelCont = nullptr;
    QPushButton* ButtonConp = nullptr;
    QPushButton* ButtonConpp = nullptr;
    QToolButton* Invert = nullptr;
    QToolButton* Stel = nullptr; // the deep-sky preset
    QToolButton* Planet = nullptr;
    QLabel* LabelFunction = nullptr; // "Fonction"
    QComboBox* DisplayFunction = nullptr;
    QPushButton* AutoZscale = nullptr;
    QPushButton* AutoMtf = nullptr;
    THistogramView* Histogram = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    // The current image's document; none without a current image.
    TImageDocument* Document() const;
    void Act(const std::function<void(TThresholdState&)>& step);
    // The histogram, its markers and the display function of the current image, while the
    // dialog is shown (it is brought up to date when it is shown).
    void ShowCurrentImage();
    void SetSteps(TSpeed speed);
    // A preset from the current image's statistics: not for a bitmap or an empty document.
    void Preset(void (*preset)(TThresholdState&, const TStatistics&));

    TWorkspace& workspace_;
};

} // namespace orv::ui
