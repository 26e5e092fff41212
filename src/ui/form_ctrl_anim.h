// The animation controls: a slider over the frames, stop, start and step buttons.
#pragma once

#include <QWidget>

namespace orv::ui {

class TFormCtrlAnim : public QWidget {
    Q_OBJECT
  public:
    explicit TFormCtrlAnim(QWidget* parent = nullptr);
};

extern TFormCtrlAnim* FormCtrlAnim;

} // namespace orv::ui
