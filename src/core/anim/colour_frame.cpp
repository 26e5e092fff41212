#include "core/anim/colour_frame.h"

#include "core/anim/frame_region.h"
#include "core/anim/stamp.h"
#include "core/image/colour_picture.h"
#include "core/image/normalization.h"

#include <memory>

namespace orv {

TColourPlanes ReducedPlanes(const TColourPlanes& planes, const TAnimOptions& options) {
    if (!options.Crop && options.Bin <= 1) return planes;
    auto made = std::make_shared<std::array<TRawImage, 3>>();
    for (size_t c = 0; c < 3; ++c) {
        TRawImage& raw = (*made)[c];
        if (options.Crop && options.Bin > 1)
            raw = BinPlane(planes.Channels[c], *options.Crop, options.Bin);
        else if (options.Crop)
            raw = CropPlane(planes.Channels[c], *options.Crop);
        else
            raw = BinPlane(planes.Channels[c], options.Bin);
    }
    TColourPlanes reduced;
    for (size_t c = 0; c < 3; ++c) {
        const TRawImage& raw = (*made)[c];
        reduced.Channels[c] = {raw.PixelType, raw.Width, raw.Height, raw.Store};
    }
    // The owner keeps the new values alive; it points at nothing itself, so that the planes are
    // never taken for memory to write over.
    reduced.Owner = std::shared_ptr<double[]>(made, nullptr);
    return reduced;
}

TChannelLevels ChannelLevels(const TColourPlanes& planes) {
    TChannelLevels levels;
    for (size_t c = 0; c < 3; ++c)
        levels[c] = RobustLevel(planes.Channels[c]);
    return levels;
}

TChannelDisplays NormalizedDisplays(const TChannelDisplays& displays, const TChannelLevels& reference,
                                    const TChannelLevels& frame) {
    TChannelDisplays mapped;
    for (size_t c = 0; c < 3; ++c)
        mapped[c] = NormalizedDisplay(displays[c], reference[c], frame[c]);
    return mapped;
}

TBitmap ComposeColour(const TColourPlanes& planes, const TChannelDisplays& displays, const std::string& stamp,
                      const TAnimOptions& options) {
    TBitmap picture = ColourPicture(planes, displays);
    if (options.Stamp) DrawStamp(picture, stamp);
    return picture;
}

} // namespace orv
