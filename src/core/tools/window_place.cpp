#include "core/tools/window_place.h"

#include <algorithm>

namespace orv {

namespace {

int32_t Inside(int32_t wanted, int32_t low, int32_t high, int32_t size) {
    return std::max(low, std::min(wanted, high - size));
}

} // namespace

TRectangle PlaceInFrame(const TRectangle& frame, TSize window, int32_t wantedLeft, int32_t wantedTop) {
    const int32_t left = Inside(wantedLeft, frame.Left, frame.Right, window.Width);
    const int32_t top = Inside(wantedTop, frame.Top, frame.Bottom, window.Height);
    return {left, top, left + window.Width, top + window.Height};
}

} // namespace orv
