#include "core/anim/blink_pair.h"

#include "core/align/star_finder.h"
#include "core/anim/frame_compose.h"
#include "core/anim/steady_series.h"
#include "core/image/colour_picture.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace orv {

namespace {

constexpr size_t kContrastSamples = size_t(1) << 20;
constexpr double kContrastDeviations = 5;

// What is compared of one image: its grey values (a colour picture's luminance) and its channels.
struct TCompared {
    TRawImage Grey;
    const TColourPlanes* Colour = nullptr;
};

// The mean of the three channels, as 32-bit reals (the channels' own type or one that holds them).
TRawImage Luminance(const TColourPlanes& planes) {
    const TSize size = planes.Size();
    std::vector<float> sum(size_t(std::max(size.Width, 0)) * size_t(std::max(size.Height, 0)), 0.0f);
    for (const TValuePlane& plane : planes.Channels)
        VisitValueType(plane.PixelType, [&](auto zero) {
            using T = decltype(zero);
            const size_t n = std::min(sum.size(), plane.Count());
            for (size_t k = 0; k < n; ++k)
                sum[k] += float(PlaneValue<T>(plane, k)) / 3.0f;
        });
    TRawImage grey{kPixelReal32, size.Width, size.Height, std::vector<uint8_t>(sum.size() * sizeof(float))};
    if (!sum.empty()) std::memcpy(grey.Store.data(), sum.data(), grey.Store.size());
    return grey;
}

TCompared Compared(const TFrameSource& source, const TColourPlanes* colour) {
    if (BytesPerPixel(source.Raw.PixelType) == 0) throw EOrvanelError("Image sans valeurs");
    if (colour) return {Luminance(*colour), colour};
    return {source.Raw, nullptr};
}

TSteadySample SampleOf(const TCompared& image, const TFrameSource& source, TAlignMethod method) {
    const TRawImage& raw = image.Grey;
    TSteadySample s;
    s.Width = raw.Width;
    s.Height = raw.Height;
    if (method == TAlignMethod::Stars) s.Stars = FindStars(raw.PixelType, raw.Width, raw.Height, raw.Store);
    if (method == TAlignMethod::Sky) s.Sky = source.Sky;
    // A superpixel picture's pixels are the mosaic's 2 x 2 cells, which the coordinates count.
    if (image.Colour && source.Colour.Pattern && source.Debayer == TDebayer::Superpixel) s.SkyScale = 2;
    return s;
}

std::optional<std::array<TRawImage, 3>> CutChannels(const TCompared& image, const TCropRect& cut) {
    if (!image.Colour) return std::nullopt;
    std::array<TRawImage, 3> channels;
    for (size_t c = 0; c < 3; ++c)
        channels[c] = CropPlane(image.Colour->Channels[c], cut);
    return channels;
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

TAnimImg Frame(const TRawImage& raw, const std::optional<std::array<TRawImage, 3>>& colour,
               const TDisplaySettings& display, uint16_t delay) {
    TAnimImg frame;
    if (colour) {
        TColourPlanes planes;
        for (size_t c = 0; c < 3; ++c)
            planes.Channels[c] = {(*colour)[c].PixelType, (*colour)[c].Width, (*colour)[c].Height,
                                  (*colour)[c].Store};
        frame.SetBitmap(ColourPicture(planes, {display, display, display}));
    } else {
        frame.SetBitmap(PictureBitmap(ComposeRaw(raw, display, "", TAnimOptions())));
    }
    frame.SetDelay(delay);
    return frame;
}

} // namespace

TBlinkPair MakeBlinkPair(const TFrameSource& first, const TFrameSource& second, TAlignMethod method,
                         const TColourPlanes* firstColour, const TColourPlanes* secondColour) {
    TAnimOptions options;
    options.Align = method;
    const TCompared a = Compared(first, firstColour), b = Compared(second, secondColour);
    const TSteadySeries series =
        SteadySeries({SampleOf(a, first, method), SampleOf(b, second, method)}, options);
    for (const TFramePlace& place : series.Frames)
        if (!place.Kept) throw EAlignError(place.Reason);
    TBlinkPair pair;
    pair.Move = series.Frames[1].Move;
    pair.First = CropRaw(a.Grey, series.Frames[0].Cut);
    pair.Second = CropRaw(b.Grey, series.Frames[1].Cut);
    pair.FirstColour = CutChannels(a, series.Frames[0].Cut);
    pair.SecondColour = CutChannels(b, series.Frames[1].Cut);
    const std::vector<double> va = Values(pair.First), vb = Values(pair.Second);
    std::vector<float> difference(va.size());
    for (size_t k = 0; k < va.size(); ++k)
        difference[k] = float(va[k] - vb[k]);
    pair.Difference = {kPixelReal32, pair.First.Width, pair.First.Height, {}};
    pair.Difference.Store.resize(difference.size() * sizeof(float));
    if (!difference.empty())
        std::memcpy(pair.Difference.Store.data(), difference.data(), pair.Difference.Store.size());
    pair.Contrast = ContrastOf(difference);
    return pair;
}

std::vector<TAnimImg> BlinkFrames(const TBlinkPair& pair, const TDisplaySettings& display, uint16_t delay) {
    return {Frame(pair.First, pair.FirstColour, display, delay),
            Frame(pair.Second, pair.SecondColour, display, delay)};
}

} // namespace orv
