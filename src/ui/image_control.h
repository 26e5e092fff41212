// The picture of an image window: shown unstretched, one pixel per image pixel, at the
// window's top-left. Reports every mouse move over it; its context menu is the window's.
#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

class QMenu;

namespace orv::ui {

class TImageControl : public QWidget {
    Q_OBJECT
  public:
    explicit TImageControl(QWidget* parent = nullptr);

    // Takes the picture and the picture's size.
    void SetPicture(QImage picture);
    const QImage& Picture() const { return picture_; }

    std::function<void(int x, int y)> OnMouseMove;
    QMenu* PopupMenu = nullptr;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    QImage picture_;
};

} // namespace orv::ui
