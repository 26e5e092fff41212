#include "ui/image/display_picture.h"

#include "core/base/bitmap.h"

#include <cstring>
#include <span>

namespace orv::ui {

namespace {

uint32_t Get32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24);
}
uint16_t Get16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

// The rendered images' own layout: 8 bits, uncompressed, bottom-up, 256 colours after a
// 40-byte info header. Kept paletted: the rows are copied top row first and the colour table
// is the palette, so building costs one copy; painting converts only what is painted.
QImage FromRenderedBitmap(const std::vector<uint8_t>& s) {
    if (s.size() < kPalettedBmpDataOffset || s[0] != 'B' || s[1] != 'M') return {};
    const uint8_t* h = s.data();
    const uint32_t offset = Get32(h + 10);
    const int32_t width = static_cast<int32_t>(Get32(h + 18));
    const int32_t height = static_cast<int32_t>(Get32(h + 22));
    if (Get32(h + 14) != 40 || Get16(h + 28) != 8 || Get32(h + 30) != 0 || offset < kPalettedBmpDataOffset ||
        width <= 0 || height <= 0)
        return {};
    const uint64_t stride = (static_cast<uint64_t>(width) + 3) / 4 * 4;
    if (offset + stride * static_cast<uint64_t>(height) > s.size()) return {};
    const uint32_t used = Get32(h + 46);
    if (used != 0 && used != 256) return {};
    QList<QRgb> colors(256);
    for (int i = 0; i < 256; ++i) {
        const uint8_t* e = h + 54 + 4 * i;
        colors[i] = qRgb(e[2], e[1], e[0]);
    }
    QImage picture(width, height, QImage::Format_Indexed8);
    if (picture.isNull()) return {};
    picture.setColorTable(colors);
    for (int32_t y = 0; y < height; ++y)
        std::memcpy(picture.scanLine(y), h + offset + stride * static_cast<uint64_t>(height - 1 - y),
                    static_cast<size_t>(width));
    return picture;
}

} // namespace

QImage DisplayPicture(const std::vector<uint8_t>& stream) {
    QImage fast = FromRenderedBitmap(stream);
    if (!fast.isNull()) return fast;
    try {
        const TBitmap bitmap = TBitmap::FromBmpFile(std::span<const uint8_t>(stream.data(), stream.size()));
        QImage picture(bitmap.Width, bitmap.Height, QImage::Format_RGB32);
        if (picture.isNull()) return {};
        for (int32_t y = 0; y < bitmap.Height; ++y) {
            auto* out = reinterpret_cast<uint32_t*>(picture.scanLine(y));
            for (int32_t x = 0; x < bitmap.Width; ++x) {
                const uint32_t c = bitmap.PixelColor(x, y); // red in the low byte
                out[x] = 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
            }
        }
        return picture;
    } catch (const EOrvanelError&) {
        return {};
    }
}

QImage TrueColourPicture(const TBitmap& bitmap) {
    QImage picture(bitmap.Width, bitmap.Height, QImage::Format_RGB32);
    if (picture.isNull() || bitmap.BitCount != 24 ||
        bitmap.Pixels.size() < size_t(bitmap.Width) * size_t(bitmap.Height) * 3)
        return {};
    const uint8_t* in = bitmap.Pixels.data();
    for (int32_t y = 0; y < bitmap.Height; ++y) {
        auto* out = reinterpret_cast<uint32_t*>(picture.scanLine(y));
        for (int32_t x = 0; x < bitmap.Width; ++x, in += 3)
            out[x] = 0xFF000000u | (uint32_t(in[2]) << 16) | (uint32_t(in[1]) << 8) | in[0];
    }
    return picture;
}

} // namespace orv::ui
