#include "comet_series.h"

#include "sample_sky.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace orv::sample {

namespace {

// Seconds between one frame's start and the next: mostly three minutes, with the gaps a
// night brings (a refocus, a passing cloud), so automatic delays have something to show.
constexpr int kGaps[kCometFrames - 1] = {180, 180, 180, 240, 180, 180, 300, 180, 180};
constexpr int kFirstStart = 22 * 3600 + 10 * 60; // 22:10:00 UT
constexpr int kExposure = 60;                    // seconds

std::string ClockText(int seconds) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600 % 24, seconds / 60 % 60, seconds % 60);
    return text;
}

// The comet where it stands `minutes` after the first frame, in a frame of the given size.
void AddComet(TSkyImage& image, double minutes) {
    const double cx = image.Width * 0.22 + 5.5 * minutes;
    const double cy = image.Height * 0.35 + 1.6 * minutes;
    // The tail leaves the coma up and to the left, widening and fading.
    const double dx = -std::cos(0.45), dy = std::sin(0.45);
    constexpr int kSteps = 48;
    for (int k = 1; k <= kSteps; ++k) {
        const double along = 1.6 * k, fade = 1.0 - double(k) / (kSteps + 8);
        image.AddGauss(cx + dx * along, cy + dy * along, 5000.0 * fade, 2.5 + 0.14 * k);
    }
    image.AddGauss(cx, cy, 2.5e5, 4.5);    // coma
    image.AddMoffat(cx, cy, 3e5, kSeeing); // nucleus
}

} // namespace

void WriteCometSeries(const std::string& folder, int width, int height, uint64_t seed) {
    std::filesystem::create_directories(folder);
    TSkyImage field(width, height);
    field.FillSky();
    TRandom stars(seed);
    field.AddStars(std::max(20, int(double(width) * height / 2500.0)), stars);
    int start = kFirstStart;
    for (int frame = 1; frame <= kCometFrames; ++frame) {
        TSkyImage image = field;
        AddComet(image, (start - kFirstStart) / 60.0);
        TRandom noise(seed + 1000 + uint64_t(frame));
        char name[32];
        std::snprintf(name, sizeof name, "comet%02d.fit", frame);
        SaveNoisyFits(
            image, noise,
            {"2024-03-09",
             ClockText(start),
             ClockText(start + kExposure),
             std::to_string(kExposure),
             "Comete synthetique",
             "orvanel-make-sample: comet frame " + std::to_string(frame) + ", seed " + std::to_string(seed),
             {}},
            (std::filesystem::path(folder) / name).string());
        if (frame < kCometFrames) start += kGaps[frame - 1];
    }
}

} // namespace orv::sample
