#include "core/image/bin_counts.h"

#include <cstring>
#include <memory>

namespace orv {

void TBinCounts::Clear() {
    std::memset(Ways, 0, sizeof Ways);
    added_ = 0;
}

const uint64_t* TBinCounts::Sum() {
    for (size_t b = 0; b < kCountBins; ++b)
        Counts[b] = uint64_t{Ways[0][b]} + Ways[1][b] + Ways[2][b] + Ways[3][b];
    return Counts;
}

TBinCounts& BinCounts() {
    static thread_local std::unique_ptr<TBinCounts> counts = std::make_unique<TBinCounts>();
    return *counts;
}

const uint64_t* CountInt16Values(const uint8_t* in, size_t count) {
    TBinCounts& w = BinCounts();
    w.Clear();
    auto bin = [in](size_t k) -> size_t {
        uint16_t v; // little-endian, as the machine
        std::memcpy(&v, in + 2 * k, 2);
        return static_cast<size_t>(v ^ 0x8000u);
    };
    size_t k = 0;
    for (; k + 4 <= count; k += 4) { // unrolled over the four tables
        ++w.Ways[0][bin(k)];
        ++w.Ways[1][bin(k + 1)];
        ++w.Ways[2][bin(k + 2)];
        ++w.Ways[3][bin(k + 3)];
    }
    for (; k < count; ++k)
        ++w.Ways[0][bin(k)];
    return w.Sum();
}

} // namespace orv
