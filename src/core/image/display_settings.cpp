#include "core/image/display_settings.h"

#include "core/base/bitmap.h"

namespace orv {

TDisplaySettings DisplaySettingsOf(const TImageDocument& doc) {
    TDisplaySettings s;
    s.HighThreshold = doc.HighThreshold;
    s.LowThreshold = doc.LowThreshold;
    s.DisplayFunction = doc.DisplayFunction;
    s.MidtonesBalance = doc.MidtonesBalance;
    s.Palette = doc.Palette;
    return s;
}

void ApplyDisplaySettings(TImageDocument& doc, const TDisplaySettings& settings) {
    doc.HighThreshold = settings.HighThreshold;
    doc.LowThreshold = settings.LowThreshold;
    doc.DisplayFunction = settings.DisplayFunction;
    doc.MidtonesBalance = settings.MidtonesBalance;
    doc.Palette = settings.Palette;
}

std::vector<uint32_t> PaletteColors(const std::array<TPaletteEntry, 256>& palette) {
    std::vector<uint32_t> colors(256);
    // Entries are stored blue, green, red, as in a bitmap's colour table.
    for (size_t i = 0; i < 256; ++i)
        colors[i] = MakeColor(palette[i][2], palette[i][1], palette[i][0]);
    return colors;
}

} // namespace orv
