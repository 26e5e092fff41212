#include "core/base/bitmap.h"

#include <cstring>
#include <limits>

namespace orv {

namespace {

uint32_t Get16(std::span<const uint8_t> b, size_t at) {
    return b[at] | (b[at + 1] << 8);
}
uint32_t Get32(std::span<const uint8_t> b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}
void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t(v >> (8 * i));
}

// Expands a masked channel to 8 bits.
uint8_t Channel(uint32_t pixel, uint32_t mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    uint32_t bits = mask >> shift;
    int width = 0;
    while (width < 32 && ((bits >> width) & 1))
        ++width; // a mask of all 32 bits ends the count
    uint32_t v = (pixel & mask) >> shift;
    uint32_t max = (width >= 32) ? 0xFFFFFFFFu : ((1u << width) - 1);
    return static_cast<uint8_t>((uint64_t(v) * 255 + max / 2) / max);
}

} // namespace

TBmpLayout ReadBmpLayout(std::span<const uint8_t> f) {
    const EBitmapError invalid("Image bitmap incorrecte");
    if (f.size() < 26 || f[0] != 'B' || f[1] != 'M') throw invalid;
    const uint32_t dataOffset = Get32(f, 10);
    const uint32_t infoSize = Get32(f, 14);
    int64_t width, height;
    uint32_t planes, bitCount, compression = 0, colorsUsed = 0;
    size_t tableAt = 14 + infoSize, entrySize = 4;
    if (infoSize == 12) {
        width = Get16(f, 18);
        height = static_cast<int16_t>(Get16(f, 20));
        planes = Get16(f, 22);
        bitCount = Get16(f, 24);
        entrySize = 3;
    } else if (infoSize >= 40 && f.size() >= 54 && infoSize <= f.size() - 14) {
        width = static_cast<int32_t>(Get32(f, 18));
        height = static_cast<int32_t>(Get32(f, 22));
        planes = Get16(f, 26);
        bitCount = Get16(f, 28);
        compression = Get32(f, 30);
        colorsUsed = Get32(f, 46);
    } else {
        throw invalid;
    }
    if (planes != 1 || width <= 0 || height == 0) throw invalid;
    TBmpLayout layout;
    layout.TopDown = height < 0;
    if (layout.TopDown) height = -height;

    uint32_t* masks = layout.Masks;
    if (compression == 3 && (bitCount == 16 || bitCount == 32)) {
        // Bit fields follow a 40-byte header, or lie inside a larger one.
        if (f.size() < 66) throw invalid;
        if (infoSize == 40) tableAt += 12;
        for (int i = 0; i < 3; ++i)
            masks[i] = Get32(f, 54 + 4 * i);
    } else if (compression != 0) {
        throw invalid;
    } else if (bitCount == 16) {
        masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    } else if (bitCount == 32) {
        masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    }
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        throw invalid;

    const uint64_t stride = (uint64_t(width) * bitCount + 31) / 32 * 4;
    if (dataOffset > f.size() || stride * uint64_t(height) > f.size() - dataOffset) throw invalid;
    layout.Width = static_cast<int32_t>(width);
    layout.Height = static_cast<int32_t>(height);
    layout.BitCount = static_cast<int>(bitCount);
    layout.DataOffset = dataOffset;
    layout.Stride = static_cast<size_t>(stride);
    if (bitCount <= 8) {
        uint32_t count = colorsUsed ? colorsUsed : (1u << bitCount);
        if (count > 256) count = 256;
        if (tableAt > f.size() || uint64_t(count) * entrySize > f.size() - tableAt) throw invalid;
        // Indices past the colour table show as black rather than read beyond it.
        layout.Palette.assign(256, 0);
        for (uint32_t i = 0; i < count; ++i) {
            const size_t e = tableAt + i * entrySize;
            layout.Palette[i] = MakeColor(f[e + 2], f[e + 1], f[e]);
        }
    }
    return layout;
}

const uint8_t* TBmpLayout::Row(std::span<const uint8_t> file, int32_t y) const {
    const size_t fileRow = TopDown ? size_t(y) : size_t(Height) - 1 - size_t(y);
    return file.data() + DataOffset + fileRow * Stride;
}

