// The histogram the threshold dialog draws: the counts of a document's values in equal bins
// over the bulk of its values, from the 0.1 to the 99.9 percentile (a thousandth of the values
// left beyond each end, counted in the end bins), with the places of values along that range
// for the threshold markers. A few hot or dead pixels so keep the image's own values spread
// over the whole width. For 16-bit images it comes from the statistics' whole-value counts, so
// one pass over the pixels gives both (SummariseImage in statistics.h).
#pragma once

#include "core/image/image_document.h"
#include "core/image/value_plane.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orv {

struct THistogram {
    // The axis the bins share equally: bin i covers [Start + i w, Start + (i + 1) w). For
    // whole values a bin holds whole values only and the axis runs from half a unit below the
    // minimum, so that a value's place is the middle of its unit.
    double Start = 0;
    double End = 0;
    std::vector<uint64_t> Counts; // empty when the document holds no value to count

    uint64_t Peak() const;
    // Place of a value along the axis: 0 at Start, 1 at End, clamped to [0, 1]. NaN gives 0.
    double Place(double value) const;
    // The value at a place along the axis.
    double ValueAt(double place) const;
};

// The threshold a marker dragged to `place` gives: a whole value for whole-valued images,
// else the value on a round step of about a thousandth of the axis (so typed-looking values).
double MarkerValue(const THistogram& histogram, double place, bool wholeValues);

// A bar's height on the logarithmic scale, 0 for an empty bin, 1 for the peak.
double LogHeight(uint64_t count, uint64_t peak);

// From 65536 counts of the whole values -32768..32767 (index value + 32768): at most `bins`
// bins over the bulk, each `ceil(range / bins)` whole values wide.
THistogram HistogramOfWholeCounts(const uint64_t* counts, int32_t bins);

// Every finite value of the document (NaN and infinities left out), at most `bins` bins. The
// bulk of images beyond a million values is found from an even sample of a million.
THistogram ComputeHistogram(const TImageDocument& doc, int32_t bins);

// The plane's finite values counted in the bins of `axis` (values beyond either end in the end
// bins): a colour image's channels drawn on its histogram's axis.
std::vector<uint64_t> CountsOnAxis(const TValuePlane& plane, const THistogram& axis);

} // namespace orv
