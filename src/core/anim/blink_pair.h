// Two images compared as a blink comparator shows them: the second moved by whole pixels onto
// the first (on its stars or its sky coordinates), both cut to the part they share, and their
// difference, which shows what moved or changed between them. A colour picture is compared in
// colour, its move found on its luminance (the mean of its channels), which the difference
// takes too.
#pragma once

#include "core/align/star_match.h"
#include "core/anim/anim_frame.h"
#include "core/anim/anim_options.h"
#include "core/anim/frame_region.h"
#include "core/image/display_settings.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace orv {

struct TBlinkPair {
    TOffset Move;            // the second image's move onto the first
    TRawImage First, Second; // both cut to what they share; a colour picture's luminance
    // A colour picture's red, green and blue cut likewise; nothing for a grey image.
    std::optional<std::array<TRawImage, 3>> FirstColour, SecondColour;
    TRawImage Difference;      // first - second, 32-bit reals
    TDisplaySettings Contrast; // the difference's own display: grey, from its median less five
                               // deviations to its median plus five, so that the sky is mid-grey
};

// The pair from two images with raw values, each in colour when its planes (as its window
// shows them, debayered as the source says) are given; EAlignError when the second cannot be aligned on the
// first (or nothing of it is left), EOrvanelError when either has no raw values.
TBlinkPair MakeBlinkPair(const TFrameSource& first, const TFrameSource& second, TAlignMethod method,
                         const TColourPlanes* firstColour = nullptr,
                         const TColourPlanes* secondColour = nullptr);

// The two frames of the blink as an animation saves them: both shown with `display` (a colour
// picture's three channels alike), each with the delay given.
std::vector<TAnimImg> BlinkFrames(const TBlinkPair& pair, const TDisplaySettings& display, uint16_t delay);

} // namespace orv
