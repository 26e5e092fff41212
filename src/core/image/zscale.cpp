#include "core/image/zscale.h"

#include <algorithm>
#include <cmath>
#include <type_traits>
#include <vector>

namespace orv {

namespace {

constexpr size_t kSamples = 1000;
constexpr double kContrast = 0.25;
constexpr double kMaxReject = 0.5;
constexpr size_t kMinPixels = 5;
constexpr double kRejectSigmas = 2.5;
constexpr int kMaxIterations = 5;

// Every stride-th finite value, at most kSamples of them, stride = max(1, finite / kSamples)
// rounded down.
template <typename T> std::vector<double> Samples(const TValuePlane& plane) {
    const size_t count = plane.Count();
    size_t finite = count;
    if constexpr (!std::is_integral_v<T>) {
        finite = 0;
        for (size_t k = 0; k < count; ++k)
            finite += std::isfinite(PlaneValue<T>(plane, k));
    }
    const auto stride =
        static_cast<size_t>(std::max(1.0, static_cast<double>(finite) / static_cast<double>(kSamples)));
    std::vector<double> samples;
    samples.reserve(std::min(kSamples, finite));
    if (finite == count) {
        for (size_t k = 0; k < count && samples.size() < kSamples; k += stride)
            samples.push_back(static_cast<double>(PlaneValue<T>(plane, k)));
        return samples;
    }
    size_t seen = 0; // finite values passed
    for (size_t k = 0; k < count && samples.size() < kSamples; ++k) {
        const double v = PlaneValue<T>(plane, k);
        if (!std::isfinite(v)) continue;
        if (seen++ % stride == 0) samples.push_back(v);
    }
    return samples;
}

struct TLine {
    double Intercept = 0, Slope = 0;
};

// Least squares through the points (i, y[i]) not rejected.
TLine FitLine(const std::vector<double>& y, const std::vector<bool>& rejected) {
    long double n = 0, sx = 0, sy = 0;
    for (size_t i = 0; i < y.size(); ++i)
        if (!rejected[i]) n += 1, sx += static_cast<long double>(i), sy += y[i];
    const long double mx = sx / n, my = sy / n;
    long double sxx = 0, sxy = 0;
    for (size_t i = 0; i < y.size(); ++i) {
        if (rejected[i]) continue;
        const long double dx = static_cast<long double>(i) - mx;
        sxx += dx * dx;
        sxy += dx * (y[i] - my);
    }
    TLine line;
    line.Slope = static_cast<double>(sxx > 0 ? sxy / sxx : 0);
    line.Intercept = static_cast<double>(my - static_cast<long double>(line.Slope) * mx);
    return line;
}

} // namespace

std::optional<TThresholdPair> ZScaleThresholds(const TValuePlane& plane) {
    std::vector<double> samples;
    VisitValueType(plane.PixelType, [&](auto zero) { samples = Samples<decltype(zero)>(plane); });
    if (samples.empty()) return std::nullopt;
    std::sort(samples.begin(), samples.end());
    const size_t npix = samples.size();
    TThresholdPair limits{samples.front(), samples.back()};

    const size_t minPixels =
        std::max(kMinPixels, static_cast<size_t>(static_cast<double>(npix) * kMaxReject));
    const size_t grow = std::max<size_t>(1, static_cast<size_t>(static_cast<double>(npix) * 0.01));
    std::vector<bool> rejected(npix, false), grown(npix);
    std::vector<double> flat(npix);
    size_t good = npix, lastGood = npix + 1;
    TLine line;
    for (int iteration = 0; iteration < kMaxIterations; ++iteration) {
        if (good >= lastGood || good < minPixels) break;
        line = FitLine(samples, rejected);
        long double sum = 0, sum2 = 0;
        for (size_t i = 0; i < npix; ++i) {
            flat[i] = samples[i] - (line.Intercept + line.Slope * static_cast<double>(i));
            if (!rejected[i]) sum += flat[i];
        }
        const long double mean = sum / static_cast<long double>(good);
        for (size_t i = 0; i < npix; ++i)
            if (!rejected[i]) sum2 += (flat[i] - mean) * (flat[i] - mean);
        const double threshold =
            kRejectSigmas * static_cast<double>(std::sqrt(sum2 / static_cast<long double>(good)));
        for (size_t i = 0; i < npix; ++i)
            if (flat[i] < -threshold || flat[i] > threshold) rejected[i] = true;
        // Each rejection grows to the `grow` samples i - (grow - 1) / 2 ... i + grow / 2, where
        // a convolution of that length that keeps its input's size puts it.
        const size_t before = (grow - 1) / 2, after = grow - 1 - before;
        std::fill(grown.begin(), grown.end(), false);
        for (size_t i = 0; i < npix; ++i) {
            if (!rejected[i]) continue;
            const size_t from = i >= before ? i - before : 0, to = std::min(npix - 1, i + after);
            for (size_t j = from; j <= to; ++j)
                grown[j] = true;
        }
        rejected.swap(grown);
        lastGood = good;
        good = static_cast<size_t>(std::count(rejected.begin(), rejected.end(), false));
    }
    if (good >= minPixels) {
        const double slope = line.Slope / kContrast;
        const size_t centre = (npix - 1) / 2;
        const double median = npix % 2 ? samples[npix / 2] : (samples[npix / 2 - 1] + samples[npix / 2]) / 2;
        limits.Low = std::max(limits.Low, median - (static_cast<double>(centre) - 1) * slope);
        limits.High = std::min(limits.High, median + static_cast<double>(npix - centre) * slope);
    }
    return limits;
}

} // namespace orv
