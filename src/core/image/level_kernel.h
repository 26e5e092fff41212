// The display levels of 16-bit values computed with vector arithmetic instead of one table
// look-up per pixel (values whose level is a near tie still come from the table). The vector
// path is used only after it has given, for every one of the 65536 possible values, exactly
// the level of the reference table; otherwise the table is used for every pixel.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orv {

class TInt16LevelMapper {
  public:
    // level: 65536 display levels indexed by the value's 16 bits (uint16_t(value)), the
    // reference; it must outlive the mapper. low and high: the document's thresholds. The
    // kernels compute linear levels only: for another display function the table is used.
    TInt16LevelMapper(const uint8_t* level, double low, double high, bool linear = true);

    // n little-endian 16-bit values at src to n levels at out.
    void Map(const uint8_t* src, size_t n, uint8_t* out) const;

    bool Vectorised() const { return Kernel != nullptr; }

  private:
    using TKernel = size_t (*)(const uint8_t* src, size_t n, uint8_t* out, const float* params,
                               const uint8_t* level);
    const uint8_t* Level;
    TKernel Kernel = nullptr;
    float Params[5] = {}; // low, 255 / (high - low), -255 * low, high - low, 1 / (high - low)
};

} // namespace orv