TBitmap TBitmap::FromBmpFile(std::span<const uint8_t> f) {
    TBmpLayout layout = ReadBmpLayout(f);
    const int bitCount = layout.BitCount;
    const uint32_t* masks = layout.Masks;
    TBitmap bmp;
    bmp.Width = layout.Width;
    bmp.Height = layout.Height;
    bmp.BitCount = bitCount <= 8 ? 8 : 24;
    bmp.Palette = std::move(layout.Palette);
    const size_t w = static_cast<size_t>(bmp.Width), h = static_cast<size_t>(bmp.Height);
    bmp.Pixels.resize(w * h * (bmp.BitCount / 8));
    for (size_t y = 0; y < h; ++y) {
        const uint8_t* src = layout.Row(f, int32_t(y));
        uint8_t* dst = bmp.Pixels.data() + y * w * (bmp.BitCount / 8);
        if (bitCount == 8 || bitCount == 24) { // stored as they are kept: the row at once
            std::memcpy(dst, src, w * size_t(bitCount / 8));
            continue;
        }
        for (size_t x = 0; x < w; ++x) {
            switch (bitCount) {
            case 1:
                dst[x] = (src[x / 8] >> (7 - x % 8)) & 1;
                break;
            case 4:
                dst[x] = (src[x / 2] >> (x % 2 ? 0 : 4)) & 15;
                break;
            case 16:
            case 32: {
                const uint32_t p = bitCount == 16
                                       ? uint32_t(src[2 * x] | (src[2 * x + 1] << 8))
                                       : uint32_t(src[4 * x] | (src[4 * x + 1] << 8) |
                                                  (src[4 * x + 2] << 16) | (uint32_t(src[4 * x + 3]) << 24));
                dst[3 * x] = Channel(p, masks[2]);
                dst[3 * x + 1] = Channel(p, masks[1]);
                dst[3 * x + 2] = Channel(p, masks[0]);
                break;
            }
            }
        }
    }
    return bmp;
}

std::vector<uint8_t> TBitmap::ToBmpFile() const {
    const size_t bytesPerPixel = BitCount / 8;
    const size_t stride = (size_t(Width) * bytesPerPixel + 3) / 4 * 4;
    const size_t table = BitCount == 8 ? 1024 : 0;
    const size_t offset = 54 + table;
    std::vector<uint8_t> out(offset + stride * size_t(Height), 0);
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, static_cast<uint32_t>(out.size()));
    Put32(out, 10, static_cast<uint32_t>(offset));
    Put32(out, 14, 40);
    Put32(out, 18, static_cast<uint32_t>(Width));
    Put32(out, 22, static_cast<uint32_t>(Height));
    Put16(out, 26, 1);
    Put16(out, 28, static_cast<uint32_t>(BitCount));
    Put32(out, 34, static_cast<uint32_t>(stride * size_t(Height)));
    if (BitCount == 8) {
        Put32(out, 46, 256);
        for (size_t i = 0; i < 256 && i < Palette.size(); ++i) {
            const uint32_t c = Palette[i];
            out[54 + 4 * i] = uint8_t(c >> 16);
            out[55 + 4 * i] = uint8_t(c >> 8);
            out[56 + 4 * i] = uint8_t(c);
        }
    }
    for (size_t y = 0; y < size_t(Height); ++y)
        std::memcpy(out.data() + offset + (size_t(Height) - 1 - y) * stride,
                    Pixels.data() + y * size_t(Width) * bytesPerPixel, size_t(Width) * bytesPerPixel);
    return out;
}

uint32_t TBitmap::PixelColor(int32_t x, int32_t y) const {
    const size_t i = size_t(y) * size_t(Width) + size_t(x);
    if (BitCount == 8) {
        const uint8_t index = Pixels[i];
        return index < Palette.size() ? Palette[index] : 0;
    }
    const uint8_t* p = Pixels.data() + 3 * i;
    return MakeColor(p[2], p[1], p[0]);
}

} // namespace orv
