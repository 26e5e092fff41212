#include "core/anim/delays.h"

#include "core/base/errors.h"
#include "core/text/number_text.h"
#include "core/text/rounding.h"
#include "core/text/time_text.h"

#include <algorithm>
#include <cmath>

namespace orv {

namespace {

constexpr double kDay = 86400;

double Gap(const TAnimImg& from, const TAnimImg& to) {
    return TimeGap(from.Seconds, to.Seconds);
}

} // namespace

double TimeGap(double fromSeconds, double toSeconds) {
    return std::remainder(toSeconds - fromSeconds, kDay);
}

double AutoDelayRate(uint16_t firstDelay, double firstGap) {
    return firstGap == 0 ? 1.0 : std::fabs(firstDelay / firstGap);
}

uint16_t AutoDelay(double rate, double gap) {
    const int64_t delay = Round(rate * gap);
    // A wrapped 16-bit delay would be a meaningless time: the longest one is kept instead.
    return static_cast<uint16_t>(std::min<int64_t>(delay < 0 ? -delay : delay, kMaxDelay));
}

uint16_t SpinValue(const std::string& text) {
    int32_t value = 0;
    try {
        value = StrToInt(text);
    } catch (const EConvertError&) {
        value = 0;
    }
    return static_cast<uint16_t>(std::clamp<int32_t>(value, 0, kMaxDelay));
}

void SpinInterChange(std::vector<TAnimImg>& frames, bool& modified, const std::string& text) {
    if (text.empty()) return;
    const uint16_t value = SpinValue(text);
    for (TAnimImg& f : frames) {
        modified = true;
        if (f.Selected) f.Delay = value;
    }
}

void BitEgual(std::vector<TAnimImg>& frames, uint16_t value) {
    for (TAnimImg& f : frames)
        f.Delay = value;
}

void BitAuto(std::vector<TAnimImg>& frames, bool& modified) {
    const size_t n = frames.size();
    if (n == 2) frames[1].Delay = frames[0].Delay;
    if (n <= 2) return;
    modified = true;
    for (TAnimImg& f : frames)
        f.Seconds = TimeToSeconds(f.Time);
    const double rate = AutoDelayRate(frames[0].Delay, Gap(frames[0], frames[1]));
    for (size_t i = 0; i + 1 < n; ++i)
        frames[i].Delay = AutoDelay(rate, Gap(frames[i], frames[i + 1]));
    frames[n - 1].Delay = frames[n - 2].Delay;
}

std::vector<size_t> ShortDelayFrames(const std::vector<TAnimImg>& frames) {
    std::vector<size_t> marked;
    for (size_t k = 0; k < frames.size(); ++k)
        if (IsShortDelay(frames[k].Delay)) marked.push_back(k);
    return marked;
}

std::string ShortDelayWarning(const std::vector<uint16_t>& delays) {
    std::vector<size_t> frames;
    for (size_t k = 0; k < delays.size(); ++k)
        if (IsShortDelay(delays[k])) frames.push_back(k + 1);
    if (frames.empty()) return "";
    const std::string played = " un délai de 0 ou 1 centième, joué à 10 centièmes par les navigateurs";
    if (frames.size() == 1) return "Attention : l'image " + std::to_string(frames[0]) + " a" + played;
    std::string named;
    for (size_t i = 0; i < frames.size() && i < 10; ++i)
        named += (i ? ", " : "") + std::to_string(frames[i]);
    if (frames.size() > 10) named += ", …";
    return "Attention : " + std::to_string(frames.size()) + " images (" + named + ") ont" + played;
}

bool RaiseShortDelays(std::vector<TAnimImg>& frames) {
    bool changed = false;
    for (TAnimImg& f : frames)
        if (IsShortDelay(f.Delay)) {
            f.Delay = 2;
            changed = true;
        }
    return changed;
}

} // namespace orv
