// The picture of an image window at its zoom, at the window's top-left: at 1:1 one screen
// pixel per image pixel; zoomed out, the averaged picture it is given; zoomed in, each image
// pixel repeated, built only for the part being painted. Reports every mouse move over it in
// view coordinates, and drags when asked; its context menu is the window's. Picture() is the
// 1:1 picture when it was given one (zoomed out, the window may give only the averaged view).
#pragma once

#include "core/image/zoom.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <optional>

class QMenu;
class QRubberBand;

namespace orv::ui {

class TImageControl : public QWidget {
    Q_OBJECT
  public:
    explicit TImageControl(QWidget* parent = nullptr);

    // The picture at 1:1 (the zoom back to 1:1); the control takes its size.
    void SetPicture(QImage picture);
    // The picture and the view of it at `zoom`: `averaged` is the 1:n picture when zoomed out
    // (the picture itself may then be null). The control takes the view's size.
    void SetView(QImage picture, QImage averaged, TZoom zoom);
    const QImage& Picture() const { return picture_; }
    TZoom Zoom() const { return zoom_; }

    std::function<void(int x, int y)> OnMouseMove;
    // A drag with the left button, while AcceptsDrag says so: a rubber band follows the mouse
    // and stays once released, and OnDrag gets the pixels where it started and where it is
    // (finished on release).
    std::function<bool()> AcceptsDrag;
    std::function<void(QPoint from, QPoint to, bool finished)> OnDrag;
    QMenu* PopupMenu = nullptr;
    bool Dragging() const { return dragFrom_.has_value(); }
    // The band of the last drag taken away.
    void ClearBand();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    QPoint PixelAt(const QMouseEvent* event) const;
    void Drag(const QMouseEvent* event, bool finished);
    // The zoomed-in view of `area` (view pixels); null when the picture cannot be repeated.
    QImage Repeated(const QRect& area) const;

    QImage picture_;
    QImage averaged_;
    TZoom zoom_;
    QRubberBand* band_ = nullptr;
    std::optional<QPoint> dragFrom_;
};

} // namespace orv::ui
