// Animation frames written as what they change in the picture on screen: each frame after the
// first becomes the smallest rectangle holding the pixels that change, its unchanged pixels
// transparent when the rectangle's table has a free index, shown over the previous picture
// ("do not dispose"). With a tolerance of T levels, a pixel whose colour lies within T of the
// colour on screen in every channel keeps the one on screen, so every pixel shown stays within
// T of the frame's own. The picture on screen is kept as levels while it is grey, else as
// colours (not indices: frames may have tables of their own); without a tolerance, a frame left
// in its levels is what is shown after it, and those are read instead of a copy.
#pragma once

#include "core/gif/byte_array.h"
#include "core/gif/color_table.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace orv {

inline constexpr int32_t kMaxTolerance = 32;

// A frame's indices left where they are: levels (rows from the top, Width apart) and the
// table index of each level, so that no copy of the frame is made to compare it.
struct TLevelRows {
    const uint8_t* Pixels = nullptr;
    int32_t Width = 0;
    int32_t Height = 0;
    std::array<uint8_t, 256> IndexOf{};
};

// What to write of a frame: a rectangle of the screen, its table and indices.
struct TFramePart {
    TColorTable Table;
    TByteArray2D Matrix; // rows from the top
    // When set (Matrix empty), the indices are the rectangle Width x Height of these rows mapped
    // by IndexOf; the rows must stay until the part is encoded.
    const TLevelRows* Source = nullptr;
    std::array<uint8_t, 256> IndexOf{};
    // With Source, the pixels of the rectangle (rows from the top, a bit each, the first in the
    // lowest bit) written as Transparent whatever their level: an eighth of a copy of the part.
    std::vector<uint64_t> Kept;
    int32_t Width = 0;
    int32_t Height = 0;
    uint16_t Left = 0;
    uint16_t Top = 0;
    std::optional<uint8_t> Transparent; // the index that leaves the screen as it is
};

class TShownPicture {
  public:
    // tolerance 0 (lossless) to kMaxTolerance. With keepTables (frames that share one table),
    // every part keeps its frame's table and indices.
    explicit TShownPicture(int32_t tolerance = 0, bool keepTables = false);

    // The part of the next frame (its table and rows of indices) to write after those given
    // before. The first frame, and a frame of another size than the one before, is its whole
    // self; a frame that changes nothing is one transparent pixel.
    TFramePart Next(const TColorTable& table, TByteArray2D matrix);
    // The same for indices left in `rows`: a part that keeps the frame's own indices is given
    // as a rectangle of them (Source), not copied. Without a tolerance, the levels are also what
    // the next frame is compared with: they must stay until then.
    TFramePart Next(const TColorTable& table, const TLevelRows& rows);

  private:
    template <class TRowsIn> TFramePart Compare(const TColorTable& table, const TRowsIn& rows);
    // Whether what is shown after a frame may be read from its levels: lossless frames left in
    // their levels show exactly those.
    template <class TRowsIn> bool Follows(const TRowsIn& rows) const;
    void Remember(const TLevelRows& rows, const std::array<uint32_t, 256>& colors);
    // What is shown, held again in greys_ or colors_ when it was read from the frame before.
    void Hold();
    template <class TRowsIn>
    TFramePart Whole(const TColorTable& table, const TRowsIn& rows, const std::array<uint32_t, 256>& colors);

    int32_t tolerance_;
    bool keepTables_;
    int32_t width_ = -1; // nothing shown yet
    int32_t height_ = -1;
    bool shownGrey_ = true;          // every colour shown is a grey: greys_ holds them, else colors_
    std::vector<uint8_t> greys_;     // levels, rows from the top
    std::vector<uint32_t> colors_;   // platform colours
    std::optional<TLevelRows> last_; // the frame shown, when neither is held
    std::array<uint32_t, 256> lastColors_{};
};

} // namespace orv
