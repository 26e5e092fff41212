#include "core/anim/anim_options.h"

#include "core/base/errors.h"
#include "core/text/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace orv {

namespace {

// Four comma-separated numbers, each read by `convert`; nothing when a piece is no number,
// when there are more or fewer, or when the text ends in a comma.
template <typename T, typename F>
std::optional<std::vector<T>> FourNumbers(const std::string& text, F convert) {
    std::vector<T> values;
    std::stringstream parts(text);
    std::string part;
    while (std::getline(parts, part, ',')) {
        try {
            values.push_back(convert(part));
        } catch (const EConvertError&) {
            return std::nullopt;
        }
    }
    if (values.size() != 4 || text.back() == ',') return std::nullopt;
    return values;
}

} // namespace

std::optional<TCropRect> ParseCrop(const std::string& text) {
    const auto v = FourNumbers<int32_t>(text, StrToInt);
    if (!v) return std::nullopt;
    const TCropRect rect{(*v)[0], (*v)[1], (*v)[2], (*v)[3]};
    if (rect.X < 1 || rect.Y < 1 || rect.Width < 1 || rect.Height < 1) return std::nullopt;
    return rect;
}

std::optional<TAlignMethod> ParseAlign(const std::string& text) {
    if (text == "stars") return TAlignMethod::Stars;
    if (text == "wcs") return TAlignMethod::Sky;
    if (text == "none") return TAlignMethod::None;
    return std::nullopt;
}

std::optional<TTrack> ParseTrack(const std::string& text) {
    const auto v = FourNumbers<double>(text, StrToFloat);
    if (!v || !std::all_of(v->begin(), v->end(), [](double x) { return std::isfinite(x); }))
        return std::nullopt;
    return TTrack{(*v)[0], (*v)[1], (*v)[2], (*v)[3]};
}

std::string CropText(const TCropRect& rect) {
    return "X " + std::to_string(rect.X) + ", Y " + std::to_string(rect.Y) + ", " +
           std::to_string(rect.Width) + " x " + std::to_string(rect.Height);
}

TCropRect RegionFromDrag(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t width, int32_t height) {
    const auto inside = [](int32_t v, int32_t size) { return std::clamp(v, 0, std::max(size - 1, 0)); };
    x0 = inside(x0, width), x1 = inside(x1, width), y0 = inside(y0, height), y1 = inside(y1, height);
    // Readout rows count from 1 at the bottom.
    return {std::min(x0, x1) + 1, height - std::max(y0, y1), std::abs(x1 - x0) + 1, std::abs(y1 - y0) + 1};
}

std::vector<size_t> FrameOrder(size_t count, bool bounce) {
    std::vector<size_t> order;
    for (size_t i = 0; i < count; ++i)
        order.push_back(i);
    if (bounce)
        for (size_t i = count >= 2 ? count - 2 : 0; i >= 1 && i < count; --i)
            order.push_back(i);
    return order;
}

} // namespace orv
