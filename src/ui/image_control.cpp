#include "ui/image_control.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

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

void TImageControl::mouseMoveEvent(QMouseEvent* event) {
    // The pixel under the pointer, also when positions come with fractions.
    const QPointF exact = event->position();
    const QPoint at(static_cast<int>(std::floor(exact.x())), static_cast<int>(std::floor(exact.y())));
    if (OnMouseMove && rect().contains(at)) OnMouseMove(at.x(), at.y());
    QWidget::mouseMoveEvent(event);
}

void TImageControl::contextMenuEvent(QContextMenuEvent* event) {
    if (PopupMenu) PopupMenu->popup(event->globalPos());
}

} // namespace orv::ui
