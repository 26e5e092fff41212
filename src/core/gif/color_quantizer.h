// Median cut: reduces a set of colours, each with its pixel count, to at most maxColors
// representative colours. Boxes of colours are split at the weighted median of their widest
// channel, largest (pixels x extent) first; each box is shown by its pixels' mean colour.
#pragma once

#include <cstdint>
#include <vector>

namespace orv {

struct TColorCount {
    uint32_t Color; // platform colour, red in the low byte
    uint64_t Count; // pixels of that colour
};

struct TQuantized {
    std::vector<uint32_t> BoxOf;     // for each input colour, its box
    std::vector<uint32_t> BoxColors; // the platform colour of each box
};

// Colours must be distinct; maxColors at least 1.
TQuantized MedianCut(const std::vector<TColorCount>& colors, int maxColors);

} // namespace orv
