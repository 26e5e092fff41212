// Stars found in a plane of values: local maxima standing well above a background measured
// tile by tile (a sky gradient does not fill one side with false stars), each wider than one
// pixel (a hot pixel or a cosmic-ray hit has dark neighbours), placed at the centroid of its
// light. Only the brightest are kept: they are the ones found again in every frame.
#pragma once

#include "core/align/plane.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace orv {

struct TStar {
    double X = 0; // plane coordinates: the centre of the bottom-left pixel is (0, 0)
    double Y = 0;
    double Flux = 0; // the light above the background in a small window, for the ranking
};

inline constexpr size_t kStarsKept = 60;

// At most `most` stars, the brightest first. Values that are no number are never stars.
std::vector<TStar> FindStars(const TPlane& plane, size_t most = kStarsKept);
// The same on width x height raw values of an image document's pixel type, read in place
// (none for a type without values or a store too short).
std::vector<TStar> FindStars(uint8_t pixelType, int32_t width, int32_t height, std::span<const uint8_t> store,
                             size_t most = kStarsKept);

} // namespace orv
