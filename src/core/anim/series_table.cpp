#include "core/anim/series_table.h"

#include "core/image/robust_level.h"
#include "core/image/star_count.h"

#include <algorithm>
#include <cmath>

namespace orv {

namespace {

double MedianOf(std::vector<double> v) {
    if (v.empty()) return 0;
    const size_t h = v.size() / 2;
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(h), v.end());
    if (v.size() % 2) return v[h];
    const double upper = v[h];
    return (*std::max_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(h)) + upper) / 2;
}

bool Departs(double x, double reference, double factor) {
    return reference > 0 && (x > factor * reference || x < reference / factor);
}

} // namespace

TFrameFigures FrameFigures(const TValuePlane& plane, TValueScale scale, std::string time) {
    TFrameFigures f;
    f.Time = std::move(time);
    // The star candidates are gathered while the level is measured: one pass less over the values.
    THighRuns high;
    high.Spreads = kStarSpreads;
    const TRobustLevel level = RobustLevel(plane, &high, false);
    f.Values = level.Count;
    if (level.Count == 0) return f;
    f.Median = level.Median * scale.Scale + scale.Zero;
    f.Spread = level.Spread * std::fabs(scale.Scale);
    const double threshold = level.Median + kStarSpreads * level.Spread;
    f.Stars =
        high.Found ? CountStarsIn(plane, threshold, high.Starts, kHighRun) : CountStars(plane, threshold);
    return f;
}

TFrameFigures FrameFigures(const TImageDocument& doc) {
    return FrameFigures(PlaneOf(doc), ValueScaleOf(doc), FrameTime(doc));
}

std::vector<uint8_t> OutlierMarks(const std::vector<TFrameFigures>& frames, double factor) {
    std::vector<uint8_t> marks(frames.size(), 0);
    std::vector<double> sky, spread, stars;
    for (size_t k = 0; k < frames.size(); ++k) {
        const TFrameFigures& f = frames[k];
        if (f.Values == 0)
            marks[k] = kMarkNoValues;
        else if (!(f.Spread > 0))
            marks[k] = kMarkFlat;
        else {
            sky.push_back(f.Median);
            spread.push_back(f.Spread);
            stars.push_back(static_cast<double>(f.Stars));
        }
    }
    const double skyRef = MedianOf(sky), spreadRef = MedianOf(spread), starsRef = MedianOf(stars);
    for (size_t k = 0; k < frames.size(); ++k) {
        if (marks[k]) continue;
        const TFrameFigures& f = frames[k];
        if (Departs(f.Median, skyRef, factor)) marks[k] |= kMarkSky;
        if (Departs(f.Spread, spreadRef, factor)) marks[k] |= kMarkSpread;
        if (Departs(static_cast<double>(f.Stars), starsRef, factor)) marks[k] |= kMarkStars;
    }
    return marks;
}

std::string MarkText(uint8_t marks) {
    static const char* const kWords[] = {"no-values", "flat", "sky", "spread", "stars"};
    std::string text;
    for (size_t bit = 0; bit < std::size(kWords); ++bit)
        if (marks & (1u << bit)) text += (text.empty() ? "" : ",") + std::string(kWords[bit]);
    return text;
}

std::vector<TSeriesRow> MarkedRows(std::vector<TSeriesRow> rows, double factor) {
    std::vector<TFrameFigures> figures;
    figures.reserve(rows.size());
    for (const TSeriesRow& r : rows)
        figures.push_back(r.Figures);
    const std::vector<uint8_t> marks = OutlierMarks(figures, factor);
    for (size_t k = 0; k < rows.size(); ++k)
        rows[k].Marks = marks[k];
    return rows;
}

std::vector<TSeriesRow> SeriesTable(const std::vector<TAnimImg>& frames, double factor) {
    std::vector<TSeriesRow> rows;
    for (const TAnimImg& frame : frames) {
        if (!frame.Source) continue;
        const TRawImage& raw = frame.Source->Raw;
        rows.push_back(
            {frame.Name,
             FrameFigures({raw.PixelType, raw.Width, raw.Height, raw.Store}, frame.Source->Scale, frame.Time),
             0});
    }
    return MarkedRows(std::move(rows), factor);
}

} // namespace orv
