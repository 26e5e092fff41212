#include "core/anim/blink_pair.h"

#include "core/align/star_finder.h"
#include "core/anim/frame_compose.h"
#include "core/anim/steady_series.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace orv {

namespace {

constexpr size_t kContrastSamples = size_t(1) << 20;
constexpr double kContrastDeviations = 5;

TSteadySample SampleOf(const TFrameSource& source, TAlignMethod method) {
    const TRawImage& raw = source.Raw;
    if (BytesPerPixel(raw.PixelType) == 0) throw EOrvanelError("Image sans valeurs");
    TSteadySample s;
    s.Width = raw.Width;
    s.Height = raw.Height;
    if (method == TAlignMethod::Stars) s.Stars = FindStars(raw.PixelType, raw.Width, raw.Height, raw.Store);
    if (method == TAlignMethod::Sky) s.Sky = source.Sky;
    return s;
}

std::vector<double> Values(const TRawImage& raw) {
    std::vector<double> values(size_t(raw.Width) * size_t(raw.Height));
    VisitValueType(raw.PixelType, [&](auto zero) {
        using T = decltype(zero);
        for (size_t k = 0; k < values.size(); ++k) {
            T v;
            std::memcpy(&v, raw.Store.data() + k * sizeof(T), sizeof(T));
            values[k] = double(v);
        }
    });
    return values;
}

float MedianOf(std::vector<float>& values) {
    const auto middle = values.begin() + std::ptrdiff_t(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// Median and median absolute deviation of the finite values (a sample of a large image).
TDisplaySettings ContrastOf(const std::vector<float>& difference) {
    const size_t step = std::max<size_t>(1, difference.size() / kContrastSamples);
    std::vector<float> sample;
    for (size_t k = 0; k < difference.size(); k += step)
        if (std::isfinite(difference[k])) sample.push_back(difference[k]);
    TDisplaySettings contrast = DisplaySettingsOf(TImageDocument()); // grey, linear
    double median = 0, spread = 1;
    if (!sample.empty()) {
        median = MedianOf(sample);
        for (float& v : sample)
            v = std::fabs(v - float(median));
        const double deviation = 1.4826 * MedianOf(sample);
        if (deviation > 0) spread = kContrastDeviations * deviation;
    }
    contrast.LowThreshold = median - spread;
    contrast.HighThreshold = median + spread;
    return contrast;
}

TAnimImg Frame(const TRawImage& raw, const TDisplaySettings& display, uint16_t delay) {
    TAnimImg frame;
    frame.SetBitmap(PictureBitmap(ComposeRaw(raw, display, "", TAnimOptions())));
    frame.SetDelay(delay);
    return frame;
}

} // namespace

TBlinkPair MakeBlinkPair(const TFrameSource& first, const TFrameSource& second, TAlignMethod method) {
    TAnimOptions options;
    options.Align = method;
    const TSteadySeries series = SteadySeries({SampleOf(first, method), SampleOf(second, method)}, options);
    for (const TFramePlace& place : series.Frames)
        if (!place.Kept) throw EAlignError(place.Reason);
    TBlinkPair pair;
    pair.Move = series.Frames[1].Move;
    pair.First = CropRaw(first.Raw, series.Frames[0].Cut);
    pair.Second = CropRaw(second.Raw, series.Frames[1].Cut);
    const std::vector<double> a = Values(pair.First), b = Values(pair.Second);
    std::vector<float> difference(a.size());
    for (size_t k = 0; k < a.size(); ++k)
        difference[k] = float(a[k] - b[k]);
    pair.Difference = {kPixelReal32, pair.First.Width, pair.First.Height, {}};
    pair.Difference.Store.resize(difference.size() * sizeof(float));
    if (!difference.empty())
        std::memcpy(pair.Difference.Store.data(), difference.data(), pair.Difference.Store.size());
    pair.Contrast = ContrastOf(difference);
    return pair;
}

std::vector<TAnimImg> BlinkFrames(const TBlinkPair& pair, const TDisplaySettings& display, uint16_t delay) {
    return {Frame(pair.First, display, delay), Frame(pair.Second, display, delay)};
}

} // namespace orv
