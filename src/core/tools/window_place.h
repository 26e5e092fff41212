// Where a window opens inside the main window's frame of image windows (the area under its
// menus and tool bar), so that it never covers them.
#pragma once

#include "core/image/display.h"
#include "core/tools/print_layout.h"

namespace orv {

// The window's top-left corner: the wanted one, moved back so that the window lies inside the
// frame; a window larger than the frame keeps the frame's left or top edge. Screen pixels.
TRectangle PlaceInFrame(const TRectangle& frame, TSize window, int32_t wantedLeft, int32_t wantedTop);

// A window beside a rectangle it should not cover (the image it works on), inside the frame:
// right of it, else left of it, else below it, each `margin` pixels away and as high (or as far
// left) in the frame as it can be; when every side covers some of it, the side that covers the
// least. An empty rectangle: the frame's top-left corner, `margin` pixels in.
TRectangle PlaceBeside(const TRectangle& frame, TSize window, const TRectangle& avoid, int32_t margin);

} // namespace orv
