#include "drift_series.h"

#include "sample_sky.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace orv::sample {

namespace {

constexpr int kMargin = 24;                      // sky around the frame that the drift reveals
constexpr int kStep = 150;                       // seconds between frame starts
constexpr int kFirstStart = 23 * 3600 + 45 * 60; // 23:45:00 UT on 2024-03-09
constexpr int kExposure = 60;
constexpr double kPixelDegrees = 1.6 / 3600; // 1.6 arcseconds a pixel

std::string Real(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10G", v);
    return text;
}

} // namespace

TDrift DriftOf(int frame) {
    // The drive's periodic error and a slow wander, never more than kMargin pixels.
    const int k = frame - 1;
    return {int(std::lround(10.0 * std::sin(0.45 * k) + 2.0 * std::sin(1.7 * k))),
            int(std::lround(7.0 * std::sin(0.3 * k) - 3.0 * (1.0 - std::cos(0.8 * k))))};
}

void WriteDriftSeries(const std::string& folder, int width, int height, uint64_t seed, int frames) {
    std::filesystem::create_directories(folder);
    // The whole sky the frames look at: frame k shows its part from (kMargin, kMargin) + drift.
    TSkyImage sky(width + 2 * kMargin, height + 2 * kMargin);
    sky.FillSky();
    TRandom stars(seed);
    sky.AddStars(std::max(20, int(double(width) * height / 2000.0)), stars);
    const int hot[2][2] = {{width / 3, height / 2}, {width * 3 / 4, height / 5}};
    for (int frame = 1; frame <= frames; ++frame) {
        const TDrift d = DriftOf(frame);
        const int ox = kMargin + d.X, oy = kMargin + d.Y;
        TSkyImage image(width, height);
        for (int y = 0; y < height; ++y)
            std::copy_n(sky.Values.begin() + std::ptrdiff_t(y + oy) * sky.Width + ox, width,
                        image.Values.begin() + std::ptrdiff_t(y) * width);
        // The asteroid crosses the sky, not the frame: its place follows the time.
        const int start = kFirstStart + (frame - 1) * kStep;
        const double minutes = (frame - 1) * kStep / 60.0;
        image.AddMoffat(width * 0.25 + kMargin + 2.2 * minutes - ox,
                        height * 0.7 + kMargin - 1.1 * minutes - oy, 1.5e5, kSeeing);
        for (const auto& h : hot)
            image.Values[size_t(h[1]) * size_t(width) + size_t(h[0])] = 30000;
        const int day = start / 86400;
        // The sky coordinates: a tangent projection centred on the whole sky's middle.
        const std::vector<std::string> wcs{
            Card("CTYPE1", "'RA---TAN'"),
            Card("CTYPE2", "'DEC--TAN'"),
            Card("CRVAL1", Real(150.25)),
            Card("CRVAL2", Real(20.5)),
            Card("CRPIX1", Real(sky.Width / 2.0 + 0.5 - ox)),
            Card("CRPIX2", Real(sky.Height / 2.0 + 0.5 - oy)),
            Card("CDELT1", Real(-kPixelDegrees)),
            Card("CDELT2", Real(kPixelDegrees)),
        };
        TRandom noise(seed + 2000 + uint64_t(frame));
        char name[32];
        std::snprintf(name, sizeof name, "drift%02d.fit", frame);
        SaveNoisyFits(
            image, noise,
            {day == 0 ? "2024-03-09" : "2024-03-10", ClockText(start), ClockText(start + kExposure),
             std::to_string(kExposure), "Derive synthetique",
             "orvanel-make-sample: drift frame " + std::to_string(frame) + ", seed " + std::to_string(seed),
             wcs},
            (std::filesystem::path(folder) / name).string());
    }
}

} // namespace orv::sample
