#include "core/gif/frame_delta.h"

#include "core/base/bitmap.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numeric>
#include <optional>
#include <type_traits>

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

// Whether a table's colours (as many as it counts) are greys, so that one channel says all.
bool IsGrey(const TColorTable& table) {
    for (int32_t i = 0; i < std::min(table.Count, 256); ++i) {
        const TColorEntry& e = table.Entries[size_t(i)];
        if (e[0] != e[1] || e[1] != e[2]) return false;
    }
    return true;
}

// Whether a pixel of colour c changes the one shown: differs at all, or by more than the
// tolerance in some channel (of greys, the first says all). Without branches: on noise,
// changed and kept pixels alternate at random.
struct TExactRule {
    uint32_t operator()(uint32_t c, uint32_t on) const { return c != on; }
};
template <int kChannels> struct TToleranceRule {
    int32_t Tolerance;
    uint32_t operator()(uint32_t c, uint32_t on) const {
        uint32_t out = 0;
        for (int shift = 0; shift < 8 * kChannels; shift += 8) { // red, green, blue
            const int32_t d = int32_t((c >> shift) & 0xFF) - int32_t((on >> shift) & 0xFF);
            out |= uint32_t(d + Tolerance) > uint32_t(2 * Tolerance);
        }
        return out;
    }
};

// The rectangle of the pixels a frame changes, and the frame's indices they use, numbered in
// the order they are met (rows from the top, each from the left) as the part's table will be.
struct TChange {
    int32_t Left, Right = -1, Top, Bottom = -1;
    std::array<int16_t, 256> PartIndex;
    int32_t Used = 0;
};

// A frame's indices a row (y from 0) at a time: a matrix's own rows, which the part may be
// written over, or levels mapped into a row buffer.
struct TMatrixRows {
    TByteArray2D& Matrix;
    int32_t Cols() const { return Matrix.Cols(); }
    int32_t Rows() const { return Matrix.Rows(); }
    const uint8_t* Row(int32_t y, std::vector<uint8_t>&) const { return Matrix.RowData(y + 1); }
};
struct TMappedRows {
    const TLevelRows& Levels;
    int32_t Cols() const { return Levels.Width; }
    int32_t Rows() const { return Levels.Height; }
    const uint8_t* Row(int32_t y, std::vector<uint8_t>& buffer) const {
        buffer.resize(size_t(Levels.Width));
        const uint8_t* level = Levels.Pixels + size_t(y) * size_t(Levels.Width);
        for (size_t x = 0; x < buffer.size(); ++x)
            buffer[x] = Levels.IndexOf[level[x]];
        return buffer.data();
    }
};

// What is shown, kept as levels while every colour is a grey (a quarter of the memory), else
// as colours.
inline uint32_t ColorOf(uint8_t level) {
    return level * 0x010101u;
}
inline uint32_t ColorOf(uint32_t color) {
    return color;
}

// The picture on screen a row at a time: held, or read from the levels of the frame before,
// which a lossless frame shows exactly (what is written to its row is then dropped).
template <class TShownPixel> struct THeldShown {
    using TPixel = TShownPixel;
    std::vector<TPixel>& Pixels;
    size_t Width;
    TPixel* Row(int32_t y, std::vector<TPixel>&) const { return Pixels.data() + size_t(y) * Width; }
};
struct TLastFrameShown {
    using TPixel = uint32_t;
    const TLevelRows& Levels;
    const std::array<uint32_t, 256>& Colors;
    uint32_t* Row(int32_t y, std::vector<uint32_t>& buffer) const {
        buffer.resize(size_t(Levels.Width));
        const uint8_t* level = Levels.Pixels + size_t(y) * size_t(Levels.Width);
        for (size_t x = 0; x < buffer.size(); ++x)
            buffer[x] = Colors[Levels.IndexOf[level[x]]];
        return buffer.data();
    }
};

