// The animation player: the builder's frames one after the other, each for its delay, in an
// endless loop. The timer's enabled state is the play state. It takes its frames and its
// commands through the playback channel and moves its controls' slider the same way.
#pragma once

#include "core/anim/anim_frame.h"
#include "core/anim/player_state.h"

#include <QWidget>

#include <optional>
#include <vector>

class QLabel;
class QScrollArea;
class QTimer;

namespace orv::ui {

class TPlayback;
enum class TPlayerCommand;

// Window tests tick the player (and the blink comparator) themselves: with manual timers the
// platform timer never runs, while its enabled state and interval are kept as they would be.
void SetManualTimers(bool manual);
bool ManualTimers();

class TFormAnim2 : public QWidget {
    Q_OBJECT
  public:
    explicit TFormAnim2(TPlayback& playback, QWidget* parent = nullptr);

    // Everything a caller does to start a playback: the slider over the frames, the window
    // sized for the animation at (20, 150), frame 0 shown for its delay, then the player and its
    // controls shown.
    void StartPlayback();
    // The client area for the builder's animation size; left as it is when a side equals
    // the screen's room.
    void FitToAnimation();

    // Handlers.
    void TimerTimer();
    void FormShow();
    void FormClose();

    // Play state: the timer runs.
    bool TimerEnabled() const { return State.Playing; }
    void SetTimerEnabled(bool enabled);
    int TimerInterval() const { return State.Interval; }
    // Frame i of the builder on screen.
    void ShowFrame(int32_t index);
    // What the controls ask: stop, play, a step, the slider moved, or closing.
    void Command(TPlayerCommand command, int position);

    TPlayerState State;
    QScrollArea* ScrollBox = nullptr;
    QLabel* Image1 = nullptr; // the frame on screen
    QTimer* Timer = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    const std::vector<TAnimImg>& Frames() const;
    void ApplyTimer();
    // The slider follows a shown frame.
    void MoveSlider(int32_t position);
    // A step's frame on screen, with the slider following.
    void Show(const std::optional<TPlayerShow>& shown);

    TPlayback& playback_;
};

} // namespace orv::ui
