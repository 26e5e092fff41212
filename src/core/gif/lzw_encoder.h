// The LZW encoder of GIF image data. Its output is fixed bit for bit: a clear code first and
// then only when all 4096 codes are assigned, the first pixel after every clear code sent
// alone, the code width growing to w + 1 for the first code written after code 2^w has been
// assigned, the end code, blocks of 255 bytes. String extensions are found in a small hashed
// table, so encoding takes time linear in the pixels.
#pragma once

#include "core/base/progress.h"
#include "core/gif/byte_array.h"
#include "core/gif/byte_buffer.h"

#include <cstdint>

namespace orv {

// Compresses the matrix (rows in interlaced order when asked) with the minimum code size
// codeSize (2 to 9). Progress: 0 at the start, at every clear code, 1 at the end.
// Raises EGifException for a bad code size or a colour index the code size cannot carry.
TByteBuffer LzwEncode(const TByteArray2D& pixels, bool interlaced, uint8_t codeSize,
                      const TProgress& progress = TProgress());

} // namespace orv
