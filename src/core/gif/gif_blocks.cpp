#include "core/gif/gif_blocks.h"

#include "core/gif/gif_sub_image.h"

namespace orv {

void AppendWord(TGifOut& out, uint16_t w) {
    out.push_back(uint8_t(w));
    out.push_back(uint8_t(w >> 8));
}

void AppendGraphicControl(TGifOut& out, uint8_t flags, uint16_t delay, uint8_t transparentIndex) {
    out.insert(out.end(), {0x21, 0xF9, 4, flags});
    AppendWord(out, delay);
    out.push_back(transparentIndex);
    out.push_back(0);
}

void AppendLooping(TGifOut& out) {
    out.insert(out.end(), {0x21, 0xFF, 0x0B});
    const char* id = "NETSCAPE2.0";
    out.insert(out.end(), id, id + 11);
    out.insert(out.end(), {0x03, 0x01, 0x00, 0x00, 0x00});
}

void AppendTable(TGifOut& out, const TColorTable& table, int bits) {
    for (int i = 0; i < (1 << bits); ++i)
        for (uint8_t c : table.Entries[size_t(i)])
            out.push_back(c);
}

void AppendImageHead(TGifOut& out, const TImageDescriptor& d, const TColorTable* localTable, int bits,
                     uint8_t codeSize) {
    out.push_back(0x2C);
    AppendWord(out, d.Left);
    AppendWord(out, d.Top);
    AppendWord(out, d.Width);
    AppendWord(out, d.Height);
    out.push_back(d.Flags);
    if (localTable) AppendTable(out, *localTable, bits);
    out.push_back(codeSize);
}

void AppendImage(TGifOut& out, const TImageDescriptor& d, const TColorTable* localTable, int bits,
                 uint8_t codeSize, const TByteBuffer& data) {
    AppendImageHead(out, d, localTable, bits, codeSize);
    for (int32_t b = 1; b <= data.BlockCount(); ++b) {
        const auto block = data.GetBlock(b);
        out.push_back(uint8_t(block.size()));
        out.insert(out.end(), block.begin(), block.end());
    }
    out.push_back(0);
}

} // namespace orv
