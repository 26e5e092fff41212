// Counting into 65536 bins, as the statistics, the histogram and the robust figures do for
// 16-bit values: four interleaved tables, so that a run of one value does not wait on its own
// increments, summed at the end. The tables belong to the calling thread and live for the
// whole run: no allocation per count.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orv {

inline constexpr size_t kCountBins = 65536;

class TBinCounts {
  public:
    static constexpr size_t kWays = 4;

    // Every bin to 0.
    void Clear();
    // One more in bin b (< kCountBins); the n-th call of a count goes to table n % kWays.
    void Add(size_t b) { ++Ways[added_++ % kWays][b]; }
    // The sums of the tables into Counts; returns Counts.
    const uint64_t* Sum();

    uint32_t Ways[kWays][kCountBins];
    uint64_t Counts[kCountBins]; // after Sum
  private:
    size_t added_ = 0;
};

// The calling thread's tables.
TBinCounts& BinCounts();

// The counts of the whole values -32768..32767 (index value + 32768) of `count` little-endian
// 16-bit values at `in`, in BinCounts().Counts.
const uint64_t* CountInt16Values(const uint8_t* in, size_t count);

} // namespace orv
