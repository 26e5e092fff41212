#include "sample_sky.h"

#include "core/formats/fits_writer.h"
#include "core/image/image_document.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace orv::sample {

namespace {

constexpr double kGain = 2.0;       // electrons per ADU
constexpr double kReadNoise = 4.0;  // ADU
constexpr double kMoffatBeta = 3.0; // wings a little wider than a Gaussian
constexpr double kPi = 3.141592653589793;

} // namespace

uint64_t TRandom::Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double TRandom::Uniform() {
    return (Next() >> 11) * (1.0 / 9007199254740992.0);
}

double TRandom::Gauss() {
    const double u = 1.0 - Uniform(), v = Uniform();
    return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * kPi * v);
}

TSkyImage::TSkyImage(int width, int height)
    : Width(width), Height(height), Values(size_t(width) * size_t(height)) {}

void TSkyImage::FillSky() {
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            Values[size_t(y) * Width + x] = kSky * (1.0 + 0.06 * y / Height + 0.03 * x / Width);
}

void TSkyImage::AddMoffat(double cx, double cy, double flux, double fwhm) {
    // I(r) = I0 (1 + (r/alpha)^2)^-beta, alpha from the FWHM; total flux = I0 pi alpha^2 / (beta - 1).
    const double alpha = fwhm / (2.0 * std::sqrt(std::pow(2.0, 1.0 / kMoffatBeta) - 1.0));
    const double peak = flux * (kMoffatBeta - 1.0) / (kPi * alpha * alpha);
    const int radius =
        static_cast<int>(std::ceil(alpha * std::sqrt(std::pow(peak / 0.05, 1.0 / kMoffatBeta))));
    const int r = std::min(radius, 60);
    for (int y = std::max(0, int(cy) - r); y <= std::min(Height - 1, int(cy) + r); ++y)
        for (int x = std::max(0, int(cx) - r); x <= std::min(Width - 1, int(cx) + r); ++x) {
            const double dx = x - cx, dy = y - cy;
            Values[size_t(y) * Width + x] +=
                peak * std::pow(1.0 + (dx * dx + dy * dy) / (alpha * alpha), -kMoffatBeta);
        }
}

void TSkyImage::AddGauss(double cx, double cy, double flux, double sigma) {
    const double peak = flux / (2.0 * kPi * sigma * sigma);
    const int r = static_cast<int>(std::ceil(4.0 * sigma));
    for (int y = std::max(0, int(cy) - r); y <= std::min(Height - 1, int(cy) + r); ++y)
        for (int x = std::max(0, int(cx) - r); x <= std::min(Width - 1, int(cx) + r); ++x) {
            const double dx = x - cx, dy = y - cy;
            Values[size_t(y) * Width + x] += peak * std::exp(-(dx * dx + dy * dy) / (2.0 * sigma * sigma));
        }
}

void TSkyImage::AddStars(int count, TRandom& random) {
    for (int s = 0; s < count; ++s) {
        const double cx = random.Uniform() * Width, cy = random.Uniform() * Height;
        const double flux = 2500.0 * std::pow(1.0 - random.Uniform() * 0.999, -1.3);
        AddMoffat(cx, cy, std::min(flux, 4e7), kSeeing * (0.9 + 0.2 * random.Uniform()));
    }
}

std::string ClockText(int seconds) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600 % 24, seconds / 60 % 60, seconds % 60);
    return text;
}

std::string Card(const char* keyword, const std::string& value) {
    char card[96];
    std::snprintf(card, sizeof card, "%-8.8s= %20s", keyword, value.c_str());
    std::string text = card;
    text.resize(80, ' ');
    return text;
}

void SaveNoisyFits(const TSkyImage& image, TRandom& noise, const TSampleCards& cards,
                   const std::string& path) {
    TImageDocument doc;
    doc.Kind = kKindFits;
    doc.PixelType = kPixelInt16;
    doc.ImageWidth = image.Width;
    doc.ImageHeight = image.Height;
    doc.PixelStore.resize(image.Values.size() * 2);
    for (size_t k = 0; k < image.Values.size(); ++k) {
        // Photon noise (Gaussian approximation of Poisson) and read noise, then the 16-bit range.
        const double expected = image.Values[k];
        const double v = expected + noise.Gauss() * std::sqrt(expected / kGain) + noise.Gauss() * kReadNoise;
        const auto value = static_cast<int16_t>(std::clamp(std::lround(v), 0L, 32767L));
        std::memcpy(doc.PixelStore.data() + 2 * k, &value, 2);
    }

    TFitsHeader& hd = doc.Header;
    hd.Simple = true;
    hd.SimpleComment = "conforms to FITS standard";
    hd.BitpixComment = "16-bit signed integers";
    hd.Naxis = 2;
    hd.NaxisComment = "an image";
    hd.NaxisNComment = {"columns", "rows", "", ""};
    hd.Date = "2024-03-10";
    hd.DateComment = "file written";
    hd.DateObs = cards.DateObs;
    hd.DateObsComment = "start of exposure (UT)";
    hd.TimeBeg = cards.TimeBeg;
    hd.TimeBegComment = "start of exposure (UT)";
    hd.TimeExp = cards.TimeExp;
    hd.TimeExpComment = "exposure in seconds";
    hd.TimeEnd = cards.TimeEnd;
    hd.Object = cards.Object;
    hd.ObjectComment = "generated, not observed";
    hd.Telescop = "T200 f/6";
    hd.Instrume = "CCD KAF-0400";
    hd.Origin = "Orvanel";
    doc.LowThreshold = std::round(kSky * 0.95);
    doc.HighThreshold = std::round(kSky * 1.6);
    hd.ThreshHighComment = "display high threshold";
    hd.ThreshLowComment = "display low threshold";
    doc.HistoryLines = {cards.History};
    doc.OtherCards = cards.Extra;
    SaveFits(doc, path);
}

} // namespace orv::sample
