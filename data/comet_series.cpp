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

// What a one-shot colour camera behind an RGGB filter mosaic records: each pixel sees one of
// the three channels, red on even columns of even rows (counted from the bottom, the first row
// the file stores), blue on odd columns of odd rows, green elsewhere.
struct TColourSky {
    TColourSky(int width, int height)
        : Sky(width, height), White(width, height), Red(width, height), Blue(width, height) {}
    TSkyImage Sky, White, Red, Blue; // the sky, and stars of three colours on black

    // The mosaic with `comet` (on black) added: a green coma, as C2 makes it, in a bluish glow.
    TSkyImage Mosaic(const TSkyImage& comet) const {
        // Weights per channel: sky, white stars, red stars, blue stars, comet.
        static constexpr double kWeights[3][5] = {
            {1.02, 1.0, 1.0, 0.35, 0.45}, {1.0, 0.95, 0.55, 0.7, 1.0}, {0.97, 0.9, 0.25, 1.0, 0.75}};
        TSkyImage mosaic(Sky.Width, Sky.Height);
        for (int y = 0; y < Sky.Height; ++y)
            for (int x = 0; x < Sky.Width; ++x) {
                const int channel = (x % 2) + (y % 2); // 0 red, 1 green, 2 blue
                const double* w = kWeights[channel];
                const size_t k = size_t(y) * Sky.Width + x;
                mosaic.Values[k] = w[0] * Sky.Values[k] + w[1] * White.Values[k] + w[2] * Red.Values[k] +
                                   w[3] * Blue.Values[k] + w[4] * comet.Values[k];
            }
        return mosaic;
    }
};

} // namespace

void WriteCometSeries(const std::string& folder, int width, int height, uint64_t seed, bool colour) {
    std::filesystem::create_directories(folder);
    TSkyImage field(width, height);
    field.FillSky();
    TRandom stars(seed);
    const int starCount = std::max(20, int(double(width) * height / 2500.0));
    field.AddStars(starCount, stars);
    TColourSky colourField(width, height);
    if (colour) {
        colourField.Sky.FillSky();
        TRandom white(seed), red(seed + 1), blue(seed + 2);
        colourField.White.AddStars(starCount * 3 / 5, white);
        colourField.Red.AddStars(starCount / 4, red);
        colourField.Blue.AddStars(starCount / 6, blue);
    }
    int start = kFirstStart;
    for (int frame = 1; frame <= kCometFrames; ++frame) {
        TSkyImage image = colour ? TSkyImage(width, height) : field;
        AddComet(image, (start - kFirstStart) / 60.0);
        if (colour) image = colourField.Mosaic(image);
        TRandom noise(seed + 1000 + uint64_t(frame));
        char name[32];
        std::snprintf(name, sizeof name, "comet%02d.fit", frame);
        SaveNoisyFits(
            image, noise,
            {"2024-03-09", ClockText(start), ClockText(start + kExposure), std::to_string(kExposure),
             "Comete synthetique",
             "orvanel-make-sample: comet frame " + std::to_string(frame) + ", seed " + std::to_string(seed),
             colour ? std::vector<std::string>{Card("BAYERPAT", "'RGGB'")} : std::vector<std::string>{}},
            (std::filesystem::path(folder) / name).string());
        if (frame < kCometFrames) start += kGaps[frame - 1];
    }
}

} // namespace orv::sample
