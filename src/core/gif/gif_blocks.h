// The blocks of a GIF file as bytes: the graphic control and looping extensions, colour
// tables and whole images. The writer of the GIF model and the streaming writer lay out
// every block with these, so the two write the same bytes for the same images.
#pragma once

#include "core/gif/byte_buffer.h"
#include "core/gif/color_table.h"

#include <cstdint>
#include <vector>

namespace orv {

struct TImageDescriptor;

using TGifOut = std::vector<uint8_t>;

void AppendWord(TGifOut& out, uint16_t w);

// A graphic control extension of four bytes, whatever size the block had when read.
void AppendGraphicControl(TGifOut& out, uint8_t flags, uint16_t delay, uint8_t transparentIndex);

// The application extension that makes viewers loop without end.
void AppendLooping(TGifOut& out);

// The table's first 2^bits entries: exactly as many as the flags announce.
void AppendTable(TGifOut& out, const TColorTable& table, int bits);

// The image separator, the descriptor, the local table (when given) and the code size: what
// comes before the data sub-blocks.
void AppendImageHead(TGifOut& out, const TImageDescriptor& descriptor, const TColorTable* localTable,
                     int bits, uint8_t codeSize);
// The image separator, the descriptor, the local table (when given), the code size, the data
// sub-blocks and the block terminator.
void AppendImage(TGifOut& out, const TImageDescriptor& descriptor, const TColorTable* localTable, int bits,
                 uint8_t codeSize, const TByteBuffer& data);

} // namespace orv
