// The animation player without its window: which frame the next timer tick shows, the
// transport steps, the timer interval, and the size of the player window.
#pragma once

#include "core/anim/anim_frame.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace orv {

// The timer interval that shows a frame for its delay: Delay x 10 ms. A delay of 0 or 1 plays
// as 100 ms, as browsers play it, so that the player shows what the web will: a GIF written
// with 0 means "no delay given", not "as fast as the machine can", and a zero timer would
// never let the window breathe.
int32_t TimerInterval(uint16_t delay);

// A frame to put on screen, with the slider position that goes with it.
struct TPlayerShow {
    int32_t Frame = 0;
    int32_t Slider = 0;
    bool operator==(const TPlayerShow&) const = default;
};

class TPlayerState {
  public:
    // While playing: the frame the next tick shows. After a step: the frame on screen.
    int32_t CurrentFrame = 0;
    bool Playing = false;    // the timer is enabled
    int32_t Interval = 1000; // ms, until the first tick sets it

    // A caller starts a playback: back to frame 0, playing (the interval stays as it was).
    void Start();
    // "Stop", "Marche", and closing the player.
    void Stop() { Playing = false; }
    void Play() { Playing = true; }

    // A timer tick: the interval becomes the frame's delay, the frame is shown, and
    // CurrentFrame moves on, back to 0 after the last. Nothing with no frames.
    std::optional<TPlayerShow> Tick(const std::vector<TAnimImg>& frames);

    // "Début", "Fin", "Image précedente", "Image suivante" and the slider: only while stopped
    // and with frames; nothing otherwise.
    std::optional<TPlayerShow> First(const std::vector<TAnimImg>& frames);
    std::optional<TPlayerShow> Last(const std::vector<TAnimImg>& frames);
    std::optional<TPlayerShow> Previous(const std::vector<TAnimImg>& frames);
    std::optional<TPlayerShow> Next(const std::vector<TAnimImg>& frames);
    std::optional<TPlayerShow> SliderMoved(const std::vector<TAnimImg>& frames, int32_t position);

  private:
    std::optional<TPlayerShow> ShowCurrent();
};

// The screen as the platform measures it.
struct TScreenMetrics {
    int32_t ScreenWidth = 0, ScreenHeight = 0;
    int32_t BorderWidth = 0, BorderHeight = 0;
    int32_t CaptionHeight = 0;
    int32_t VScrollWidth = 0;  // width of a vertical scroll bar
    int32_t HScrollHeight = 0; // height of a horizontal scroll bar
};

struct TClientSize {
    int32_t Width = 0, Height = 0;
    bool operator==(const TClientSize&) const = default;
};

// The player's client area for an animation of width x height: the animation itself when it
// fits the screen, else the screen's room with a scroll bar's width or height added to the
// side that fits. Comparisons are strict: a side exactly as large as the room keeps the
// previous size (nothing returned). The picture is never scaled.
std::optional<TClientSize> FitToAnimation(int32_t width, int32_t height, const TScreenMetrics& m);

} // namespace orv
