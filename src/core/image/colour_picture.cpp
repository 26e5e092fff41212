#include "core/image/colour_picture.h"

#include "core/image/display.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace orv {

TBitmap ColourPicture(const TImageDocument& doc, const TColourPlanes& planes) {
    const TDisplaySettings display = DisplaySettingsOf(doc);
    return ColourPicture(planes, {display, display, display});
}

TBitmap ColourPicture(const TColourPlanes& planes, const std::array<TDisplaySettings, 3>& channels) {
    const TSize size = planes.Size();
    TBitmap picture;
    picture.Width = size.Width;
    picture.Height = size.Height;
    picture.BitCount = 24;
    const size_t w = size_t(std::max(size.Width, 0)), h = size_t(std::max(size.Height, 0));
    picture.Pixels.assign(w * h * 3, 0);
    if (w == 0 || h == 0) return picture;
    // The rendering writes its look-up table into the document it is given: a bare one that
    // holds only the display, never a copy of the values.
    auto display = std::make_unique<TImageDocument>();
    std::vector<uint8_t> levels(w * h);
    for (size_t c = 0; c < 3; ++c) {
        ApplyDisplaySettings(*display, channels[c]);
        const TValuePlane& plane = planes.Channels[c];
        std::fill(levels.begin(), levels.end(), uint8_t(0)); // a short plane leaves black
        // The bottom row is stored first and written last.
        RenderLevels(*display, plane.PixelType, size.Width, size.Height, plane.Store,
                     levels.data() + (h - 1) * w, -std::ptrdiff_t(w));
        uint8_t* out = picture.Pixels.data() + (2 - c); // B, G, R
        for (size_t k = 0; k < w * h; ++k)
            out[3 * k] = levels[k];
    }
    return picture;
}

} // namespace orv
