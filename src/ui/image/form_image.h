// An image window: one child of the main window's frame per opened image. It owns the
// image document, shows its display bitmap at its own zoom inside a scroll area, reports the
// pixel readout to the workspace, and is the document's host while the document loads. The
// zoom and the display function are ways of looking: they never mark the document modified. A save lets
// events through (progress): the document outlives a window closed meanwhile, and a close asked of the window
// itself waits until the save ends.
#pragma once

#include "core/base/bitmap.h"
#include "core/image/debayer.h"
#include "core/image/image_document.h"
#include "core/image/statistics.h"
#include "core/image/zoom.h"
#include "core/image/zoomed_view.h"
#include "ui/image/image_session.h"
#include "ui/shell/qt_document_host.h"

#include <QMdiSubWindow>

#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QMenu;
class QScrollArea;
class QSlider;

namespace orv {
class TGifFile;
}

namespace orv::ui {

class TImageControl;
class TWorkspace;

// The question asked when a modified image window closes.
QString ModifiedQuestion();

class TFormImage : public QMdiSubWindow, public TQtDocumentHost, public TImageSession {
    Q_OBJECT
  public:
    explicit TFormImage(TWorkspace& workspace, QWidget* parent = nullptr);
    ~TFormImage() override;

    TImageDocument& Document() override { return *doc_; }
    const TImageDocument& Document() const override { return *doc_; }
    QString FileName() const override;
    QString Caption() const override { return windowTitle(); }
    QObject* Lifetime() override { return this; }

    // Chooses the reader by extension, with the wait cursor while it reads; an image with
    // values then takes the workspace's start display. What a load gives the other windows
    // (thresholds, "Ajouter l'image courante", the enabling rule) is given here, once it returns.
    TLoadResult OpenImage(const QString& fileName);
    // The first image of a GIF file already decoded, as OpenImage does with a file.
    TLoadResult OpenGifImage(const TGifFile& gif, const std::string& fileName);
    // PIC documents as PIC, FITS documents as FITS, nothing for the other kinds.
    void SaveImage(const QString& fileName);
    // "Enregistrer": under its own name, in the format of its kind.
    void SaveByKind();
    // "Enregistrer sous Gif": the displayed picture as a one-image GIF file. A GIF document
    // takes the new name; the other kinds keep theirs, so that "Enregistrer" never writes
    // their format over the GIF.
    void ExportGif(const QString& fileName);
    // A save of this window is under way.
    bool Saving() const { return saving_; }

    void Render();
    // The document with its 1:1 display bitmap made for the current display settings: what
    // exports and animations take. Zoomed out, a change of display renders only the averaged
    // view; the 1:1 bitmap is made here, once something needs it.
    const TImageDocument& Rendered() const override;
    // The picture at one pixel per image pixel, the one printed: the shown one, or made from the
    // display bitmap when the window is zoomed out (it then shows only the averaged view).
    QImage Picture() const;
    QSize PictureSize() const override;
    // How a colour-filter mosaic is shown ("Dématriçage"): the workspace's default until the
    // user chooses.
    TDebayer Debayer() const override { return debayer_; }
    void SetDebayer(TDebayer method);
    // The picture is in colour: an RGB image, or a mosaic debayered.
    bool InColour() const;
    // The colours shown, debayered once for the pixels and the method (a display change, a zoom,
    // the histogram and the statistics take them again); nothing for a grey picture.
    std::optional<TColourPlanes> ColourPlanes() const override;
    // Sizes the picture, fits the window the first time, shows the display bitmap,
    // updates the caption.
    void ShowImage() override;
    // Sizes the window to its picture within the frame.
    void FitWindow();
    // What a tool calls after changing this document's thresholds or palette: the image is
    // rendered and shown again, and closing the window will ask whether to save it.
    void DisplayChanged() override;
    // The same for a change that no file keeps (the display function): rendered and shown,
    // not marked modified. Zoomed out, only the view is rendered (see Rendered).
    void ViewChanged() override;

    // The view's zoom. SetZoom keeps the image point under `anchor` (a point of the scroll
    // area's visible part) where it is.
    TZoom Zoom() const;
    void SetZoom(TZoom zoom, QPoint anchor);
    void SetZoom(TZoom zoom);

