#include "core/image/auto_display.h"

#include <algorithm>

namespace orv {

std::string_view AutoDisplayName(TAutoDisplay mode) {
    return mode == TAutoDisplay::Mtf ? "mtf" : "zscale";
}

std::optional<TAutoDisplay> AutoDisplayNamed(std::string_view name) {
    if (name == "zscale") return TAutoDisplay::ZScale;
    if (name == "mtf") return TAutoDisplay::Mtf;
    return std::nullopt;
}

TMtfDisplay MtfDisplay(const TRobustLevel& level) {
    TMtfDisplay d;
    d.Thresholds.Low = std::max(level.Minimum, level.Median - kMtfShadowSpreads * level.Spread);
    d.Thresholds.High = level.Maximum;
    const double range = d.Thresholds.High - d.Thresholds.Low;
    if (range > 0) {
        // The balance that takes place x to level y is the transfer function of balance y at x.
        const double medianPlace = (level.Median - d.Thresholds.Low) / range;
        d.MidtonesBalance = MidtonesTransfer(kMtfMedianPlace, medianPlace);
    }
    return d;
}

TDisplaySettings AutoDisplaySettings(TAutoDisplay mode, const TValuePlane& plane, TDisplaySettings display) {
    if (mode == TAutoDisplay::ZScale) {
        display.DisplayFunction = TDisplayFunction::Linear;
        display.MidtonesBalance = kNeutralMidtones;
        if (const auto limits = ZScaleThresholds(plane)) {
            display.LowThreshold = limits->Low;
            display.HighThreshold = limits->High;
        }
        return display;
    }
    const TRobustLevel level = RobustLevel(plane);
    display.DisplayFunction = TDisplayFunction::Mtf;
    display.MidtonesBalance = kNeutralMidtones;
    if (level.Count == 0) return display;
    const TMtfDisplay mtf = MtfDisplay(level);
    display.LowThreshold = mtf.Thresholds.Low;
    display.HighThreshold = mtf.Thresholds.High;
    display.MidtonesBalance = mtf.MidtonesBalance;
    return display;
}

void ApplyAutoDisplay(TImageDocument& doc, TAutoDisplay mode) {
    if (BytesPerPixel(doc.PixelType) == 0) return;
    ApplyDisplaySettings(doc, AutoDisplaySettings(mode, PlaneOf(doc), DisplaySettingsOf(doc)));
}

} // namespace orv
