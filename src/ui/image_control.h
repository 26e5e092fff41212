// The picture of an image window: shown unstretched, one pixel per image pixel, at the
// window's top-left. Reports every mouse move over it, and drags when asked; its context menu
// is the window's.
#pragma once

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

    // Takes the picture and the picture's size.
    void SetPicture(QImage picture);
    const QImage& Picture() const { return picture_; }

    std::function<void(int x, int y)> OnMouseMove;
    // A drag with the left button, while AcceptsDrag says so: a rubber band follows the mouse,
    // and OnDrag gets the pixels where it started and where it is (finished on release).
    std::function<bool()> AcceptsDrag;
    std::function<void(QPoint from, QPoint to, bool finished)> OnDrag;
    QMenu* PopupMenu = nullptr;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    QPoint PixelAt(const QMouseEvent* event) const;
    void Drag(const QMouseEvent* event, bool finished);

    QImage picture_;
    QRubberBand* band_ = nullptr;
    std::optional<QPoint> dragFrom_;
};

} // namespace orv::ui