template <class TRowsIn, class TShownIn, class TRule>
TChange FindChange(const TRowsIn& rows, const std::array<uint32_t, 256>& colors, const TShownIn& shown,
                   TRule changes) {
    using TPixel = typename TShownIn::TPixel;
    const int32_t w = rows.Cols(), h = rows.Rows();
    std::vector<uint8_t> buffer;
    std::vector<TPixel> shownBuffer;
    TChange change;
    change.Left = w;
    change.Top = h;
    change.PartIndex.fill(-1);
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* row = rows.Row(y, buffer);
        const TPixel* on = shown.Row(y, shownBuffer);
        int32_t first = w, last = -1;
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t changed = changes(colors[row[x]], ColorOf(on[x]));
            const int32_t mask = -int32_t(changed);
            first = std::min(first, (x & mask) | (w & ~mask));
            last = (x & mask) | (last & ~mask);
            const uint32_t unseen = uint16_t(change.PartIndex[row[x]]) >> 15; // one test, rarely true
            if (changed & unseen) [[unlikely]]
                change.PartIndex[row[x]] = int16_t(change.Used++);
        }
        if (last < 0) continue;
        change.Left = std::min(change.Left, first);
        change.Right = std::max(change.Right, last);
        if (change.Bottom < 0) change.Top = y;
        change.Bottom = y;
    }
    return change;
}

// Rows Top..Bottom of the rectangle written: a changed pixel as its index in the part's table
// (`index`), a kept one as the transparent index (when there is one) or else with its own
// colour; what is shown follows. The part may be written over the frame's own rows: row y of the
// part never reaches past the pixels of row y of the frame still to be read. Without `part`, the
// kept pixels are marked in `kept` (when there is a transparent index), one bit each.
template <class TRowsIn, class TShownIn, class TRule>
void WriteChange(const TChange& change, const TRowsIn& rows, const std::array<uint32_t, 256>& colors,
                 const TShownIn& shown, TRule changes, const std::array<int16_t, 256>& index,
                 std::optional<uint8_t> transparentIndex, uint8_t* part, uint64_t* kept = nullptr) {
    using TPixel = typename TShownIn::TPixel;
    std::vector<uint8_t> buffer;
    std::vector<TPixel> shownBuffer;
    const size_t partWidth = size_t(change.Right - change.Left + 1);
    const uint32_t free = transparentIndex.has_value();
    const uint32_t transparent = transparentIndex.value_or(0);
    for (int32_t y = change.Top; y <= change.Bottom; ++y) {
        const uint8_t* row = rows.Row(y, buffer) + change.Left;
        TPixel* on = shown.Row(y, shownBuffer) + change.Left;
        const size_t at = size_t(y - change.Top) * partWidth;
        for (size_t x = 0; x < partWidth; ++x) {
            const uint32_t c = colors[row[x]];
            const uint32_t keep = 0 - (free & (changes(c, ColorOf(on[x])) ^ 1)); // all ones to keep
            if (part)
                part[at + x] = uint8_t((transparent & keep) | (uint32_t(index[row[x]]) & ~keep));
            else if (kept)
                kept[(at + x) / 64] |= uint64_t(keep & 1) << ((at + x) % 64);
            on[x] = TPixel((on[x] & keep) | (c & ~keep)); // a grey's level is its low byte
        }
    }
}

// Bits per pixel of the indices counted, as an ideal coder would spend them.
double Entropy(const std::array<uint32_t, 256>& counts, size_t total) {
    double bits = 0;
    for (const uint32_t n : counts)
        if (n != 0) bits -= double(n) * std::log2(double(n) / double(total));
    return total ? bits / double(total) : 0;
}

