// The animation builder: frames from a batch or from the current image, ordered, timed
// and saved as an animated GIF. A tool window over the main window. The frame list and every editing rule
// are the core builder's; this window calls an operation, applies the enabling it returns and
// redraws the slots, highlights and scroll bar.
#pragma once

#include "core/anim/anim_builder.h"
#include "core/anim/recovery_file.h"

#include <QStringList>
#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QPushButton;
class QLabel;
class QScrollBar;
class QSpinBox;
class QThreadPool;
class QToolButton;

namespace orv {
class TGifFile;
}

namespace orv::ui {

class TFormSerie;
class TFormSuivi;
class TFormZone;
class TThumbnail;
class TWorkspace;

// The question asked when the builder closes with unsaved changes.
QString AnimationModifiedQuestion();

class TFormCreeAnim : public QWidget {
    Q_OBJECT
  public:
    explicit TFormCreeAnim(TWorkspace& workspace, QWidget* parent = nullptr);
    ~TFormCreeAnim() override;

    TAnimBuilder Builder;

    // Applies an operation's enabling to the controls of those names.
    void ApplyEnabling(const TBuilderEnabling& enabling);
    // Slots, captions, highlights and scroll bar as the builder has them.
    void ShowThumbnails();
    void ShowMarks();
    void ShowScrollBar();
    void Redraw();
    void ClearSlot(int slot);

    // A GIF file of several images taken over as the animation: its frames "Image 1".."Image n"
    // replace the builder's, the editing commands are disabled and the player starts. A
    // modified animation is asked about first; false when the user kept it.
    bool PlayGifFile(std::unique_ptr<TGifFile> gif, const std::string& path);
    // An animation a crash interrupted: its frames made again from their files, with their
    // delays and displays, and its options. Frames whose file no longer opens are left out and
    // returned as "file : reason".
    std::vector<std::string> RestoreAnimation(const std::vector<TRecoveredFrame>& records,
                                              const TAnimOptions& options);
    // Before the animation is dropped: true when it may go (unmodified, "Non", or saved).
    bool MayDropAnimation();
    // "Enregister l'animation": the name, the overwrite question and the file; true when the
    // file is written.
    bool SaveAnimationAs();
    // The player closed: the commands come back.
    void PreviewEnded();

    // Handlers.
    void BitNewClick();
    void BitSelectClick();
    void BitAjoutClick();
    void BitUpClick();
    void BitDnClick();
    void BitEgualClick();
    void BitAutoClick();
    void BitEffaceClick();
    void SpinInterChange();
    void BitAnimClick();
    void BitEnrClick();
    void BitQuitClick();
    void ImageMouseDown(int slot);
    void ScrollBarChange();
    void FormShow();
    void FormHide();

    QFrame* Panel1 = nullptr;             // the three thumbnail slots and their scroll bar
    std::array<TThumbnail*, 3> Images{};  // Image1..Image3
    std::array<QFrame*, 3> Backgrounds{}; // Shape1..Shape3
    std::array<QFrame*, 3> Highlights{};  // Shape4..Shape6, red
    std::array<QLabel*, 3> Captions{};    // Label1..Label3
    QScrollBar* ScrollBar = nullptr;
    QToolButton* BitNew = nullptr;
    QToolButton* BitSelect = nullptr; // "Ajouter un lot d'images"
    QToolButton* BitAjout = nullptr;  // "Ajouter l'image courante": enabled while an image window is open
    QToolButton* BitUp = nullptr;
    QToolButton* BitDn = nullptr;
    QToolButton* BitEgual = nullptr; // "Délais identiques"
    QToolButton* BitAuto = nullptr;  // the delays from the observation times
    QToolButton* BitEfface = nullptr;
    QLabel* Label5 = nullptr;       // "Délai :"
    QSpinBox* SpinInter = nullptr;  // the delay, in hundredths of a second
    QLabel* Label6 = nullptr;       // "x 1/100 s"
    QToolButton* BitAnim = nullptr; // "Voir l'animation"
    QToolButton* BitEnr = nullptr;  // "Enregister l'animation"
    QToolButton* BitQuit = nullptr;

