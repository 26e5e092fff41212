// Frame delays: set by hand from the delay field, made equal, or derived from the frames'
// observation times. Delays are 16-bit counts of hundredths of a second.
#pragma once

#include "core/anim/anim_frame.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orv {

// The delay field's text as a delay: 0 when it is no whole number, held within 0..1000 as the
// field itself holds it.
uint16_t SpinValue(const std::string& text);

// The delay field changed: when its text is not empty, the animation is modified (if it has
// frames) and every selected frame takes the value.
void SpinInterChange(std::vector<TAnimImg>& frames, bool& modified, const std::string& text);

// "Délais identiques": every frame takes the value; the modified flag stays.
void BitEgual(std::vector<TAnimImg>& frames, uint16_t value);

// "Régler automatiquement les délais". More than two frames: each frame's Seconds from its
// Time; frame 0's delay sets the rate (|delay0 / (s1 - s0)|, 1 when the two times are equal)
// and frame i gets |round(rate x (s[i+1] - s[i]))|, halves to even, at most 65535; the last
// frame repeats the one before. Two frames: the second copies the first's delay. Fewer:
// nothing. A time piece that is no number throws EConvertError before any delay changes.
void BitAuto(std::vector<TAnimImg>& frames, bool& modified);

} // namespace orv
