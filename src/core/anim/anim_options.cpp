#include "core/anim/anim_options.h"

#include "core/base/errors.h"
#include "core/text/number_text.h"

#include <sstream>

namespace orv {

std::optional<TCropRect> ParseCrop(const std::string& text) {
    std::vector<int32_t> values;
    std::stringstream parts(text);
    std::string part;
    while (std::getline(parts, part, ',')) {
        try {
            values.push_back(StrToInt(part));
        } catch (const EConvertError&) {
            return std::nullopt;
        }
    }
    if (values.size() != 4 || text.empty() || text.back() == ',') return std::nullopt;
    const TCropRect rect{values[0], values[1], values[2], values[3]};
    if (rect.X < 1 || rect.Y < 1 || rect.Width < 1 || rect.Height < 1) return std::nullopt;
    return rect;
}

std::string CropText(const TCropRect& rect) {
    return "X " + std::to_string(rect.X) + ", Y " + std::to_string(rect.Y) + ", " +
           std::to_string(rect.Width) + " x " + std::to_string(rect.Height);
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
