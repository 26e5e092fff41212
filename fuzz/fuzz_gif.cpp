// libFuzzer target for the GIF reader and LZW decoder. Whatever the bytes, reading either
// succeeds or raises the program's own error; what was read is shown as bitmaps, written
// again and read back to the same pixels.
#include "core/gif/gif_bitmap_file.h"
#include "core/gif/gif_file.h"
#include "core/gif/lzw_decoder.h"

#include <cstdlib>
#include <cstring>

using namespace orv;

namespace {

bool SamePixels(const TGifSubImage& a, const TGifSubImage& b) {
    const TBigByteArray &x = a.Pixels.Cells(), &y = b.Pixels.Cells();
    return x.Size() == y.Size() &&
           (x.Size() == 0 || std::memcmp(x.Memory(), y.Memory(), size_t(x.Size())) == 0);
}

// The decoder alone: a code size, a width and a height, then the data as one run.
void DecodeRaw(const uint8_t* data, size_t size) {
    if (size < 3) return;
    TByteBuffer buffer;
    buffer.AddBlock({data + 3, size - 3});
    try {
        TByteArray2D pixels(data[1] % 64 + 1, data[2] % 64 + 1);
        LzwDecode(buffer, data[0] % 12, (data[1] & 0x80) != 0, pixels);
    } catch (const EOrvanelError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DecodeRaw(data, size);
    TGifFile gif;
    try {
        gif.LoadFromMemory({data, size});
    } catch (const EOrvanelError&) {
    }
    for (auto& image : gif.SubImages)
        GifBitmapFile(image->GetBitmap());
    std::vector<uint8_t> again;
    try {
        again = gif.SaveToMemory();
    } catch (const EOrvanelError&) {
        return 0; // a colour count the writer refuses
    }
    TGifFile back;
    back.LoadFromMemory(again); // what we write, we read
    if (back.SubImages.size() != gif.SubImages.size()) std::abort();
    for (size_t k = 0; k < gif.SubImages.size(); ++k)
        if (!SamePixels(*gif.SubImages[k], *back.SubImages[k])) std::abort();
    return 0;
}
