// A thumbnail slot's picture: a frame drawn stretched to the control's size, or the button
// face when the slot is empty. A press reports itself.
#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

namespace orv::ui {

class TThumbnail : public QWidget {
    Q_OBJECT
  public:
    explicit TThumbnail(QWidget* parent = nullptr);

    void SetPicture(QImage picture);
    // The slot emptied: nothing drawn but the button face.
    void Clear();
    const QImage& Picture() const { return picture_; }

    std::function<void()> OnMouseDown;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    QImage picture_;
};

} // namespace orv::ui
