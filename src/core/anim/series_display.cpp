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

} // namespace orv