// Whether the rectangle costs less with its kept pixels transparent than with their own colours.
// On noise most pixels change, and the transparent index is one more symbol among them that
// saves less than it costs (a lossless "optimised" file would be larger than the plain one).
template <class TRowsIn, class TShownIn, class TRule>
bool TransparencyPays(const TChange& change, const TRowsIn& rows, const std::array<uint32_t, 256>& colors,
                      const TShownIn& shown, TRule changes) {
    using TPixel = typename TShownIn::TPixel;
    std::array<uint32_t, 256> all{}, changed{};
    std::vector<uint8_t> buffer;
    std::vector<TPixel> shownBuffer;
    size_t kept = 0, total = 0;
    for (int32_t y = change.Top; y <= change.Bottom; ++y) {
        const uint8_t* row = rows.Row(y, buffer);
        const TPixel* on = shown.Row(y, shownBuffer);
        for (int32_t x = change.Left; x <= change.Right; ++x) {
            const uint32_t c = changes(colors[row[x]], ColorOf(on[x]));
            ++all[row[x]];
            changed[row[x]] += c;
            kept += c ^ 1;
        }
        total += size_t(change.Right - change.Left + 1);
    }
    if (kept == 0) return false;
    const double p = double(kept) / double(total);
    const double choice = -p * std::log2(p) - (p < 1 ? (1 - p) * std::log2(1 - p) : 0);
    return (1 - p) * Entropy(changed, total - kept) + choice < Entropy(all, total);
}

// Rows Top..Bottom of the rectangle with the frame's own indices and table, shown exactly:
// moved to the front of a matrix, or left in the levels.
template <class TRowsIn, class TShownIn>
TFramePart OwnColours(const TChange& change, const TColorTable& table,
                      const std::array<uint32_t, 256>& colors, const TRowsIn& rows, const TShownIn& shown) {
    using TPixel = typename TShownIn::TPixel;
    std::vector<TPixel> shownBuffer;
    const size_t partWidth = size_t(change.Right - change.Left + 1);
    std::vector<uint8_t> buffer;
    for (int32_t y = change.Top; y <= change.Bottom; ++y) {
        const uint8_t* row = rows.Row(y, buffer) + change.Left;
        TPixel* on = shown.Row(y, shownBuffer) + change.Left;
        for (size_t x = 0; x < partWidth; ++x)
            on[x] = TPixel(colors[row[x]]); // a grey's level is its low byte
        if constexpr (std::is_same_v<TRowsIn, TMatrixRows>)
            std::memmove(rows.Matrix.Cells().Memory() + size_t(y - change.Top) * partWidth, row, partWidth);
    }
    TFramePart own;
    own.Table = table;
    own.Left = uint16_t(change.Left);
    own.Top = uint16_t(change.Top);
    if constexpr (std::is_same_v<TRowsIn, TMatrixRows>) {
        rows.Matrix.Shrink(int32_t(partWidth), change.Bottom - change.Top + 1);
        own.Matrix = std::move(rows.Matrix);
    } else {
        own.Source = &rows.Levels;
        own.IndexOf = rows.Levels.IndexOf;
        own.Width = int32_t(partWidth);
        own.Height = change.Bottom - change.Top + 1;
    }
    return own;
}

