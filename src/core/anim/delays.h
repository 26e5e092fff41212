// Frame delays: set by hand from the delay field, made equal, or derived from the frames'
// observation times. Delays are 16-bit counts of hundredths of a second.
#pragma once

#include "core/anim/anim_frame.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orv {

// The longest delay a GIF file can store; the delay field holds 0..kMaxDelay, so showing a
// frame's delay there never changes it.
inline constexpr uint16_t kMaxDelay = 65535;

// The delay field's text as a delay: 0 when it is no whole number, held within 0..kMaxDelay.
uint16_t SpinValue(const std::string& text);

// The delay field changed: when its text is not empty, the animation is modified (if it has
// frames) and every selected frame takes the value.
void SpinInterChange(std::vector<TAnimImg>& frames, bool& modified, const std::string& text);

// "Délais identiques": every frame takes the value; the modified flag stays.
void BitEgual(std::vector<TAnimImg>& frames, uint16_t value);

// "Régler automatiquement les délais". More than two frames: each frame's Seconds from its
// Time; frame 0's delay sets the rate (|delay0 / gap0|, 1 when the gap is 0) and frame i gets
// |round(rate x gap_i)|, halves to even, at most kMaxDelay; the last frame repeats the one
// before. gap_i is s[i+1] - s[i] folded into -12 h..12 h: a step back of more than twelve
// hours is the next day (23:59:00 then 00:01:00 is two minutes). Two frames: the second copies the first's
// delay. Fewer: nothing. A time piece that is no number throws EConvertError before any delay changes.
void BitAuto(std::vector<TAnimImg>& frames, bool& modified);

// A delay of 0 or 1 hundredth is played as 10 by browsers and most players (and by ours).
inline constexpr uint16_t kShortDelayPlayed = 10;
constexpr bool IsShortDelay(uint16_t delay) {
    return delay <= 1;
}

// The frames (0-based) whose delay is short: the builder marks them.
std::vector<size_t> ShortDelayFrames(const std::vector<TAnimImg>& frames);

// The warning for the frames (numbered from 1 in the order of `delays`) whose delay is short,
// naming at most the first ten: "Attention : l'image 3 a un délai de 0 ou 1 centième, joué à
// 10 centièmes par les navigateurs"; empty when there is none.
std::string ShortDelayWarning(const std::vector<uint16_t>& delays);

// "Porter à 2 centièmes": every delay of 0 or 1 becomes 2. Whether one changed.
bool RaiseShortDelays(std::vector<TAnimImg>& frames);

// BitAuto's steps, for frames that come one at a time: the gap between two times of day
// folded into -12 h..12 h, the rate set by the first frame, and the delay of a gap.
double TimeGap(double fromSeconds, double toSeconds);
double AutoDelayRate(uint16_t firstDelay, double firstGap);
uint16_t AutoDelay(double rate, double gap);

} // namespace orv
