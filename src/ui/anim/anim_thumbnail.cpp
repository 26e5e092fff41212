#include "ui/anim/anim_thumbnail.h"

#include <QMouseEvent>
#include <QPainter>

namespace orv::ui {

TThumbnail::TThumbnail(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TThumbnail::SetPicture(QImage picture) {
    picture_ = std::move(picture);
    update();
}

void TThumbnail::Clear() {
    picture_ = QImage();
    update();
}

void TThumbnail::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().button());
    if (!picture_.isNull()) p.drawImage(rect(), picture_);
}

void TThumbnail::mousePressEvent(QMouseEvent* event) {
    // A disabled slot receives no press at all.
    if (OnMouseDown && event->button() == Qt::LeftButton) OnMouseDown();
    QWidget::mousePressEvent(event);
}

} // namespace orv::ui
