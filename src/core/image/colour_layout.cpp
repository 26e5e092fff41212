#include "core/image/colour_layout.h"

#include <cctype>
#include <string>

namespace orv {

namespace {

constexpr std::array<std::array<std::array<TChannel, 2>, 2>, 4> kPatterns = {{
    {{{TChannel::Red, TChannel::Green}, {TChannel::Green, TChannel::Blue}}},
    {{{TChannel::Blue, TChannel::Green}, {TChannel::Green, TChannel::Red}}},
    {{{TChannel::Green, TChannel::Red}, {TChannel::Blue, TChannel::Green}}},
    {{{TChannel::Green, TChannel::Blue}, {TChannel::Red, TChannel::Green}}},
}};

} // namespace

std::optional<TBayerPattern> BayerPatternNamed(std::string_view name) {
    std::string upper(name);
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper == "RGGB") return TBayerPattern::Rggb;
    if (upper == "BGGR") return TBayerPattern::Bggr;
    if (upper == "GRBG") return TBayerPattern::Grbg;
    if (upper == "GBRG") return TBayerPattern::Gbrg;
    return std::nullopt;
}

TChannel MosaicColour(const TColourLayout& layout, int32_t x, int32_t y) {
    const auto& p = kPatterns[size_t(*layout.Pattern)];
    return p[size_t((y + layout.YOffset) & 1)][size_t((x + layout.XOffset) & 1)];
}

std::array<std::array<TChannel, 2>, 2> MosaicCell(const TColourLayout& layout) {
    std::array<std::array<TChannel, 2>, 2> cell{};
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 2; ++x)
            cell[size_t(y)][size_t(x)] = MosaicColour(layout, x, y);
    return cell;
}

} // namespace orv
