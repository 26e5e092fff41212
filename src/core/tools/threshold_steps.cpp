#include "core/tools/threshold_steps.h"

namespace orv {

namespace {

int32_t StepOf(const TSteps& steps, TStepSize size) {
    return size == TStepSize::Large ? steps.Large : steps.Small;
}

} // namespace

void Brightness(TThresholdState& s, bool brighter, TStepSize size) {
    const bool down = brighter != IsInverted(s);
    const int64_t step = StepOf(s.Steps, size);
    const int64_t delta = down ? -step : step;
    const int32_t limit = down ? kBarMin : kBarMax;
    auto passes = [&](int64_t target) { return down ? target < limit : target > limit; };
    const int64_t high = int64_t{s.HighBar} + delta, low = int64_t{s.LowBar} + delta;
    const bool highOut = passes(high), lowOut = passes(low);
    if (!highOut && !lowOut) {
        s.HighBar = BarPosition(high);
        s.LowBar = BarPosition(low);
    } else if (highOut && !lowOut) {
        const int64_t moved = int64_t{limit} - s.HighBar;
        s.HighBar = limit;
        s.LowBar = BarPosition(s.LowBar + moved);
    } else if (lowOut && !highOut) {
        const int64_t moved = int64_t{limit} - s.LowBar;
        s.LowBar = limit;
        s.HighBar = BarPosition(s.HighBar + moved);
    }
    ApplyBars(s);
}

int32_t HalfStep(const TSteps& steps, TStepSize size) {
    if (size == TStepSize::Small && steps.Small == 1) return 1;
    return StepOf(steps, size) / 2;
}

void ContrastUp(TThresholdState& s, TStepSize size) {
    // The bar that shows the larger threshold is the low one in inverted orientation.
    const bool inverted = IsInverted(s);
    int32_t& top = inverted ? s.LowBar : s.HighBar;
    int32_t& bottom = inverted ? s.HighBar : s.LowBar;
    const int64_t d = HalfStep(s.Steps, size);
    const int64_t newTop = top - d, newBottom = bottom + d;
    if (newBottom < newTop) {
        top = BarPosition(newTop);
        bottom = BarPosition(newBottom);
    }
    ApplyBars(s);
}

void ContrastDown(TThresholdState& s, TStepSize size) {
    const bool inverted = IsInverted(s);
    int32_t& top = inverted ? s.LowBar : s.HighBar;
    int32_t& bottom = inverted ? s.HighBar : s.LowBar;
    const int64_t d = HalfStep(s.Steps, size);
    const int64_t newTop = top + d, newBottom = bottom - d;
    const bool topOut = newTop > kBarMax, bottomOut = newBottom < kBarMin;
    if (!topOut && !bottomOut) {
        top = BarPosition(newTop);
        bottom = BarPosition(newBottom);
    } else if (bottomOut && !topOut) {
        const int64_t moved = int64_t{bottom} - kBarMin;
        bottom = kBarMin;
        top = BarPosition(top + moved);
    } else if (topOut && !bottomOut) {
        const int64_t moved = int64_t{kBarMax} - top;
        top = kBarMax;
        bottom = BarPosition(bottom - moved);
    }
    ApplyBars(s);
}

} // namespace orv
