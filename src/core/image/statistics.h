// Minimum, median, maximum, mean and standard deviation of all the stored values of a
// document, as the statistics window and the automatic threshold presets use them.
// The median comes from a 65,536-bin histogram of the whole parts in -32768..32767.
#pragma once

#include "core/image/histogram.h"
#include "core/image/image_document.h"
#include "core/image/value_plane.h"

#include <array>
#include <string>
#include <string_view>
#include <utility>

namespace orv {

struct TStatistics {
    double Minimum = 0;
    double Median = 0;
    double Maximum = 0;
    double Mean = 0;
    double StandardDeviation = 0;
};

// One pass over PixelStore (never past its end) plus two passes over the histogram.
// No pixels: minimum +infinity, maximum -infinity, everything else 0.
TStatistics ComputeStatistics(const TImageDocument& doc);
// The same over one plane's values (a colour image's channel).
TStatistics ComputeStatistics(const TValuePlane& plane);

// What the windows keep of a document's values: the statistics and the threshold dialog's
// histogram. For 16-bit images both come from the same pass over the pixels.
struct TImageSummary {
    TStatistics Statistics;
    THistogram Histogram;
};
TImageSummary SummariseImage(const TImageDocument& doc, int32_t bins);

// The statistics window's five rows, caption then value, top to bottom:
// minimum, maximum, mean, median, standard deviation. A colour image's channel names itself
// before the colon: "Intensité minimum (R) :".
std::array<std::pair<std::string, std::string>, 5> StatisticsRows(const TStatistics& s,
                                                                  std::string_view channel = {});

} // namespace orv
