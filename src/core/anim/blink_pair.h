// Two images compared as a blink comparator shows them: the second moved by whole pixels onto
// the first (on its stars or its sky coordinates), both cut to the part they share, and their
// difference, which shows what moved or changed between them.
#pragma once

#include "core/align/star_match.h"
#include "core/anim/anim_frame.h"
#include "core/anim/anim_options.h"
#include "core/anim/frame_region.h"
#include "core/image/display_settings.h"

#include <cstdint>
#include <vector>

namespace orv {

struct TBlinkPair {
    TOffset Move;              // the second image's move onto the first
    TRawImage First, Second;   // both cut to what they share
    TRawImage Difference;      // first - second, 32-bit reals
    TDisplaySettings Contrast; // the difference's own display: grey, from its median less five
                               // deviations to its median plus five, so that the sky is mid-grey
};

// The pair from two images with raw values; EAlignError when the second cannot be aligned on
// the first (or nothing of it is left), EOrvanelError when either has no raw values.
TBlinkPair MakeBlinkPair(const TFrameSource& first, const TFrameSource& second, TAlignMethod method);

// The two frames of the blink as an animation saves them: both shown with `display`, each
// with the delay given.
std::vector<TAnimImg> BlinkFrames(const TBlinkPair& pair, const TDisplaySettings& display, uint16_t delay);

} // namespace orv