// The part of a frame of the size shown that changes it, and what is shown after it. With
// `keepTable` (the frames share one table) the part keeps the frame's table and indices, and
// its transparent index is one that no changed pixel uses; else the part's table holds the
// colours it uses, numbered as they are met, and one more for transparency.
template <class TRowsIn, class TShownIn, class TRule>
TFramePart Differences(const TColorTable& table, const std::array<uint32_t, 256>& colors, const TRowsIn& rows,
                       const TShownIn& shown, TRule changes, bool keepTable) {
    const TChange change = FindChange(rows, colors, shown, changes);
    TFramePart part;
    if (change.Right < 0) { // nothing changes: one transparent pixel
        part.Table.Count = 2;
        if (keepTable) part.Table = table;
        part.Matrix = TByteArray2D(1, 1);
        part.Transparent = 0;
        return part;
    }
    if (!TransparencyPays(change, rows, colors, shown, changes))
        return OwnColours(change, table, colors, rows, shown);
    std::array<int16_t, 256> index;
    std::optional<uint8_t> transparent;
    if (keepTable) {
        std::iota(index.begin(), index.end(), int16_t(0));
        // From the end of the table, where the entries no colour took are.
        for (int32_t j = std::min(table.Count, 256) - 1; j >= 0 && !transparent; --j)
            if (change.PartIndex[size_t(j)] < 0) transparent = uint8_t(j);
        // Every index taken by a changed pixel: every pixel with its own colour (exact, so
        // within any tolerance).
        if (!transparent) return OwnColours(change, table, colors, rows, shown);
        part.Table = table;
    } else {
        index = change.PartIndex;
        // With all 256 indices taken by changed colours there is no free index: then every pixel
        // of the rectangle is written with its own colour (exact, so within any tolerance).
        if (change.Used < 256) transparent = uint8_t(change.Used);
        for (size_t j = 0; j < 256; ++j)
            if (change.PartIndex[j] >= 0) part.Table.Entries[size_t(change.PartIndex[j])] = table.Entries[j];
        part.Table.Count = TableCount(change.Used + (transparent ? 1 : 0));
    }
    part.Transparent = transparent;
    part.Left = uint16_t(change.Left);
    part.Top = uint16_t(change.Top);
    const int32_t partWidth = change.Right - change.Left + 1, partHeight = change.Bottom - change.Top + 1;
    if constexpr (std::is_same_v<TRowsIn, TMatrixRows>) {
        WriteChange(change, rows, colors, shown, changes, index, transparent,
                    rows.Matrix.Cells().Memory()); // in place
        rows.Matrix.Shrink(partWidth, partHeight);
        part.Matrix = std::move(rows.Matrix);
    } else { // the levels stay until the part is encoded: the part is read from them again
        part.Source = &rows.Levels;
        part.Width = partWidth;
        part.Height = partHeight;
        for (size_t level = 0; level < 256; ++level)
            part.IndexOf[level] = uint8_t(index[rows.Levels.IndexOf[level]]); // unused levels: any
        if (transparent) part.Kept.assign((size_t(partWidth) * size_t(partHeight) + 63) / 64, 0);
        WriteChange(change, rows, colors, shown, changes, index, transparent, nullptr, part.Kept.data());
    }
    return part;
}

} // namespace

TShownPicture::TShownPicture(int32_t tolerance, bool keepTables)
    : tolerance_(std::clamp(tolerance, 0, kMaxTolerance)), keepTables_(keepTables) {}

template <class TRowsIn>
TFramePart TShownPicture::Whole(const TColorTable& table, const TRowsIn& rows,
                                const std::array<uint32_t, 256>& colors) {
    shownGrey_ = IsGrey(table);
    width_ = rows.Cols();
    height_ = rows.Rows();
    const size_t size = size_t(width_) * size_t(height_);
    last_.reset();
    const bool held = !Follows(rows);
    // Only one of the two is held, or neither while the frame's own levels say what is shown.
    std::vector<uint8_t>(held && shownGrey_ ? size : 0).swap(greys_);
    std::vector<uint32_t>(held && !shownGrey_ ? size : 0).swap(colors_);
    std::vector<uint8_t> buffer;
    for (int32_t y = 0; held && y < height_; ++y) {
        const uint8_t* row = rows.Row(y, buffer);
        const size_t at = size_t(y) * size_t(width_);
        for (int32_t x = 0; x < width_; ++x)
            if (shownGrey_)
                greys_[at + size_t(x)] = uint8_t(colors[row[x]]);
            else
                colors_[at + size_t(x)] = colors[row[x]];
    }
    TFramePart part;
    part.Table = table;
    if constexpr (std::is_same_v<TRowsIn, TMatrixRows>) {
        part.Matrix = std::move(rows.Matrix);
    } else {
        part.Source = &rows.Levels;
        part.IndexOf = rows.Levels.IndexOf;
        part.Width = width_;
        part.Height = height_;
        if (!held) Remember(rows.Levels, colors);
    }
    return part;
}

