#include "core/gif/gif_screens.h"

#include <algorithm>

namespace orv {

namespace {

struct TControl {
    uint8_t Disposal = 0;
    std::optional<uint8_t> Transparent;
};

TControl ControlOf(const TGifSubImage& image) {
    TControl control;
    for (auto e = image.Extensions.rbegin(); e != image.Extensions.rend(); ++e)
        if (e->ExtensionKind == ekGraphicControl) {
            control.Disposal = uint8_t((e->Flags >> 2) & 7);
            if (e->Flags & 1) control.Transparent = e->TransparentIndex;
            break;
        }
    return control;
}

void Put(TBitmap& screen, int32_t x, int32_t y, uint32_t color) {
    uint8_t* p = screen.Pixels.data() + 3 * (size_t(y) * size_t(screen.Width) + size_t(x));
    p[0] = uint8_t(color >> 16);
    p[1] = uint8_t(color >> 8);
    p[2] = uint8_t(color);
}

} // namespace

bool ImagesBuildOnEachOther(const TGifFile& gif) {
    for (const auto& image : gif.SubImages) {
        const TImageDescriptor& d = image->Descriptor;
        const TControl control = ControlOf(*image);
        if (d.Left || d.Top || d.Width != gif.ScreenWidth || d.Height != gif.ScreenHeight ||
            control.Transparent || control.Disposal > 1)
            return true;
    }
    return false;
}

std::vector<TBitmap> ShownPictures(const TGifFile& gif) {
    TBitmap screen;
    screen.Width = gif.ScreenWidth;
    screen.Height = gif.ScreenHeight;
    screen.BitCount = 24;
    screen.Pixels.resize(3 * size_t(screen.Width) * size_t(screen.Height));
    uint32_t background = 0;
    if (gif.HasGlobalTable) {
        const TColorEntry& e = gif.GlobalTable.Entries[gif.BackgroundIndex];
        background = MakeColor(e[0], e[1], e[2]);
    }
    for (int32_t y = 0; y < screen.Height; ++y)
        for (int32_t x = 0; x < screen.Width; ++x)
            Put(screen, x, y, background);
    std::vector<TBitmap> shown;
    for (const auto& image : gif.SubImages) {
        const TImageDescriptor& d = image->Descriptor;
        const TControl control = ControlOf(*image);
        const TColorTable& table = image->HasLocalTable ? image->LocalTable : gif.GlobalTable;
        const TBitmap before = control.Disposal == 3 ? screen : TBitmap();
        // The part of the image on the screen; its pixels are held Width x Height.
        const int32_t right = std::min<int32_t>(d.Left + image->Pixels.Cols(), screen.Width);
        const int32_t bottom = std::min<int32_t>(d.Top + image->Pixels.Rows(), screen.Height);
        for (int32_t y = d.Top; y < bottom; ++y) {
            const uint8_t* row = image->Pixels.RowData(y - d.Top + 1);
            for (int32_t x = d.Left; x < right; ++x) {
                const uint8_t index = row[x - d.Left];
                if (control.Transparent && index == *control.Transparent) continue;
                const TColorEntry& e = table.Entries[index];
                Put(screen, x, y, MakeColor(e[0], e[1], e[2]));
            }
        }
        shown.push_back(screen);
        if (control.Disposal == 2)
            for (int32_t y = d.Top; y < bottom; ++y)
                for (int32_t x = d.Left; x < right; ++x)
                    Put(screen, x, y, background);
        else if (control.Disposal == 3)
            screen = before;
    }
    return shown;
}

} // namespace orv
