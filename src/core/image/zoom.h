// The zoom of an image window's view and the mapping between the view and the image. A view
// is 1:n (each screen pixel the average of an n x n block, blocks counted from the picture's
// top-left corner, the last ones at the right and bottom edges partial) or n:1 (each image
// pixel an n x n square), n from 1 to 16. Zoom is a way of looking: the document, its display
// bitmap and whatever is saved or printed stay at one pixel per image pixel.
#pragma once

#include "core/image/display.h"

#include <cstdint>
#include <optional>
#include <string>

namespace orv {

inline constexpr int32_t kMaxZoomFactor = 16;

struct TZoom {
    int32_t In = 1;  // n:1, image pixels repeated
    int32_t Out = 1; // 1:n, image pixels averaged; In and Out are never both above 1
    bool operator==(const TZoom&) const = default;
    // Screen pixels per image pixel.
    double Scale() const { return static_cast<double>(In) / Out; }
};

// One step in or out: 1:16 ... 1:2, 1:1, 2:1 ... 16:1; the ends stay where they are.
TZoom ZoomedIn(TZoom zoom);
TZoom ZoomedOut(TZoom zoom);

// "1:4", "1:1", "3:1".
std::string ZoomText(TZoom zoom);

// A window's caption: the document's caption, followed by the zoom when it is not 1:1.
std::string ZoomedCaption(const std::string& caption, TZoom zoom);

// The view's size in screen pixels (a partial block counts as one pixel).
TSize ViewSize(TSize image, TZoom zoom);

// The largest step at which the whole view fits in `room`; 1:16 when none does.
TZoom FitZoom(TSize image, TSize room);

struct TImagePixel {
    int32_t Column = 0; // from 0 at the left
    int32_t Row = 0;    // from 0 at the top of the picture
    bool operator==(const TImagePixel&) const = default;
};

// The image pixel under view point (x, y), nothing outside the view. Zoomed in, the pixel
// repeated there. Zoomed out, a pixel of the block shown there: the one at the same relative
// place in the block as the point is across the view, so that the view's edges name the
// image's edge pixels and moving across a block's screen pixel never names another block.
std::optional<TImagePixel> ViewToImage(TSize image, TZoom zoom, int32_t x, int32_t y);

// The scroll position that keeps the image point under `pointer` (a position in the visible
// part, from its edge) where it is when the zoom changes from `from` to `to`, `scroll` being
// the position before. The caller keeps the result within its scroll range.
double AnchoredScroll(double pointer, double scroll, TZoom from, TZoom to);

} // namespace orv