    // The statistics and the histogram of the document's values, computed once per document.
    const TImageSummary& Summary() override;

    // The client area: the scroll area's size.
    QSize ClientSize() const;
    void SetClientSize(QSize client);

    // Handlers.
    void FormActivate();
    void ImageMouseMove(int x, int y);
    // A drag on the picture while the animation's region is chosen: the region it draws.
    void ImageDrag(QPoint from, QPoint to, bool finished = false);
    void AjusterlaFentre1Click();
    void Ajusterlimagelafentre1Click(); // "Ajuster l'image à la fenêtre": the zoom showing it whole
    void ZoomInClick();
    void ZoomOutClick();
    void ZoomOneToOneClick();
    // Frame k (from 0) of the document's series: its values shown with the same display, which
    // changes nothing of the file.
    void SelectFrameClick(uint32_t k);

    // The thresholds to the threshold dialog, the enabling rule, the caption to the title.
    void PushThresholds(double high, double low);
    void UpdateImageTools();
    void CaptionChanged(const std::string& caption);
    // Progress of a load: shown, but clicks and keys wait until the file is read.
    void Progress(const std::string& label, float fraction) override;

    QScrollArea* ScrollBox = nullptr;
    TImageControl* Image = nullptr;
    QMenu* PopupMenu1 = nullptr;               // the picture's context menu
    QAction* AjusterlaFentre1 = nullptr;       // "Ajuster la Fenêtre"
    QAction* Ajusterlimagelafentre1 = nullptr; // "Ajuster l'image à la fenêtre"
    QAction* EnteteFITS2 = nullptr;            // "En-tête FITS…", for FITS images only
    // Under the picture, for a document with several frames (a SER video, a FITS cube) only.
    QWidget* FrameBar = nullptr;
    QSlider* FrameSlider = nullptr; // frames 1 to N
    QLabel* FrameLabel = nullptr;   // "Image k / N"

  protected:
    // FormClose: asks about a modified document, then lets the frame activate another.
    void closeEvent(QCloseEvent* event) override;
    // Ctrl + wheel over the picture zooms about the point under the mouse.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // A read, then what the other windows take from it.
    TLoadResult TakeLoad(const std::function<TLoadResult()>& read);
    // The workspace's start display into the document, rendered.
    void ApplyStartDisplay();
    // The frame bar shown for a series, its slider on the document's frame.
    void UpdateFrameBar();
    // The frame bar's height when it shows: the client area holds it below the scroll area.
    int FrameBarHeight() const;
    // Runs a write of the document with its own host, then afterWrite when the file is written
    // and the window is still there. Nothing of the window is touched after it is gone.
    void Write(const std::function<bool(TImageDocument&, TDocumentHost&)>& write,
               const std::function<void()>& afterWrite);

    // Shows the document at `zoom`; `rendered`: the display bitmap is new.
    void ShowView(TZoom zoom, bool rendered);

    // The colour picture at one pixel per picture pixel, made for the current display.
    QImage ColourView() const;
    // The colour picture shown (nothing for a grey image), from the planes once they are made.
    std::optional<TBitmap> ColourBitmap() const;
    bool PlanesCurrent() const; // planes_ are those of the pixels and the method shown
    // The pixels changed in place (another frame of a series, another file): what was made of
    // them is made again.
    void ForgetPixelViews();

    std::shared_ptr<TImageDocument> doc_;
    TDebayer debayer_ = TDebayer::Bilinear;
    bool saving_ = false;
    bool closeAsked_ = false;
    TAveragedView averagedView_;
    mutable std::optional<TColourPlanes> planes_; // for the pixels and the method below
    mutable const uint8_t* planesData_ = nullptr;
    mutable size_t planesBytes_ = 0;
    mutable TDebayer planesMethod_ = TDebayer::None;
    mutable bool bitmapStale_ = false; // DisplayStream predates the display settings
    std::optional<TImageSummary> summary_;
    const uint8_t* summaryData_ = nullptr; // the pixels the summary was made from
    size_t summaryBytes_ = 0;
    int wheelAngle_ = 0; // wheel turns not yet a whole step
};

} // namespace orv::ui
