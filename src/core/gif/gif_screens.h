// The pictures an animated GIF shows, one per image, as a viewer builds them on its screen:
// each image drawn at its place over what the one before left (its transparent index leaving
// the screen as it is), then disposed of as its graphic control says (kept, cleared to the
// background, or put back as it was before the image).
#pragma once

#include "core/base/bitmap.h"
#include "core/gif/gif_file.h"

#include <cstdint>
#include <vector>

namespace orv {

// Whether some image does not simply replace the whole screen: placed elsewhere, smaller,
// with a transparent index or a disposal other than "none". Without that, every picture shown
// is its image's own.
bool ImagesBuildOnEachOther(const TGifFile& gif);

// The most pixels the pictures shown may hold together: a small file may announce a huge
// screen and many tiny images.
inline constexpr uint64_t kMostShownPixels = uint64_t(1) << 30;

// Whether the pictures shown can be held: the screen no larger than the images' own pixels put
// together, and all the pictures within kMostShownPixels.
bool ShownPicturesFit(const TGifFile& gif);

// The screen after each image (decoded): 8-bit with the colours in order of first appearance
// when it shows no more than 256, else 24-bit. What no image has drawn yet is the global
// table's background colour (black without a global table).
std::vector<TBitmap> ShownPictures(const TGifFile& gif);

} // namespace orv
