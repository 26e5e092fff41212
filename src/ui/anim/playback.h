// The channel between the animation builder, the player and the player's controls: the
// builder lends its animation and starts a playback, the controls send transport commands,
// the player moves the controls' slider and reports when it closes.
#pragma once

#include "core/anim/anim_builder.h"

#include <QObject>
#include <QPoint>

#include <vector>

namespace orv::ui {

// What the controls ask of the player; Slider carries the slider's position.
enum class TPlayerCommand { Stop, Play, First, Previous, Next, Last, Slider, Close };

class TPlayback : public QObject {
    Q_OBJECT
  public:
    // The builder's animation; nothing before the builder exists or after it goes.
    void SetAnimation(const TAnimBuilder* animation) { animation_ = animation; }
    const TAnimBuilder* Animation() const { return animation_; }
    // Its frames, none without an animation.
    const std::vector<TAnimImg>& Frames() const;

    void Start() { emit Started(); }
    void Command(TPlayerCommand command, int position = 0) { emit Commanded(command, position); }
    void ResetSlider(int maximum) { emit SliderReset(maximum); }
    void MoveSlider(int position) { emit SliderMoved(position); }
    // The controls shown with their top-left corner at `at` on the screen.
    void ShowControls(QPoint at) { emit ControlsShown(at); }
    void End() { emit Ended(); }

  signals:
    // The builder asks the player to play from the first frame.
    void Started();
    void Commanded(TPlayerCommand command, int position);
    // The player's slider over frames 0..maximum, back at 0.
    void SliderReset(int maximum);
    void SliderMoved(int position);
    void ControlsShown(QPoint at);
    // The player closed: the controls go, the builder's commands come back.
    void Ended();

  private:
    const TAnimBuilder* animation_ = nullptr;
};

} // namespace orv::ui
