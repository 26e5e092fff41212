#include "core/anim/player_state.h"

#include "core/anim/delays.h"

#include <algorithm>

namespace orv {

int32_t TimerInterval(uint16_t delay) {
    return int32_t(IsShortDelay(delay) ? kShortDelayPlayed : delay) * 10;
}

void TPlayerState::Start() {
    CurrentFrame = 0;
    Playing = true;
}

std::optional<TPlayerShow> TPlayerState::ShowCurrent() {
    return TPlayerShow{CurrentFrame, CurrentFrame};
}

std::optional<TPlayerShow> TPlayerState::Tick(const std::vector<TAnimImg>& frames) {
    const auto count = static_cast<int32_t>(frames.size());
    if (count == 0) return std::nullopt;
    if (CurrentFrame < 0 || CurrentFrame >= count) CurrentFrame = 0;
    Interval = TimerInterval(frames[CurrentFrame].Delay);
    const TPlayerShow shown{CurrentFrame, CurrentFrame};
    CurrentFrame = CurrentFrame + 1 == count ? 0 : CurrentFrame + 1;
    return shown;
}

std::optional<TPlayerShow> TPlayerState::First(const std::vector<TAnimImg>& frames) {
    if (Playing || frames.empty()) return std::nullopt;
    CurrentFrame = 0;
    return ShowCurrent();
}

std::optional<TPlayerShow> TPlayerState::Last(const std::vector<TAnimImg>& frames) {
    if (Playing || frames.empty()) return std::nullopt;
    CurrentFrame = static_cast<int32_t>(frames.size()) - 1;
    return ShowCurrent();
}

std::optional<TPlayerShow> TPlayerState::Previous(const std::vector<TAnimImg>& frames) {
    if (Playing || frames.empty()) return std::nullopt;
    const auto count = static_cast<int32_t>(frames.size());
    CurrentFrame = CurrentFrame <= 0 || CurrentFrame > count ? count - 1 : CurrentFrame - 1;
    return ShowCurrent();
}

std::optional<TPlayerShow> TPlayerState::Next(const std::vector<TAnimImg>& frames) {
    if (Playing || frames.empty()) return std::nullopt;
    const auto count = static_cast<int32_t>(frames.size());
    CurrentFrame = CurrentFrame >= count - 1 || CurrentFrame < 0 ? 0 : CurrentFrame + 1;
    return ShowCurrent();
}

std::optional<TPlayerShow> TPlayerState::SliderMoved(const std::vector<TAnimImg>& frames, int32_t position) {
    if (Playing || frames.empty()) return std::nullopt;
    CurrentFrame = std::clamp(position, 0, static_cast<int32_t>(frames.size()) - 1);
    return ShowCurrent();
}

std::optional<TClientSize> FitToAnimation(int32_t width, int32_t height, const TScreenMetrics& m) {
    const int32_t w = m.ScreenWidth - 2 * m.BorderWidth - 6;
    const int32_t h = m.ScreenHeight - 2 * m.BorderHeight - m.CaptionHeight - 6;
    if (width > w && height > h) return TClientSize{w, h};
    if (width < w && height > h) return TClientSize{width + m.VScrollWidth, h};
    if (width > w && height < h) return TClientSize{w, height + m.HScrollHeight};
    if (width < w && height < h) return TClientSize{width, height};
    return std::nullopt;
}

} // namespace orv
