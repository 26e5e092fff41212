// A bitmap turned into a colour table and a matrix of colour indices, for the GIF model.
#pragma once

#include "core/base/bitmap.h"
#include "core/base/progress.h"
#include "core/gif/byte_array.h"
#include "core/gif/color_table.h"

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

// The counts the GIF model takes: 0 to 2 -> 2, 3 to 16 -> 16, more -> 256.
int32_t RoundColorCount(int32_t count);

} // namespace orv
