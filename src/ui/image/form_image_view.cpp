// The image window's view: its zoom (keys, menus, Ctrl + wheel about the mouse, fitting the
// image in the window), the pixel readout through the zoom, and what is computed once per
// document for the tools (statistics and histogram). Nothing here changes the document.
#include "ui/image/form_image.h"

#include "core/anim/anim_options.h"
#include "core/image/colour_picture.h"
#include "core/image/display_settings.h"
#include "core/image/readout.h"
#include "ui/image/display_picture.h"
#include "ui/image/image_control.h"
#include "ui/shell/application.h"
#include "ui/shell/workspace.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace orv::ui {

namespace {

constexpr int32_t kHistogramBins = 256;

// Zoomed out, a picture without raw values (bitmap, GIF) averages its colours.
QImage AveragedColours(const QImage& picture, int32_t n) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    const TSize size{rgb.width(), rgb.height()};
    const TSize view = ViewSize(size, TZoom{1, n});
    QImage out(view.Width, view.Height, QImage::Format_RGB32);
    if (rgb.isNull() || out.isNull()) return {};
    AverageChannels(rgb.constBits(), size, static_cast<size_t>(rgb.bytesPerLine()), 4, n, out.bits(),
                    static_cast<size_t>(out.bytesPerLine()));
    return out;
}

} // namespace

TZoom TFormImage::Zoom() const {
    return Image->Zoom();
}

bool TFormImage::InColour() const {
    return doc_->PixelType != kPixelNone &&
           (doc_->Colour.Planes == 3 || (doc_->Colour.Pattern && debayer_ != TDebayer::None));
}

void TFormImage::SetDebayer(TDebayer method) {
    if (method == debayer_) return;
    debayer_ = method;
    ShowImage();
}

bool TFormImage::PlanesCurrent() const {
    return planes_ && planesData_ == doc_->PixelStore.data() && planesBytes_ == doc_->PixelStore.size() &&
           planesMethod_ == debayer_;
}

std::optional<TColourPlanes> TFormImage::ColourPlanes() const {
    if (!InColour()) return std::nullopt;
    if (!PlanesCurrent()) {
        planes_ = ColourPlanesOf(*doc_, debayer_);
        planesData_ = doc_->PixelStore.data();
        planesBytes_ = doc_->PixelStore.size();
        planesMethod_ = debayer_;
    }
    return planes_;
}

void TFormImage::ForgetPixelViews() {
    averagedView_.Forget();
    summary_.reset();
    planes_.reset();
}

std::optional<TBitmap> TFormImage::ColourBitmap() const {
    if (!InColour()) return std::nullopt;
    // Until the histogram, the statistics or the readout ask for the planes of reals, a 16-bit
    // mosaic's picture comes straight from the mosaic: opening it does not make them.
    if (!PlanesCurrent()) {
        const TDisplaySettings display = DisplaySettingsOf(*doc_);
        if (std::optional<TBitmap> picture = MosaicPicture(*doc_, debayer_, {display, display, display}))
            return picture;
    }
    const std::optional<TColourPlanes> planes = ColourPlanes();
    if (!planes) return std::nullopt;
    return ColourPicture(*doc_, *planes);
}

QImage TFormImage::ColourView() const {
    const std::optional<TBitmap> picture = ColourBitmap();
    return picture ? TrueColourPicture(*picture) : QImage();
}

QImage TFormImage::Picture() const {
    if (InColour()) return ColourView();
    return Image->Picture().isNull() ? DisplayPicture(Rendered().DisplayStream) : Image->Picture();
}

QSize TFormImage::PictureSize() const {
    if (InColour()) {
        const TSize size = ColourPictureSize(*doc_, debayer_);
        return {size.Width, size.Height};
    }
    if (doc_->PixelType != kPixelNone) return {doc_->ImageWidth, doc_->ImageHeight};
    return Image->Picture().size();
}

void TFormImage::ShowView(TZoom zoom, bool rendered) {
    // Zoomed out, a camera image shows only its averaged view: the 1:1 picture (16 MB for a
    // 4096 x 4096 image) is not made at each change. Bitmaps keep theirs to average it.
    if (InColour()) {
        // The three channels come from the values, not from the grey display bitmap.
        QImage picture = ColourView();
        QImage averaged = zoom.Out > 1 ? AveragedColours(picture, zoom.Out) : QImage();
        Image->SetView(std::move(picture), std::move(averaged), zoom);
        return;
    }
    const bool raw = doc_->PixelType != kPixelNone;
    QImage picture;
    if (zoom.Out == 1 || !raw) {
        rendered = rendered || bitmapStale_;
        picture = rendered || Image->Picture().isNull() ? DisplayPicture(Rendered().DisplayStream)
                                                        : Image->Picture();
    }
    QImage averaged;
    if (zoom.Out > 1 && !doc_->DisplayStream.empty())
        averaged = raw ? DisplayPicture(averagedView_.DisplayStream(*doc_, zoom.Out))
                       : AveragedColours(picture, zoom.Out);
    Image->SetView(std::move(picture), std::move(averaged), zoom);
}

