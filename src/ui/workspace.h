// The windows' shared state and their one channel to each other: the current image, the
// frame of image windows, the enabling rules, the thresholds pushed into the threshold
// dialog, the pixel readout, progress and the batch tool. Windows call it and listen to its
// signals; no tool window includes the main window or another tool window.
#pragma once

#include "core/anim/anim_options.h"
#include "core/image/auto_display.h"
#include "core/image/debayer.h"
#include "core/tools/enabling_rules.h"
#include "ui/playback.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QMdiArea;

namespace orv::ui {

class TFormImage;
class TFormSelectLot;
class TProgressForm;

class TWorkspace : public QObject {
    Q_OBJECT
  public:
    explicit TWorkspace(TProgressForm* progressWindow);

    // The image window activated last; empty when none is. Never refers to a closed window.
    TFormImage* CurrentImage() const;
    void SetCurrentImage(TFormImage* image);

    // The frame that holds the image windows, and how many it holds.
    void SetFrame(QMdiArea* frame);
    int ImageWindowCount() const;

    // A rule's control states go to every window; each applies those of its own name.
    void ApplyRule(const std::vector<TControlState>& states);
    // The image tools' rule for the current image.
    void UpdateImageTools();
    // Applied after any rule that enables the palettes by the image's kind.
    void DisablePalettesInColour(const TFormImage* image);
    // The builder's "Ajouter l'image courante".
    void SetBitAjoutEnabled(bool enabled);

    // An image's thresholds, for the threshold dialog to show.
    void PushThresholds(double high, double low);
    // An image window has shown its document again (loaded, or its display changed): the
    // tools that draw from it follow.
    void AnnounceImageShown(TFormImage* image);
    // The pixel under the mouse, for the status bar; the sky coordinates are empty for an
    // image without them.
    void ShowReadout(const QString& x, const QString& y, const QString& intensity,
                     const QString& rightAscension, const QString& declination);
    // The status bar's texts without a pixel: once no image is current, none is under the mouse.
    void ClearReadout();
    // An image's context menu asks for the header window.
    void RequestHeaderWindow();

    // Where file dialogs open: the current image's folder, else the folder of the last name
    // chosen in a file dialog, else empty (the start folder).
    QString FileDialogFolder() const;
    void RememberFolderOf(const QString& fileName);

    // Progress of long work in the progress window, with events processed meanwhile; without
    // userInput, clicks and keys wait until the work is done (a window being read is not
    // closed under its reader).
    void Progress(const std::string& label, float fraction, bool userInput = true);
    std::function<void(const std::string&, float)> ProgressReport();
    void HideProgress();

    // The batch tool shown modally: the chosen files, none when it is cancelled. Each use
    // starts with an empty list in FileDialogFolder().
    void SetBatchTool(TFormSelectLot* batchTool);
    std::vector<std::string> ChooseBatch();

    // While the animation's region is being chosen, a drag on an image window draws it.
    void SetRegionPicking(bool picking) {
        regionPicking_ = picking;
        emit RegionPickingChanged(picking);
    }
    bool RegionPicking() const { return regionPicking_; }
    void DragRegion(const TCropRect& region) { emit RegionDragged(region); }
    // The drag ended (a click is a drag of one pixel).
    void DropRegion(const TCropRect& region) { emit RegionDropped(region); }

    // The builder's animation, its player and the player's controls.
    TPlayback& Playback() { return playback_; }

    // What an image shows when its file opens: its own thresholds (none) or an automatic
    // display. The user's choice is kept between sessions; `orvanel --auto` sets it for one
    // run and keeps nothing.
    std::optional<TAutoDisplay> StartDisplay() const { return startDisplay_; }
    void ChooseStartDisplay(std::optional<TAutoDisplay> mode);
    void SetStartDisplayForRun(std::optional<TAutoDisplay> mode);
    // How newly opened colour-filter mosaics are debayered: the last "Dématriçage" chosen, kept
    // between sessions (bilinear until one is).
    TDebayer DefaultDebayer() const { return debayer_; }
    void ChooseDebayer(TDebayer method);

  signals:
    void CurrentImageChanged(TFormImage* image);
    void RuleApplied(const std::vector<TControlState>& states);
    void ThresholdsPushed(double high, double low);
    void ImageShown(TFormImage* image);
    void ReadoutShown(const QString& x, const QString& y, const QString& intensity,
                      const QString& rightAscension, const QString& declination);
    void RegionDragged(const orv::TCropRect& region);
    void RegionDropped(const orv::TCropRect& region);
    void RegionPickingChanged(bool picking);
    void HeaderWindowRequested();

  private:
    QPointer<TFormImage> currentImage_;
    QPointer<QMdiArea> frame_;
    QPointer<TProgressForm> progressWindow_;
    QPointer<TFormSelectLot> batchTool_;
    QString lastFolder_;
    TPlayback playback_;
    bool regionPicking_ = false;
    std::optional<TAutoDisplay> startDisplay_;
    TDebayer debayer_ = TDebayer::Bilinear;
};

// Applies the states of a rule that belong to `window` (by its object name), in the rule's
// order, to its actions and widgets of those names.
void ApplyRuleTo(QObject& window, const std::vector<TControlState>& states);

} // namespace orv::ui
