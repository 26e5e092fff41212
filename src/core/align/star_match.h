// The whole-pixel offset that brings a frame's stars onto a reference's. Every star of the
// frame paired with every star of the reference proposes an offset; the offset most pairs
// agree on (within a pixel) is checked star by star, and kept only when more stars match than
// chance would give on a field of that density, so another field is refused rather than
// moved at random. A moving object or a hot pixel is one vote against many.
#pragma once

#include "core/align/star_finder.h"
#include "core/base/errors.h"

#include <cstdint>
#include <vector>

namespace orv {

// A frame that cannot be aligned, with the reason as the user reads it.
class EAlignError : public EOrvanelError {
  public:
    using EOrvanelError::EOrvanelError;
};

// A move by whole pixels: pixel (x, y) of the frame goes to (x + X, y + Y), Y counted upwards.
struct TOffset {
    int32_t X = 0;
    int32_t Y = 0;
    bool operator==(const TOffset&) const = default;
};

inline constexpr size_t kMinStars = 3;

struct TStarMatch {
    TOffset Offset;
    size_t Matched = 0; // stars of the frame found on the reference's after the move
};

// The offset that moves `frame`'s stars onto `reference`'s, in a width x height field (the
// frame's, for the chance a star lands on another by accident). EAlignError with fewer than
// kMinStars stars on either side or without enough stars in common.
TStarMatch MatchStars(const std::vector<TStar>& reference, const std::vector<TStar>& frame, int32_t width,
                      int32_t height);

} // namespace orv
