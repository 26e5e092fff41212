// Where a window opens inside the main window's frame of image windows (the area under its
// menus and tool bar), so that it never covers them.
#pragma once

#include "core/image/display.h"
#include "core/tools/print_layout.h"

namespace orv {

// The window's top-left corner: the wanted one, moved back so that the window lies inside the
// frame; a window larger than the frame keeps the frame's left or top edge. Screen pixels.
TRectangle PlaceInFrame(const TRectangle& frame, TSize window, int32_t wantedLeft, int32_t wantedTop);

} // namespace orv
