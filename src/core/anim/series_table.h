// The series as a table, to weed out bad frames before an animation is made: each frame's
// time, sky level (the median), spread (1.4826 x the median absolute deviation) and star
// count (core/image/star_count.h, above the median plus kStarSpreads spreads), and marks on
// the frames that depart from the rest of the series.
//
// The outlier rule: for each of the sky level, the spread and the star count, the series'
// median is taken over the frames that have values and a spread; where that median M is
// above 0, a frame whose figure is above factor x M or below M / factor is marked for it.
// A frame without finite values or without spread (all its values one, or most of them) is
// marked as such and takes no part in the medians.
#pragma once

#include "core/anim/anim_frame.h"
#include "core/image/value_plane.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orv {

struct TFrameFigures {
    std::string Time;  // the frame's time text, empty when it has none
    size_t Values = 0; // finite values
    double Median = 0; // the sky level and the spread read in the readout's units
    double Spread = 0;
    int64_t Stars = 0;
};

TFrameFigures FrameFigures(const TValuePlane& plane, TValueScale scale, std::string time);
// A document with raw values; a document without has no values.
TFrameFigures FrameFigures(const TImageDocument& doc);

enum TFrameMark : uint8_t {
    kMarkNoValues = 1, // no finite value
    kMarkFlat = 2,     // a spread of 0
    kMarkSky = 4,
    kMarkSpread = 8,
    kMarkStars = 16,
};

inline constexpr double kOutlierFactor = 2;

// The marks of each frame, in order.
std::vector<uint8_t> OutlierMarks(const std::vector<TFrameFigures>& frames, double factor = kOutlierFactor);

// The marks' words in the order of the bits, comma-separated: "no-values", "flat", "sky",
// "spread", "stars"; empty without a mark.
std::string MarkText(uint8_t marks);

struct TSeriesRow {
    std::string Name;
    TFrameFigures Figures;
    uint8_t Marks = 0;
};

// Rows of frames already measured, marked.
std::vector<TSeriesRow> MarkedRows(std::vector<TSeriesRow> rows, double factor = kOutlierFactor);

// The builder's table: a row for each frame with raw values, in order, marked.
std::vector<TSeriesRow> SeriesTable(const std::vector<TAnimImg>& frames, double factor = kOutlierFactor);

} // namespace orv
