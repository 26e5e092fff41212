// The sample comet series: frames a few minutes apart in which a comet (a bright nucleus in
// a coma, and a faint tail pointing away from the Sun) crosses a field of fixed stars at a
// steady rate, so its path matches the observation times.
#pragma once

#include <cstdint>
#include <string>

namespace orv::sample {

constexpr int kCometFrames = 10;

// Writes folder/comet01.fit ... comet10.fit (the folder is created). The stars come from the
// seed; each frame's noise from the seed and its number. With `colour`, the frames are the
// RGGB mosaics of a one-shot colour camera (BAYERPAT = 'RGGB').
void WriteCometSeries(const std::string& folder, int width, int height, uint64_t seed, bool colour = false);

} // namespace orv::sample
