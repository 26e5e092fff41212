#include "core/formats/pixel_data.h"

namespace orv {

namespace {

template <TRowCoding Coding>
void DecodeRows(const uint8_t* in, size_t size, int32_t width, int32_t height, uint8_t* out) {
    constexpr uint8_t kEscape = Coding == TRowCoding::Pic ? 128 : 255;
    const size_t w = static_cast<size_t>(width);
    size_t pos = 0;
    auto word = [&](size_t at) { return static_cast<uint16_t>(in[at] | (in[at + 1] << 8)); };
    for (int32_t row = 0; row < height; ++row) {
        uint8_t* o = out + static_cast<size_t>(row) * w * 2;
        if (size - pos < 2) return;
        const int16_t length = static_cast<int16_t>(word(pos));
        pos += 2;
        if (int64_t{length} == 2 * int64_t{width}) {
            const size_t n = std::min(2 * w, size - pos);
            if (n > 0) std::memcpy(o, in + pos, n);
            pos += n;
            continue;
        }
        if (size - pos < 2) return;
        uint16_t pixel = word(pos);
        pos += 2;
        if (w == 0) continue;
        o[0] = static_cast<uint8_t>(pixel);
        o[1] = static_cast<uint8_t>(pixel >> 8);
        auto step = [&](uint8_t b) {
            if constexpr (Coding == TRowCoding::Pic)
                return static_cast<uint16_t>(pixel + static_cast<int8_t>(b));
            else
                return static_cast<uint16_t>(pixel + b - 127);
        };
        size_t x = 1;
        if (size - pos >= 3 * (w - 1)) {
            // The whole row fits in what is left even if every pixel is escaped: no checks.
            for (; x < w; ++x) {
                const uint8_t b = in[pos++];
                if (b == kEscape) [[unlikely]] {
                    pixel = word(pos);
                    pos += 2;
                } else {
                    pixel = step(b);
                }
                o[2 * x] = static_cast<uint8_t>(pixel);
                o[2 * x + 1] = static_cast<uint8_t>(pixel >> 8);
            }
            continue;
        }
        for (; x < w; ++x) {
            if (pos >= size) return;
            const uint8_t b = in[pos++];
            if (b == kEscape) {
                if (size - pos < 2) return;
                pixel = word(pos);
                pos += 2;
            } else {
                pixel = step(b);
            }
            o[2 * x] = static_cast<uint8_t>(pixel);
            o[2 * x + 1] = static_cast<uint8_t>(pixel >> 8);
        }
    }
}

} // namespace

void DecodeCompressedRows(std::span<const uint8_t> in, int32_t width, int32_t height, uint8_t* out,
                          TRowCoding coding) {
    if (width < 0 || height <= 0) return;
    if (coding == TRowCoding::Pic)
        DecodeRows<TRowCoding::Pic>(in.data(), in.size(), width, height, out);
    else
        DecodeRows<TRowCoding::Cpa>(in.data(), in.size(), width, height, out);
}

bool AnnouncedSizeIsSane(uint64_t dataBytes, uint64_t fileBytes) {
    constexpr uint64_t kZeroFillAllowance = uint64_t{16} << 20;
    return dataBytes <= 2 * fileBytes + kZeroFillAllowance;
}

} // namespace orv
