// A bitmap turned into a colour table and a matrix of colour indices, for the GIF model.
#pragma once

#include "core/base/bitmap.h"
#include "core/base/progress.h"
#include "core/gif/byte_array.h"
#include "core/gif/color_table.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace orv {

// Colours get indices in order of first appearance (rows from the top, each from the left;
// the first colour met is index 0); Count is then raised to 2, 16 or 256 and the entries
// between the colours found and that count are left as they were. A paletted bitmap's
// palette is mapped once per index; a bitmap of more than 256 colours is reduced to 256 by
// median cut. Progress: 0, then y / height after each row.
void BitmapToMatrix(const TBitmap& bitmap, TColorTable& table, TByteArray2D& matrix,
                    const TProgress& progress = TProgress());

// A matrix of palette indices turned, in place, into indices of the table exactly as
// BitmapToMatrix turns a paletted bitmap of that palette (at most 256 platform colours).
void PaletteIndicesToMatrix(TByteArray2D& matrix, const std::vector<uint32_t>& palette, TColorTable& table,
                            const TProgress& progress = TProgress());

// A Windows bitmap file turned into a table and a matrix exactly as BitmapToMatrix turns its
// decoded bitmap; 8-bit files go from the file's rows to the matrix without a decoded copy.
// EBitmapError for a file that is no bitmap.
void BmpFileToMatrix(std::span<const uint8_t> file, TColorTable& table, TByteArray2D& matrix,
                     const TProgress& progress = TProgress());

// The table indices of palette indices, given in order of first appearance exactly as
// PaletteIndicesToMatrix gives them (entries of one colour share an index), so that indices can
// also be mapped on their way to the encoder rather than in a copy of the picture.
class TPaletteIndexer {
  public:
    // The table starts empty; it must outlive the indexer.
    TPaletteIndexer(const std::vector<uint32_t>& palette, TColorTable& table);
    // The next pixels, in order (rows from the top, each from the left), and their table
    // indices into out when it is given (out may be the pixels themselves).
    void Meet(std::span<const uint8_t> pixels, uint8_t* out = nullptr);
    // Count raised to 2, 16 or 256, once every pixel is met.
    void Finish();
    // The table indices of pixels met before, into out (as long as pixels).
    void Map(std::span<const uint8_t> pixels, uint8_t* out) const {
        for (size_t x = 0; x < pixels.size(); ++x)
            out[x] = uint8_t(indexOf_[pixels[x]]);
    }

  private:
    static constexpr uint16_t kUnseen = 0x100;
    std::array<uint32_t, 256> colors_{}; // 24 bits, black past the palette
    std::array<uint8_t, 256> classOf_;   // entries of one colour are named by one of them
    std::array<uint16_t, 256> indexOf_;  // kUnseen until met
    TColorTable& table_;
};

// The counts the GIF model takes: 0 to 2 -> 2, 3 to 16 -> 16, more -> 256.
int32_t RoundColorCount(int32_t count);

} // namespace orv
