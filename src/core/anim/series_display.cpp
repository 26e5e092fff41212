#include "core/anim/series_display.h"

#include "core/image/normalization.h"

namespace orv {

TSeriesDisplay SeriesFrameDisplay(const TValuePlane& values, const TDisplaySettings& own,
                                  const TSeriesDisplayOptions& options, const TSeriesDisplay* first) {
    TSeriesDisplay made;
    made.Display = own;
    const bool mapped = options.Normalize && (options.SameDisplay || !options.OwnFromValues);
    if (options.Normalize && (!first || mapped)) made.Level = RobustLevel(values);
    if (!first) return made; // the first frame is its own reference
    if (options.SameDisplay) made.Display = first->Display;
    if (mapped) made.Display = NormalizedDisplay(made.Display, first->Level, made.Level);
    return made;
}

TChannelSeriesDisplay SeriesColourDisplay(const std::array<TValuePlane, 3>& values,
                                          const std::array<TDisplaySettings, 3>& own,
                                          const TSeriesDisplayOptions& options,
                                          const TChannelSeriesDisplay* first) {
    TChannelSeriesDisplay made;
    for (size_t c = 0; c < 3; ++c)
        made[c] = SeriesFrameDisplay(values[c], own[c], options, first ? &(*first)[c] : nullptr);
    return made;
}

} // namespace orv
