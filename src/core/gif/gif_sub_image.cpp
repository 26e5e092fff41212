#include "core/gif/gif_sub_image.h"

#include "core/gif/gif_errors.h"
#include "core/gif/gif_file.h"
#include "core/gif/lzw_decoder.h"
#include "core/gif/lzw_encoder.h"

#include <cstring>

namespace orv {

namespace {

uint8_t BitsForCount(uint16_t count) {
    switch (count) {
    case 2:
        return 1;
    case 4:
        return 2;
    case 8:
        return 3;
    case 16:
        return 4;
    // Tables of 32, 64 and 128 entries are valid in files and are read as such.
    case 32:
        return 5;
    case 64:
        return 6;
    case 128:
        return 7;
    case 256:
        return 8;
    default:
        throw EGifException("Le nombre de couleurs doit être 2, 4, 8, 16 or 256");
    }
}

} // namespace

TGifSubImage::TGifSubImage(uint16_t colorCount, TGifFile* owner)
    : Owner(owner), BitsPerPixel(BitsForCount(colorCount)) {
    CodeSize = BitsPerPixel == 1 ? 2 : BitsPerPixel;
    InitColorTable(LocalTable, colorCount);
    PackFlags();
}

void TGifSubImage::PackFlags() {
    Descriptor.Flags = uint8_t((HasLocalTable ? 0x80 : 0) + (Interlaced ? 0x40 : 0) +
                               (HasLocalTable ? BitsPerPixel - 1 : 0));
}

void TGifSubImage::UnpackFlags() {
    HasLocalTable = (Descriptor.Flags & 0x80) != 0;
    Interlaced = (Descriptor.Flags & 0x40) != 0;
    BitsPerPixel = uint8_t((Descriptor.Flags & 7) + 1);
}

void TGifSubImage::AddGraphicControl(uint16_t delay) {
    TExtension e;
    e.ExtensionKind = ekGraphicControl;
    e.BlockSize = 4;
    e.Flags = 0;
    e.Delay = delay;
    e.TransparentIndex = 0;
    e.Terminator = 0;
    Extensions.push_back(std::move(e));
}

uint16_t TGifSubImage::GetDelay() const {
    for (auto e = Extensions.rbegin(); e != Extensions.rend(); ++e)
        if (e->ExtensionKind == ekGraphicControl) return e->Delay;
    return 0;
}

const TBitmap& TGifSubImage::GetBitmap() {
    if (CachedBitmap) return *CachedBitmap;
    const TColorTable& table = HasLocalTable || !Owner ? LocalTable : Owner->GlobalTable;
    auto bmp = std::make_unique<TBitmap>();
    bmp->Width = Pixels.Cols();
    bmp->Height = Pixels.Rows();
    bmp->BitCount = 8;
    bmp->Palette.resize(256);
    for (int i = 0; i < 256; ++i) {
        const TColorEntry& e = table.Entries[size_t(i)];
        bmp->Palette[size_t(i)] = MakeColor(e[0], e[1], e[2]);
    }
    bmp->Pixels.resize(size_t(Pixels.Cells().Size()));
    if (!bmp->Pixels.empty()) std::memcpy(bmp->Pixels.data(), Pixels.Cells().Memory(), bmp->Pixels.size());
    CachedBitmap = std::move(bmp);
    return *CachedBitmap;
}

void TGifSubImage::Encode(const TProgress& progress) {
    Data = LzwEncode(Pixels, Interlaced, CodeSize, progress);
}

void TGifSubImage::Decode() {
    LzwDecode(Data, CodeSize, Interlaced, Pixels);
}

} // namespace orv
