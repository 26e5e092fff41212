// The LZW decoder of GIF image data. It reads codes across sub-blocks, treats data that does
// not begin with a clear code as if it did, goes on at 12 bits without adding entries when
// the table is full and no clear code comes, and reports data that stops before the end code.
#pragma once

#include "core/gif/byte_array.h"
#include "core/gif/byte_buffer.h"

#include <cstdint>

namespace orv {

// Fills pixels (already Width x Height) from data. Only complete rows are stored; the rows
// decoded before a failure stay. Raises EGifException "Mauvaise taille de code" (code size
// outside 2 .. 9), "Mauvais code", "Données d'image incomplètes", and EIndexOutOfBounds when
// the data holds more rows than the image.
void LzwDecode(const TByteBuffer& data, uint8_t codeSize, bool interlaced, TByteArray2D& pixels);

// The most pixels that dataBytes bytes of image data can describe: no code is wider than
// 12 bits nor stands for more than 4096 pixels. Used to refuse sizes the data cannot fill
// before allocating them.
int64_t MaxDecodablePixels(int64_t dataBytes);

} // namespace orv
