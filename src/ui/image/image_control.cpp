#include "ui/image/image_control.h"

#include "core/image/zoomed_view.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>

#include <algorithm>
#include <cmath>

namespace orv::ui {

TImageControl::TImageControl(QWidget* parent) : QWidget(parent) {
    setObjectName("Image");
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TImageControl::SetPicture(QImage picture) {
    SetView(std::move(picture), QImage(), TZoom{});
}

void TImageControl::SetView(QImage picture, QImage averaged, TZoom zoom) {
    // Repeating copies whole pixels: paletted 8-bit or 32-bit pictures only.
    if (!picture.isNull() && picture.format() != QImage::Format_Indexed8 && picture.depth() != 32)
        picture = picture.convertToFormat(QImage::Format_RGB32);
    picture_ = std::move(picture);
    averaged_ = zoom.Out > 1 ? std::move(averaged) : QImage();
    // A band drawn at another zoom would frame other pixels.
    if (!(zoom == zoom_)) ClearBand();
    zoom_ = zoom;
    if (zoom_.Out > 1 && !averaged_.isNull()) {
        setFixedSize(averaged_.size());
    } else if (!picture_.isNull()) {
        const TSize view = ViewSize({picture_.width(), picture_.height()}, zoom_);
        setFixedSize(view.Width, view.Height);
    }
    update();
}

QImage TImageControl::Repeated(const QRect& area) const {
    const QRect view = area.intersected(rect());
    if (view.isEmpty() || picture_.isNull()) return {};
    QImage out(view.size(), picture_.format());
    if (out.isNull()) return {};
    if (picture_.format() == QImage::Format_Indexed8) out.setColorTable(picture_.colorTable());
    RepeatRegion(picture_.constBits(), {picture_.width(), picture_.height()},
                 static_cast<size_t>(picture_.bytesPerLine()), picture_.depth() / 8, zoom_.In, view.left(),
                 view.top(), {view.width(), view.height()}, out.bits(),
                 static_cast<size_t>(out.bytesPerLine()));
    return out;
}

void TImageControl::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QRect area = event->rect();
    p.fillRect(area, palette().window());
    if (zoom_.Out > 1) {
        if (!averaged_.isNull()) p.drawImage(area.topLeft(), averaged_, area);
    } else if (zoom_.In > 1) {
        const QImage part = Repeated(area);
        if (!part.isNull()) p.drawImage(area.intersected(rect()).topLeft(), part);
    } else if (!picture_.isNull()) {
        p.drawImage(area.topLeft(), picture_, area);
    }
}

QPoint TImageControl::PixelAt(const QMouseEvent* event) const {
    // The pixel under the pointer, also when positions come with fractions.
    const QPointF exact = event->position();
    return QPoint(static_cast<int>(std::floor(exact.x())), static_cast<int>(std::floor(exact.y())));
}

void TImageControl::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = PixelAt(event);
    if (OnMouseMove && rect().contains(at)) OnMouseMove(at.x(), at.y());
    if (dragFrom_) Drag(event, false);
    QWidget::mouseMoveEvent(event);
}

void TImageControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && AcceptsDrag && AcceptsDrag() &&
        rect().contains(PixelAt(event))) {
        dragFrom_ = PixelAt(event);
        if (!band_) band_ = new QRubberBand(QRubberBand::Rectangle, this);
        Drag(event, false);
        band_->show();
    }
    QWidget::mousePressEvent(event);
}

void TImageControl::mouseReleaseEvent(QMouseEvent* event) {
    if (dragFrom_ && event->button() == Qt::LeftButton) {
        Drag(event, true);
        dragFrom_.reset();
    }
    QWidget::mouseReleaseEvent(event);
}

void TImageControl::ClearBand() {
    if (band_ && !dragFrom_) band_->hide();
}

void TImageControl::Drag(const QMouseEvent* event, bool finished) {
    const QPoint to = PixelAt(event);
    // Both corner pixels inside, whichever way the drag goes (QRect::normalized of a rectangle
    // drawn up and left leaves them out).
    const QPoint topLeft(std::min(dragFrom_->x(), to.x()), std::min(dragFrom_->y(), to.y()));
    const QPoint bottomRight(std::max(dragFrom_->x(), to.x()), std::max(dragFrom_->y(), to.y()));
    band_->setGeometry(QRect(topLeft, bottomRight).intersected(rect()));
    if (OnDrag) OnDrag(*dragFrom_, to, finished);
}

void TImageControl::contextMenuEvent(QContextMenuEvent* event) {
    if (PopupMenu) PopupMenu->popup(event->globalPos());
}

} // namespace orv::ui
