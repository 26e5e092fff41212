// The animation player: the builder's frames one after the other, each for its delay.
#pragma once

#include <QWidget>

namespace orv::ui {

class TFormAnim2 : public QWidget {
    Q_OBJECT
  public:
    explicit TFormAnim2(QWidget* parent = nullptr);
};

extern TFormAnim2* FormAnim2;

} // namespace orv::ui
