#include "core/tools/window_place.h"

#include <algorithm>

namespace orv {

namespace {

int32_t Inside(int32_t wanted, int32_t low, int32_t high, int32_t size) {
    return std::max(low, std::min(wanted, high - size));
}

int64_t Overlap(const TRectangle& a, const TRectangle& b) {
    const int64_t width = std::min(a.Right, b.Right) - std::max(a.Left, b.Left);
    const int64_t height = std::min(a.Bottom, b.Bottom) - std::max(a.Top, b.Top);
    return width > 0 && height > 0 ? width * height : 0;
}

} // namespace

TRectangle PlaceInFrame(const TRectangle& frame, TSize window, int32_t wantedLeft, int32_t wantedTop) {
    const int32_t left = Inside(wantedLeft, frame.Left, frame.Right, window.Width);
    const int32_t top = Inside(wantedTop, frame.Top, frame.Bottom, window.Height);
    return {left, top, left + window.Width, top + window.Height};
}

TRectangle PlaceBeside(const TRectangle& frame, TSize window, const TRectangle& avoid, int32_t margin) {
    const int32_t top = frame.Top + margin, left = frame.Left + margin;
    if (avoid.Right <= avoid.Left || avoid.Bottom <= avoid.Top) return PlaceInFrame(frame, window, left, top);
    const TRectangle sides[] = {
        PlaceInFrame(frame, window, avoid.Right + margin, top),
        PlaceInFrame(frame, window, avoid.Left - margin - window.Width, top),
        PlaceInFrame(frame, window, left, avoid.Bottom + margin),
    };
    return *std::min_element(
        std::begin(sides), std::end(sides),
        [&](const TRectangle& a, const TRectangle& b) { return Overlap(a, avoid) < Overlap(b, avoid); });
}

} // namespace orv
