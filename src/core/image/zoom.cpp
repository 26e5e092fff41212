#include "core/image/zoom.h"

#include <algorithm>

namespace orv {

namespace {

int32_t CeilDiv(int32_t a, int32_t b) {
    return static_cast<int32_t>((int64_t{a} + b - 1) / b);
}

// Along one axis: the pixel shown at view position p.
std::optional<int32_t> AxisToImage(int32_t length, TZoom zoom, int32_t p) {
    if (p < 0 || length <= 0) return std::nullopt;
    if (zoom.Out == 1) {
        if (int64_t{p} >= int64_t{length} * zoom.In) return std::nullopt;
        return p / zoom.In;
    }
    const int32_t view = CeilDiv(length, zoom.Out);
    if (p >= view) return std::nullopt;
    const int64_t first = int64_t{p} * zoom.Out;
    const int64_t last = std::min<int64_t>(length, first + zoom.Out) - 1;
    if (view == 1) return static_cast<int32_t>(first);
    // (last - first) * p / (view - 1), rounded to the nearest.
    const int64_t span = last - first, across = view - 1;
    return static_cast<int32_t>(first + (2 * span * p + across) / (2 * across));
}

} // namespace

TZoom ZoomedIn(TZoom zoom) {
    if (zoom.Out > 1) return {1, zoom.Out - 1};
    return {std::min(zoom.In + 1, kMaxZoomFactor), 1};
}

TZoom ZoomedOut(TZoom zoom) {
    if (zoom.In > 1) return {zoom.In - 1, 1};
    return {1, std::min(zoom.Out + 1, kMaxZoomFactor)};
}

std::string ZoomText(TZoom zoom) {
    return std::to_string(zoom.In) + ":" + std::to_string(zoom.Out);
}

std::string ZoomedCaption(const std::string& caption, TZoom zoom) {
    if (zoom == TZoom{}) return caption;
    const size_t end = caption.find_last_not_of(' ');
    return caption.substr(0, end == std::string::npos ? 0 : end + 1) + " - " + ZoomText(zoom);
}

TSize ViewSize(TSize image, TZoom zoom) {
    if (image.Width <= 0 || image.Height <= 0) return {0, 0};
    if (zoom.Out > 1) return {CeilDiv(image.Width, zoom.Out), CeilDiv(image.Height, zoom.Out)};
    const auto times = [&](int32_t v) {
        return static_cast<int32_t>(std::min<int64_t>(int64_t{v} * zoom.In, INT32_MAX));
    };
    return {times(image.Width), times(image.Height)};
}

TZoom FitZoom(TSize image, TSize room) {
    const auto fits = [&](TZoom z) {
        const TSize v = ViewSize(image, z);
        return v.Width <= room.Width && v.Height <= room.Height;
    };
    TZoom best{1, kMaxZoomFactor};
    for (TZoom z = best; fits(z); z = ZoomedIn(z)) {
        best = z;
        if (z == TZoom{kMaxZoomFactor, 1}) break;
    }
    return best;
}

std::optional<TImagePixel> ViewToImage(TSize image, TZoom zoom, int32_t x, int32_t y) {
    const auto column = AxisToImage(image.Width, zoom, x);
    const auto row = AxisToImage(image.Height, zoom, y);
    if (!column || !row) return std::nullopt;
    return TImagePixel{*column, *row};
}

double AnchoredScroll(double pointer, double scroll, TZoom from, TZoom to) {
    const double imagePoint = (scroll + pointer) / from.Scale();
    return imagePoint * to.Scale() - pointer;
}

} // namespace orv
