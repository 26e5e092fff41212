#include "core/gif/gif_screens.h"

#include <algorithm>
#include <unordered_map>

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

// The screen's colours as a bitmap: paletted while 256 colours are enough.
TBitmap Picture(const std::vector<uint32_t>& screen, int32_t width, int32_t height) {
    TBitmap picture;
    picture.Width = width;
    picture.Height = height;
    picture.Pixels.resize(screen.size());
    std::unordered_map<uint32_t, uint8_t> index;
    bool paletted = true;
    for (size_t i = 0; i < screen.size() && paletted; ++i) {
        if (i > 0 && screen[i] == screen[i - 1]) { // runs of one colour skip the look-up
            picture.Pixels[i] = picture.Pixels[i - 1];
            continue;
        }
        const auto [at, added] = index.try_emplace(screen[i], uint8_t(index.size()));
        if (added) picture.Palette.push_back(screen[i]);
        paletted = index.size() <= 256;
        picture.Pixels[i] = at->second;
    }
    if (paletted) {
        picture.Palette.resize(256);
        return picture;
    }
    picture.BitCount = 24;
    picture.Palette.clear();
    picture.Pixels.resize(3 * screen.size());
    for (size_t i = 0; i < screen.size(); ++i) {
        picture.Pixels[3 * i] = uint8_t(screen[i] >> 16);
        picture.Pixels[3 * i + 1] = uint8_t(screen[i] >> 8);
        picture.Pixels[3 * i + 2] = uint8_t(screen[i]);
    }
    return picture;
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

bool ShownPicturesFit(const TGifFile& gif) {
    const uint64_t screen = uint64_t(gif.ScreenWidth) * gif.ScreenHeight;
    uint64_t own = 0;
    for (const auto& image : gif.SubImages)
        own += uint64_t(image->Pixels.Cells().Size());
    return screen <= own && screen * gif.SubImages.size() <= kMostShownPixels;
}

std::vector<TBitmap> ShownPictures(const TGifFile& gif) {
    const int32_t w = gif.ScreenWidth, h = gif.ScreenHeight;
    uint32_t background = 0;
    if (gif.HasGlobalTable) {
        const TColorEntry& e = gif.GlobalTable.Entries[gif.BackgroundIndex];
        background = MakeColor(e[0], e[1], e[2]);
    }
    std::vector<uint32_t> screen(size_t(w) * size_t(h), background), before;
    std::vector<TBitmap> shown;
    for (const auto& image : gif.SubImages) {
        const TImageDescriptor& d = image->Descriptor;
        const TControl control = ControlOf(*image);
        const TColorTable& table = image->HasLocalTable ? image->LocalTable : gif.GlobalTable;
        if (control.Disposal == 3) before = screen;
        // The part of the image on the screen; its pixels are held Width x Height.
        const int32_t right = std::min<int32_t>(d.Left + image->Pixels.Cols(), w);
        const int32_t bottom = std::min<int32_t>(d.Top + image->Pixels.Rows(), h);
        for (int32_t y = d.Top; y < bottom; ++y) {
            const uint8_t* row = image->Pixels.RowData(y - d.Top + 1);
            uint32_t* on = screen.data() + size_t(y) * size_t(w);
            for (int32_t x = d.Left; x < right; ++x) {
                const uint8_t index = row[x - d.Left];
                if (control.Transparent && index == *control.Transparent) continue;
                const TColorEntry& e = table.Entries[index];
                on[x] = MakeColor(e[0], e[1], e[2]);
            }
        }
        shown.push_back(Picture(screen, w, h));
        if (control.Disposal == 2)
            for (int32_t y = d.Top; y < bottom; ++y)
                std::fill_n(screen.data() + size_t(y) * size_t(w) + d.Left,
                            right - std::min<int32_t>(d.Left, right), background);
        else if (control.Disposal == 3)
            screen.swap(before);
    }
    return shown;
}

} // namespace orv
