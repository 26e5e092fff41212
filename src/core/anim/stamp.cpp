#include "core/anim/stamp.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <vector>

namespace orv {

namespace {

constexpr int32_t kGlyphWidth = 5;
constexpr int32_t kGlyphHeight = 7;
constexpr int32_t kMarginX = 2; // around the text, in pixels whatever the scale
constexpr int32_t kMarginY = 1;

struct TGlyph {
    char Char;
    std::array<uint8_t, kGlyphHeight> Rows; // top row first, bit 4 the leftmost column
};

constexpr TGlyph kGlyphs[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}}, {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}}, {'/', {0x00, 0x01, 0x02, 0x04, 0x08, 0x10, 0x00}},
    {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
};

const TGlyph* GlyphOf(char c) {
    for (const TGlyph& g : kGlyphs)
        if (g.Char == c) return &g;
    return nullptr;
}

} // namespace

std::string StampText(const std::string& dateObs, const std::string& time) {
    if (time.empty()) return {};
    const std::string date = dateObs.substr(0, dateObs.find('T'));
    return date.empty() ? time : date + " " + time;
}

int32_t StampScale(int32_t frameWidth, int32_t frameHeight, const std::string& text) {
    return frameHeight >= 64 && StampBoxWidth(text, 2) <= frameWidth ? 2 : 1;
}

int32_t StampBoxWidth(const std::string& text, int32_t scale) {
    const auto n = static_cast<int32_t>(text.size());
    return n == 0 ? 0 : 2 * kMarginX + n * (kGlyphWidth + 1) * scale - scale;
}

int32_t StampBoxHeight(int32_t scale) {
    return kGlyphHeight * scale + 2 * kMarginY;
}

void DrawStamp(TByteArray2D& levels, const std::string& text) {
    DrawStamp(levels.RowData(1), levels.Cols(), levels.Rows(), 1, levels.Rows(), text);
}

void DrawStamp(TBitmap& picture, const std::string& text) {
    const int32_t width = picture.Width, height = picture.Height;
    if (text.empty() || picture.BitCount != 24 || width <= 0 || height <= 0 ||
        picture.Pixels.size() < size_t(width) * size_t(height) * 3)
        return;
    // The levels of the box's rows drawn as on a grey frame, then copied to every channel.
    const int32_t scale = StampScale(width, height, text);
    const int32_t rows = std::min(StampBoxHeight(scale), height),
                  boxWidth = std::min(StampBoxWidth(text, scale), width);
    std::vector<uint8_t> band(size_t(width) * size_t(rows));
    const int32_t first = height - rows + 1;
    DrawStamp(band.data(), width, height, first, rows, text);
    for (int32_t r = 0; r < rows; ++r) {
        const uint8_t* levels = band.data() + size_t(r) * size_t(width);
        uint8_t* out = picture.Pixels.data() + size_t(first - 1 + r) * size_t(width) * 3;
        for (int32_t x = 0; x < boxWidth; ++x)
            std::fill_n(out + 3 * size_t(x), 3, levels[x]);
    }
}

void DrawStamp(uint8_t* rows, int32_t width, int32_t height, int32_t first, int32_t count,
               const std::string& text) {
    if (text.empty()) return;
    const int32_t last = first + count - 1;
    const auto rowData = [&](int32_t y) { return rows + std::ptrdiff_t(y - first) * width; };
    const int32_t scale = StampScale(width, height, text);
    const int32_t boxWidth = std::min(StampBoxWidth(text, scale), width);
    const int32_t boxHeight = std::min(StampBoxHeight(scale), height);
    // Rows are 1-based from the top: the box takes the last boxHeight rows.
    const int32_t boxTop = height - boxHeight + 1;
    for (int32_t y = std::max(boxTop, first); y <= std::min(height, last); ++y)
        std::fill_n(rowData(y), boxWidth, uint8_t{0});
    const int32_t glyphTop = height - StampBoxHeight(scale) + 1 + kMarginY; // may lie above the frame
    for (size_t i = 0; i < text.size(); ++i) {
        const TGlyph* glyph = GlyphOf(text[i]);
        if (!glyph) continue;
        const int32_t left = kMarginX + static_cast<int32_t>(i) * (kGlyphWidth + 1) * scale;
        for (int32_t gy = 0; gy < kGlyphHeight * scale; ++gy) {
            const int32_t y = glyphTop + gy;
            if (y < std::max(first, 1) || y > std::min(height, last)) continue;
            uint8_t* row = rowData(y);
            for (int32_t gx = 0; gx < kGlyphWidth * scale; ++gx) {
                const int32_t x = left + gx;
                if (x >= boxWidth) break;
                if (glyph->Rows[size_t(gy / scale)] >> (kGlyphWidth - 1 - gx / scale) & 1) row[x] = 255;
            }
        }
    }
}

} // namespace orv