void TFormImage::SetZoom(TZoom zoom, QPoint anchor) {
    const TZoom from = Zoom();
    if (zoom == from || PictureSize().isEmpty()) return;
    QScrollBar* across = ScrollBox->horizontalScrollBar();
    QScrollBar* down = ScrollBox->verticalScrollBar();
    const double x = AnchoredScroll(anchor.x(), across->value(), from, zoom);
    const double y = AnchoredScroll(anchor.y(), down->value(), from, zoom);
    ShowView(zoom, false);
    // The scroll ranges follow the picture's new size at once.
    across->setValue(static_cast<int>(std::lround(x)));
    down->setValue(static_cast<int>(std::lround(y)));
    CaptionChanged(doc_->Caption);
}

void TFormImage::SetZoom(TZoom zoom) {
    const QSize visible = ScrollBox->viewport()->size();
    SetZoom(zoom, QPoint(visible.width() / 2, visible.height() / 2));
}

void TFormImage::ZoomInClick() {
    SetZoom(ZoomedIn(Zoom()));
}

void TFormImage::ZoomOutClick() {
    SetZoom(ZoomedOut(Zoom()));
}

void TFormImage::ZoomOneToOneClick() {
    SetZoom(TZoom{});
}

void TFormImage::Ajusterlimagelafentre1Click() {
    const QSize picture = PictureSize();
    if (picture.isEmpty()) return;
    // The room the picture has once it fits: the whole client area, without scroll bars
    // (the window's contents, which follow a resize at once, unlike its laid-out children),
    // less the frame bar's height.
    const QSize room = contentsRect().size() - QSize(0, FrameBarHeight());
    SetZoom(FitZoom({picture.width(), picture.height()}, {room.width(), room.height()}), QPoint(0, 0));
    ScrollBox->horizontalScrollBar()->setValue(0);
    ScrollBox->verticalScrollBar()->setValue(0);
}

void TFormImage::ImageMouseMove(int x, int y) {
    // One value read from memory: the picture is not rendered again.
    const QSize size = PictureSize();
    const auto pixel = ViewToImage({size.width(), size.height()}, Zoom(), x, y);
    if (!pixel) return;
    const auto readout = InColour() ? ColourReadout(*doc_, debayer_, pixel->Column, pixel->Row)
                                    : PixelReadout(*doc_, pixel->Column, pixel->Row);
    if (!readout) return;
    Workspace().ShowReadout(QString::fromStdString(readout->X), QString::fromStdString(readout->Y),
                            QString::fromStdString(readout->Intensity),
                            QString::fromStdString(readout->RightAscension),
                            QString::fromStdString(readout->Declination));
}

void TFormImage::ImageDrag(QPoint from, QPoint to, bool finished) {
    // Drags may leave the view: their ends are held inside it, then named as image pixels.
    const QSize picture = PictureSize();
    const TSize image{picture.width(), picture.height()};
    const TSize view = ViewSize(image, Zoom());
    if (view.Width <= 0 || view.Height <= 0) return;
    const auto pixelAt = [&](QPoint at) {
        return ViewToImage(image, Zoom(), std::clamp(at.x(), 0, view.Width - 1),
                           std::clamp(at.y(), 0, view.Height - 1))
            .value_or(TImagePixel{});
    };
    const TImagePixel a = pixelAt(from), b = pixelAt(to);
    const TCropRect region = RegionFromDrag(a.Column, a.Row, b.Column, b.Row, image.Width, image.Height);
    Workspace().DragRegion(region);
    if (finished) Workspace().DropRegion(region);
}

const TImageSummary& TFormImage::Summary() {
    // Made again only for other pixels (a window filled after it was first asked).
    if (!summary_ || summaryData_ != doc_->PixelStore.data() || summaryBytes_ != doc_->PixelStore.size()) {
        summary_ = SummariseImage(*doc_, kHistogramBins);
        summaryData_ = doc_->PixelStore.data();
        summaryBytes_ = doc_->PixelStore.size();
    }
    return *summary_;
}

bool TFormImage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ScrollBox->viewport() && event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            // A notch is 120; finer wheels add up to whole steps.
            wheelAngle_ += wheel->angleDelta().y();
            TZoom zoom = Zoom();
            for (; wheelAngle_ >= 120; wheelAngle_ -= 120)
                zoom = ZoomedIn(zoom);
            for (; wheelAngle_ <= -120; wheelAngle_ += 120)
                zoom = ZoomedOut(zoom);
            const QPoint at = wheel->position().toPoint();
            RunCommand([&] { SetZoom(zoom, at); });
            return true;
        }
    }
    return QMdiSubWindow::eventFilter(watched, event);
}

} // namespace orv::ui
