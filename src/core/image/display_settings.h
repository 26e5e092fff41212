// How a document is displayed, apart from its pixels: the two thresholds, the display function
// with its midtones balance, and the palette.
// Taken from one document and given to others, it shows a series of images alike.
#pragma once

#include "core/image/image_document.h"

#include <array>
#include <cstdint>
#include <vector>

namespace orv {

struct TDisplaySettings {
    double HighThreshold = 16383;
    double LowThreshold = 0;
    TDisplayFunction DisplayFunction = TDisplayFunction::Linear;
    double MidtonesBalance = kNeutralMidtones;
    std::array<TPaletteEntry, 256> Palette{};

    bool operator==(const TDisplaySettings&) const = default;
};

TDisplaySettings DisplaySettingsOf(const TImageDocument& doc);

// The settings written into the document; rendering is the caller's.
void ApplyDisplaySettings(TImageDocument& doc, const TDisplaySettings& settings);

// The palette as platform colours (red in the low byte), for the GIF colour tables.
std::vector<uint32_t> PaletteColors(const std::array<TPaletteEntry, 256>& palette);

} // namespace orv
