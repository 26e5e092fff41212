// The order in which a GIF image stores its rows: natural, or interlaced in four passes
// (every 8th row from 0, every 8th from 4, every 4th from 2, every 2nd from 1).
#pragma once

#include "core/gif/byte_array.h"

#include <cstdint>

namespace orv {

// The row (0-based) stored after `row`, advancing `pass` (1 to 4, starting at 1) as needed;
// -1 after the last row of the last pass.
int32_t NextInterlaceRow(int32_t row, int32_t height, int& pass);

// The matrix's rows one after another, in natural or interlaced order.
TBigByteArray FlattenMatrix(const TByteArray2D& matrix, bool interlaced);

} // namespace orv
