#include "core/gif/frame_delta.h"

#include "core/base/bitmap.h"

#include <algorithm>
#include <array>

namespace orv {

namespace {

std::array<uint32_t, 256> Colors(const TColorTable& table) {
    std::array<uint32_t, 256> colors;
    for (size_t i = 0; i < 256; ++i)
        colors[i] = MakeColor(table.Entries[i][0], table.Entries[i][1], table.Entries[i][2]);
    return colors;
}

// The smallest table of 2, 4, ..., 256 entries that holds count.
int32_t TableCount(int32_t count) {
    int32_t n = 2;
    while (n < count)
        n *= 2;
    return n;
}

// The rectangle of the pixels a frame changes, and the frame's indices they use, numbered in
// the order they are met (rows from the top, each from the left) as the part's table will be.
struct TChange {
    int32_t Left, Right = -1, Top, Bottom = -1;
    std::array<int16_t, 256> PartIndex;
    int32_t Used = 0;
};

template <bool kExact>
TChange FindChange(const TByteArray2D& matrix, const std::array<uint32_t, 256>& colors,
                   const std::vector<uint32_t>& shown, int32_t tolerance) {
    const int32_t w = matrix.Cols(), h = matrix.Rows();
    TChange change;
    change.Left = w;
    change.Top = h;
    change.PartIndex.fill(-1);
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* row = matrix.RowData(y + 1);
        const uint32_t* on = shown.data() + size_t(y) * size_t(w);
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t c = colors[row[x]];
            if (kExact ? c == on[x] : ColorsWithin(c, on[x], tolerance)) continue;
            change.Left = std::min(change.Left, x);
            change.Right = std::max(change.Right, x);
            if (change.Bottom < 0) change.Top = y;
            change.Bottom = y;
            if (change.PartIndex[row[x]] < 0) change.PartIndex[row[x]] = int16_t(change.Used++);
        }
    }
    return change;
}

} // namespace

bool ColorsWithin(uint32_t a, uint32_t b, int32_t tolerance) {
    for (int shift = 0; shift < 24; shift += 8) { // red, green, blue
        const int32_t d = int32_t((a >> shift) & 0xFF) - int32_t((b >> shift) & 0xFF);
        if (d > tolerance || d < -tolerance) return false;
    }
    return true;
}

TShownPicture::TShownPicture(int32_t tolerance) : tolerance_(std::clamp(tolerance, 0, kMaxTolerance)) {}

TFramePart TShownPicture::Whole(const TColorTable& table, TByteArray2D matrix,
                                const std::vector<uint32_t>& colors) {
    width_ = matrix.Cols();
    height_ = matrix.Rows();
    shown_.resize(size_t(width_) * size_t(height_));
    for (int32_t y = 0; y < height_; ++y) {
        const uint8_t* row = matrix.RowData(y + 1);
        uint32_t* on = shown_.data() + size_t(y) * size_t(width_);
        for (int32_t x = 0; x < width_; ++x)
            on[x] = colors[row[x]];
    }
    TFramePart part;
    part.Table = table;
    part.Matrix = std::move(matrix);
    return part;
}

TFramePart TShownPicture::Next(const TColorTable& table, TByteArray2D matrix) {
    const std::array<uint32_t, 256> colors = Colors(table);
    const int32_t w = matrix.Cols(), h = matrix.Rows();
    // A frame of another size is shown whole, as it would be without the differences; one
    // that no GIF can hold is refused whole by the encoder.
    if (w != width_ || h != height_ || w == 0 || h == 0 || w > 0xFFFF || h > 0xFFFF)
        return Whole(table, std::move(matrix), {colors.begin(), colors.end()});
    const TChange change = tolerance_ == 0 ? FindChange<true>(matrix, colors, shown_, 0)
                                           : FindChange<false>(matrix, colors, shown_, tolerance_);
    TFramePart part;
    if (change.Right < 0) { // nothing changes: one transparent pixel
        part.Table.Count = 2;
        part.Matrix = TByteArray2D(1, 1);
        part.Transparent = 0;
        return part;
    }
    // With all 256 indices taken by changed colours there is no free index: then every pixel
    // of the rectangle is written with its own colour (exact, so within any tolerance).
    const bool free = change.Used < 256;
    for (size_t j = 0; j < 256; ++j)
        if (change.PartIndex[j] >= 0) part.Table.Entries[size_t(change.PartIndex[j])] = table.Entries[j];
    part.Table.Count = TableCount(change.Used + (free ? 1 : 0));
    if (free) part.Transparent = uint8_t(change.Used);
    part.Left = uint16_t(change.Left);
    part.Top = uint16_t(change.Top);
    part.Matrix = TByteArray2D(change.Right - change.Left + 1, change.Bottom - change.Top + 1);
    for (int32_t y = change.Top; y <= change.Bottom; ++y) {
        const uint8_t* row = matrix.RowData(y + 1);
        uint32_t* on = shown_.data() + size_t(y) * size_t(w);
        uint8_t* out = part.Matrix.RowData(y - change.Top + 1);
        for (int32_t x = change.Left; x <= change.Right; ++x) {
            const uint8_t j = row[x];
            const uint32_t c = colors[j];
            if (free && ColorsWithin(c, on[x], tolerance_)) {
                out[x - change.Left] = uint8_t(change.Used);
            } else {
                out[x - change.Left] = uint8_t(change.PartIndex[j]);
                on[x] = c;
            }
        }
    }
    return part;
}

} // namespace orv
