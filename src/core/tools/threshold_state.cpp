#include "core/tools/threshold_state.h"

#include "core/base/errors.h"
#include "core/text/number_text.h"
#include "core/text/rounding.h"

#include <algorithm>

namespace orv {

namespace {

// One threshold's bar, edit text and document value, and the bound its edit enforces.
struct TSide {
    int32_t TThresholdState::*Bar;
    std::string TThresholdState::*Text;
    double TThresholdState::*Threshold;
    bool Low; // the low edit enforces kBarMin, the high edit kBarMax
};

constexpr TSide kLowSide{&TThresholdState::LowBar, &TThresholdState::LowText, &TThresholdState::LowThreshold,
                         true};
constexpr TSide kHighSide{&TThresholdState::HighBar, &TThresholdState::HighText,
                          &TThresholdState::HighThreshold, false};

// A threshold text: any real number (a CPA file's 12.5, a typed 2.25). Any other text keeps
// the message users of the dialog know.
double ThresholdOf(const std::string& text) {
    try {
        return StrToFloat(text);
    } catch (const EConvertError&) {
        throw EConvertError("'" + text + "' n'est pas une valeur entière correcte");
    }
}

void Enter(TThresholdState& s, const TSide& side, const std::string& text) {
    s.*side.Text = text;
    double value = ThresholdOf(text);
    const int32_t bound = side.Low ? kBarMin : kBarMax;
    if (side.Low ? value < bound : value > bound) {
        value = bound;
        s.*side.Text = std::to_string(bound);
    }
    s.*side.Bar = RoundClamped(value, kBarMin, kBarMax);
    s.*side.Threshold = value;
    ApplyThresholds(s);
}

void Scroll(TThresholdState& s, const TSide& side, int32_t position) {
    s.*side.Bar = BarPosition(position);
    s.*side.Text = std::to_string(s.*side.Bar);
    s.*side.Threshold = s.*side.Bar;
    ApplyThresholds(s);
}

} // namespace

TSteps StepsOf(TSpeed speed) {
    switch (speed) {
    case TSpeed::Fast:
        return {400, 4000};
    case TSpeed::Slow:
        return {1, 10};
    case TSpeed::Normal:
        break;
    }
    return {100, 1000};
}

int32_t BarPosition(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, kBarMin, kBarMax));
}

bool IsInverted(double low, double high) {
    return low >= high;
}

bool IsInverted(const TThresholdState& s) {
    return IsInverted(s.LowThreshold, s.HighThreshold);
}

void PushThresholds(TThresholdState& s, double high, double low) {
    s.HighThreshold = high;
    s.LowThreshold = low;
    s.HighBar = RoundClamped(high, kBarMin, kBarMax);
    s.LowBar = RoundClamped(low, kBarMin, kBarMax);
    s.HighText = FormatReal15(high);
    s.LowText = FormatReal15(low);
}

void ApplyThresholds(TThresholdState& s) {
    s.LowThreshold = ThresholdOf(s.LowText);
    s.HighThreshold = ThresholdOf(s.HighText);
}

void ApplyBars(TThresholdState& s) {
    s.HighText = std::to_string(s.HighBar);
    s.LowText = std::to_string(s.LowBar);
    ApplyThresholds(s);
}

void EnterLow(TThresholdState& s, const std::string& text) {
    Enter(s, kLowSide, text);
}

void EnterHigh(TThresholdState& s, const std::string& text) {
    Enter(s, kHighSide, text);
}

void ScrollLow(TThresholdState& s, int32_t position) {
    Scroll(s, kLowSide, position);
}

void ScrollHigh(TThresholdState& s, int32_t position) {
    Scroll(s, kHighSide, position);
}

} // namespace orv
