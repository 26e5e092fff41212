#include "ui/image_control.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>

#include <cmath>

namespace orv::ui {

TImageControl::TImageControl(QWidget* parent) : QWidget(parent) {
    setObjectName("Image");
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TImageControl::SetPicture(QImage picture) {
    picture_ = std::move(picture);
    if (!picture_.isNull()) setFixedSize(picture_.size());
    update();
}

void TImageControl::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QRect area = event->rect();
    p.fillRect(area, palette().window());
    if (!picture_.isNull()) p.drawImage(area.topLeft(), picture_, area);
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
        band_->hide();
    }
    QWidget::mouseReleaseEvent(event);
}

void TImageControl::Drag(const QMouseEvent* event, bool finished) {
    const QPoint to = PixelAt(event);
    band_->setGeometry(QRect(*dragFrom_, to).normalized().intersected(rect()));
    if (OnDrag) OnDrag(*dragFrom_, to, finished);
}

void TImageControl::contextMenuEvent(QContextMenuEvent* event) {
    if (PopupMenu) PopupMenu->popup(event->globalPos());
}

} // namespace orv::ui
