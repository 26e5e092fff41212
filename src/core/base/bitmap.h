// A decoded device-independent bitmap: the "platform bitmap" of the GIF model and of the
// animation frames. Paletted pictures keep their indices; everything else is 24-bit.
// Parsing checks every size and offset against the bytes given.
#pragma once

#include "core/base/errors.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace orv {

class EBitmapError : public EOrvanelError {
  public:
    using EOrvanelError::EOrvanelError;
};

// A platform colour: red in the low byte, then green, then blue.
constexpr uint32_t MakeColor(uint8_t r, uint8_t g, uint8_t b) {
    return r | (g << 8) | (uint32_t(b) << 16);
}

// Where the pixels start in a paletted (8-bit) Windows bitmap file: the 14-byte file header, the
// 40-byte info header and 256 colours of 4 bytes. The display picture and the PIC and CPA
// readers build such files.
inline constexpr size_t kPalettedBmpDataOffset = 14 + 40 + 256 * 4;

struct TBitmap {
    int32_t Width = 0;
    int32_t Height = 0;
    int BitCount = 8;              // 8 (Pixels are palette indices) or 24 (Pixels are B, G, R)
    std::vector<uint32_t> Palette; // 8-bit pictures: platform colours, at most 256
    std::vector<uint8_t> Pixels;   // top row first, no padding

    // Parses a Windows bitmap file image (1, 4, 8, 16, 24 or 32 bits, uncompressed or
    // bit fields; bottom-up or top-down). Throws EBitmapError on anything else.
    static TBitmap FromBmpFile(std::span<const uint8_t> file);

    // An uncompressed bottom-up Windows bitmap file image (8-bit with a 256-entry colour
    // table, or 24-bit).
    std::vector<uint8_t> ToBmpFile() const;

    // Colour of pixel (x, y), y = 0 the top row.
    uint32_t PixelColor(int32_t x, int32_t y) const;

    bool operator==(const TBitmap&) const = default;
};

// Where a Windows bitmap file keeps its pixels, from its headers, every size and offset checked
// against the file (EBitmapError otherwise): what FromBmpFile decodes, for readers that take
// the rows straight from the file.
struct TBmpLayout {
    int32_t Width = 0;
    int32_t Height = 0;
    int BitCount = 8; // as stored: 1, 4, 8, 16, 24 or 32
    bool TopDown = false;
    size_t DataOffset = 0;
    size_t Stride = 0;
    uint32_t Masks[3] = {0, 0, 0}; // 16 and 32 bits: red, green, blue
    std::vector<uint32_t> Palette; // 1 to 8 bits: 256 platform colours, black past the file's table

    // Row y (0 the top row) of the file the layout was read from.
    const uint8_t* Row(std::span<const uint8_t> file, int32_t y) const;
};

TBmpLayout ReadBmpLayout(std::span<const uint8_t> file);

} // namespace orv