    // The animation's options, right of the commands (form_cree_anim_options.cpp). They stay as
    // set from one use of the builder to the next.
    QGroupBox* GroupReglages = nullptr;
    QCheckBox* CheckMemesReglages = nullptr; // "Mêmes réglages pour toutes les images"
    QCheckBox* CheckNormaliser = nullptr;    // "Normaliser le fond"
    QLabel* LabelAlignement = nullptr;       // "Alignement :"
    QComboBox* ComboAlignement = nullptr;    // "aucun", "étoiles", "coordonnées"
    QPushButton* BitSuivre = nullptr;        // "Suivre…": opens FormSuivi; "Suivi…" with a track
    TFormSuivi* FormSuivi = nullptr;
    QPushButton* BitZone = nullptr;        // "Zone…": opens FormZone
    QLabel* LabelZone = nullptr;           // the region chosen, or "Toute l'image"
    QLabel* LabelReduction = nullptr;      // "Réduction :"
    QSpinBox* SpinReduction = nullptr;     // binning, 1 ("Aucune") to 16
    QCheckBox* CheckHeure = nullptr;       // "Heure incrustée"
    QCheckBox* CheckAllerRetour = nullptr; // "Aller-retour"
    TFormZone* FormZone = nullptr;
    QPushButton* BitSerie = nullptr; // "Tableau de la série": opens FormSerie
    TFormSerie* FormSerie = nullptr;

    // What the file costs, below or beside the options: GIF frames written as what they change,
    // within a tolerance, the size saving will write, and the delays browsers slow down.
    QGroupBox* GroupFichier = nullptr;
    QCheckBox* CheckOptimiser = nullptr; // "Optimiser la taille", kept between sessions
    QLabel* LabelTolerance = nullptr;    // "Tolérance :"
    QSpinBox* SpinTolerance = nullptr;   // 0 to 32 display levels, kept between sessions
    QLabel* LabelToleranceAdu = nullptr; // those levels in the first frame's values
    QLabel* LabelTaille = nullptr;       // "Taille estimée : 12,3 Mo"
    QLabel* LabelDelaisCourts = nullptr; // how many frames have a delay of 0 or 1
    QPushButton* BitPorter = nullptr;    // "Porter à 2 centièmes"
    std::array<QLabel*, 3> ShortMarks{}; // on a slot whose frame has such a delay

    // An option control changed: the builder's options follow the controls.
    void OptionsChange();
    void BitZoneClick();
    void BitSuivreClick();
    // The track window's choice: the object's places, or no track.
    void TrackChosen(const std::optional<TTrack>& track);
    // The zone window's choice: a region, or the whole image.
    void ZoneChosen(const std::optional<TCropRect>& region);
    void BitPorterClick();

  signals:
    // The frame list, a delay, an option or the modified mark may have changed.
    void AnimationChanged();
    // A size estimate reached "Taille estimée".
    void SizeEstimated();

  protected:
    void showEvent(QShowEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void CenterCaption(int slot);
    // The options column, laid out right of the commands.
    void CreateOptionControls();
    void ShowZone();
    QPoint BelowSettings() const;
    void SetPlaceOptions(const TAnimOptions& options);
    // The option controls as the builder's options are.
    void ShowOptions();
    // Frames left out (outside the region, or not placed when aligned), in one message.
    void ReportLeftOut(const std::vector<std::string>& leftOut) const;
    // The file's column: its controls from the settings kept between sessions.
    void CreateFileControls();
    // "Optimiser la taille" and the tolerance, for the next session.
    void KeepFileSettings();
    // Both columns right of the commands: the file's below the options when the commands leave
    // room for it, else beside them.
    void PlaceOptionColumns();
    // The short-delay marks, the tolerance in the image's values, and a new estimate when what
    // saving makes changed.
    void ShowFileFacts();
    void ShowShortMarks();
    // The estimate is made on a copy of the frames, on a thread of its own; a result that
    // arrives after a newer request is dropped.
    void RequestEstimate();
    void StartEstimate();
    void ShowPlaces();
    void EstimateDone(uint64_t request, std::optional<uint64_t> bytes, QStringList places);

    TWorkspace& workspace_;
    bool redrawing_ = false;
    int wheelAngle_ = 0; // wheel turns not yet a whole notch
    // What the last estimate was asked for: each frame's picture and values, and the options.
    struct TEstimateKey {
        std::vector<const void*> Frames;
        TAnimOptions Options;
        bool operator==(const TEstimateKey&) const = default;
    };
    std::optional<TEstimateKey> estimateKey_;
    QThreadPool* estimatePool_ = nullptr;
    uint64_t estimateRequest_ = 0; // the newest request; older results are dropped
    bool estimateRunning_ = false;
    bool estimatePending_ = false; // asked again while one ran
    // With alignment, each frame's move or why it is left out, found beside the estimate and
    // shown as its thumbnail's tooltip; empty until they arrive for the frames as they are.
    QStringList places_;
};

} // namespace orv::ui
