// Writers of the camera formats' compressed rows, for building test files in code, and a
// reader of 16-bit pixel stores.
#pragma once

#include "core/image/image_document.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace orv::formats_test {

inline void Append16(std::vector<uint8_t>& b, uint16_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

// A compressed row: the first pixel, then one byte per step of -127..127 (stepByte gives
// it) or the escape byte followed by the pixel; a row that would not shrink is written plain.
template <typename StepByte>
std::vector<uint8_t> CompressRow(const std::vector<int16_t>& row, uint8_t escape, StepByte stepByte) {
    std::vector<uint8_t> body;
    Append16(body, static_cast<uint16_t>(row[0]));
    for (size_t x = 1; x < row.size(); ++x) {
        const int d = row[x] - row[x - 1];
        if (d >= -127 && d <= 127) {
            body.push_back(stepByte(d));
        } else {
            body.push_back(escape);
            Append16(body, static_cast<uint16_t>(row[x]));
        }
    }
    std::vector<uint8_t> out;
    if (body.size() >= 2 * row.size()) {
        Append16(out, static_cast<uint16_t>(2 * row.size()));
        for (int16_t v : row)
            Append16(out, static_cast<uint16_t>(v));
    } else {
        Append16(out, static_cast<uint16_t>(body.size()));
        out.insert(out.end(), body.begin(), body.end());
    }
    return out;
}

inline std::vector<int16_t> Values16(const TImageDocument& doc) {
    std::vector<int16_t> v(doc.PixelStore.size() / 2);
    std::memcpy(v.data(), doc.PixelStore.data(), v.size() * 2);
    return v;
}

} // namespace orv::formats_test
