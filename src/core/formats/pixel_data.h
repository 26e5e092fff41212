// Helpers shared by the camera-format readers: little-endian fields read from a buffer
// that may be shorter than the field (missing bytes read as 0), the compressed rows of
// the PIC and CPA files, and the sanity rule for the size a header announces.
// Nothing here reads outside the buffer it is given.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

namespace orv {

// A field of `size` bytes at `at`; bytes past the end of `in` read as 0.
inline void ReadField(std::span<const uint8_t> in, size_t at, void* out, size_t size) {
    std::memset(out, 0, size);
    if (at < in.size()) std::memcpy(out, in.data() + at, std::min(size, in.size() - at));
}

inline uint16_t ReadU16(std::span<const uint8_t> in, size_t at) {
    uint8_t b[2];
    ReadField(in, at, b, 2);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}
inline int16_t ReadI16(std::span<const uint8_t> in, size_t at) {
    return static_cast<int16_t>(ReadU16(in, at));
}
inline int32_t ReadI32(std::span<const uint8_t> in, size_t at) {
    uint8_t b[4];
    ReadField(in, at, b, 4);
    return static_cast<int32_t>(b[0] | (b[1] << 8) | (b[2] << 16) | (uint32_t(b[3]) << 24));
}
inline double ReadF64(std::span<const uint8_t> in, size_t at) {
    double v;
    ReadField(in, at, &v, 8); // the machine is little-endian, as the files are
    return v;
}

// How a compressed row codes the pixels after its first one.
enum class TRowCoding {
    Pic, // byte 128 escapes a 16-bit value; any other byte is a signed difference
    Cpa, // byte 255 escapes a 16-bit value; any other byte b adds b - 127
};

// Decodes `height` compressed rows from `in` into `out`, which holds width x height
// 16-bit little-endian values already set to 0. Each row is a signed 16-bit length word;
// a length of 2 x width announces a plain row. Decoding stops at the end of `in`: what
// the file does not reach stays 0.
void DecodeCompressedRows(std::span<const uint8_t> in, int32_t width, int32_t height, uint8_t* out,
                          TRowCoding coding);

// A short file is filled with zeros, but the image it announces must stay within reach
// of the bytes it has (compressed rows at most double them), give or take a modest
// allowance, so that a header alone never makes a huge allocation.
bool AnnouncedSizeIsSane(uint64_t dataBytes, uint64_t fileBytes);

inline const std::string kBadImageSize = "Taille d'image incorrecte !";

} // namespace orv