template <class TRowsIn> bool TShownPicture::Follows(const TRowsIn&) const {
    return !std::is_same_v<TRowsIn, TMatrixRows> && tolerance_ == 0;
}

void TShownPicture::Remember(const TLevelRows& rows, const std::array<uint32_t, 256>& colors) {
    std::vector<uint8_t>().swap(greys_);
    std::vector<uint32_t>().swap(colors_);
    last_ = rows;
    lastColors_ = colors;
}

void TShownPicture::Hold() {
    if (!last_) return;
    const size_t size = size_t(width_) * size_t(height_);
    std::vector<uint8_t>(shownGrey_ ? size : 0).swap(greys_);
    std::vector<uint32_t>(shownGrey_ ? 0 : size).swap(colors_);
    for (size_t i = 0; i < size; ++i) {
        const uint32_t c = lastColors_[last_->IndexOf[last_->Pixels[i]]];
        if (shownGrey_)
            greys_[i] = uint8_t(c);
        else
            colors_[i] = c;
    }
    last_.reset();
}

TFramePart TShownPicture::Next(const TColorTable& table, TByteArray2D matrix) {
    return Compare(table, TMatrixRows{matrix});
}

TFramePart TShownPicture::Next(const TColorTable& table, const TLevelRows& rows) {
    return Compare(table, TMappedRows{rows});
}

template <class TRowsIn> TFramePart TShownPicture::Compare(const TColorTable& table, const TRowsIn& rows) {
    const std::array<uint32_t, 256> colors = Colors(table);
    const int32_t w = rows.Cols(), h = rows.Rows();
    // A frame of another size is shown whole, as it would be without the differences; one
    // that no GIF can hold is refused whole by the encoder.
    if (w != width_ || h != height_ || w == 0 || h == 0 || w > 0xFFFF || h > 0xFFFF)
        return Whole(table, rows, colors);
    if constexpr (!std::is_same_v<TRowsIn, TMatrixRows>) {
        if (last_ && Follows(rows)) {
            // Lossless: what is shown after this frame is this frame.
            TFramePart part = Differences(table, colors, rows, TLastFrameShown{*last_, lastColors_},
                                          TExactRule(), keepTables_);
            Remember(rows.Levels, colors);
            shownGrey_ = IsGrey(table);
            return part;
        }
    }
    Hold();
    if (shownGrey_ && !IsGrey(table)) { // greys are kept as colours from now on
        colors_.resize(greys_.size());
        for (size_t i = 0; i < greys_.size(); ++i)
            colors_[i] = ColorOf(greys_[i]);
        std::vector<uint8_t>().swap(greys_);
        shownGrey_ = false;
    }
    const size_t width = size_t(w);
    TFramePart part =
        shownGrey_ ? (tolerance_ == 0 ? Differences(table, colors, rows, THeldShown<uint8_t>{greys_, width},
                                                    TExactRule(), keepTables_)
                                      : Differences(table, colors, rows, THeldShown<uint8_t>{greys_, width},
                                                    TToleranceRule<1>{tolerance_}, keepTables_))
                   : (tolerance_ == 0 ? Differences(table, colors, rows, THeldShown<uint32_t>{colors_, width},
                                                    TExactRule(), keepTables_)
                                      : Differences(table, colors, rows, THeldShown<uint32_t>{colors_, width},
                                                    TToleranceRule<3>{tolerance_}, keepTables_));
    if constexpr (!std::is_same_v<TRowsIn, TMatrixRows>)
        if (Follows(rows)) {
            Remember(rows.Levels, colors);
            shownGrey_ = IsGrey(table);
        }
    return part;
}

} // namespace orv
