// A region of an image and its binning, on raw values (before display) or on a picture that
// has no raw values (a bitmap). Rows of raw values are in file order (the bottom row first);
// rows of a picture run from the top. Rectangles are in readout coordinates either way.
#pragma once

#include "core/anim/anim_options.h"
#include "core/base/bitmap.h"
#include "core/base/errors.h"
#include "core/image/value_plane.h"

#include <cstdint>
#include <vector>

namespace orv {

// Width x Height values of PixelType (the image document's codes), little-endian.
struct TRawImage {
    uint8_t PixelType = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint8_t> Store;
    bool operator==(const TRawImage&) const = default;
};

// A frame that does not hold the whole region.
class ERegionError : public EOrvanelError {
  public:
    using EOrvanelError::EOrvanelError;
};

// "La zone X 10, Y 20, 256 x 128 dépasse l'image (200 x 100)"
ERegionError RegionOutside(const TCropRect& rect, int32_t width, int32_t height);

// Whether the rectangle lies inside a width x height image.
bool RegionInside(const TCropRect& rect, int32_t width, int32_t height);

// The values of the rectangle; ERegionError when it is not inside the image.
TRawImage CropRaw(const TRawImage& image, const TCropRect& rect);
// Each n x n block becomes its mean: integers rounded half to even, reals as computed. A last
// partial row or column of blocks is dropped.
TRawImage BinRaw(const TRawImage& image, int32_t n);
// The same on a plane's values (a colour image's channel), which are only read.
TRawImage CropPlane(const TValuePlane& plane, const TCropRect& rect);
TRawImage BinPlane(const TValuePlane& plane, int32_t n);
// The rectangle's values binned, as BinPlane(CropPlane(plane, rect), n) without the region's copy.
TRawImage BinPlane(const TValuePlane& plane, const TCropRect& rect, int32_t n);

// The same on a picture; binning averages each colour and gives a 24-bit picture.
TBitmap CropBitmap(const TBitmap& picture, const TCropRect& rect);
TBitmap BinBitmap(const TBitmap& picture, int32_t n);

} // namespace orv
