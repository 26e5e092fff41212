// orvanel-make-sample: writes a synthetic 16-bit FITS star field through the image document
// and the FITS writer. Stars have a Moffat profile over a sky background with photon and
// read noise; the same seed always gives the same file.
#include "core/base/errors.h"
#include "core/formats/fits_writer.h"
#include "core/image/image_document.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// splitmix64: small, fast, and the same on every machine.
class TRandom {
  public:
    explicit TRandom(uint64_t seed) : State(seed) {}
    uint64_t Next() {
        uint64_t z = (State += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double Uniform() { return (Next() >> 11) * (1.0 / 9007199254740992.0); } // [0, 1)
    double Gauss() {                                                         // Box-Muller
        const double u = 1.0 - Uniform(), v = Uniform();
        return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * v);
    }

  private:
    uint64_t State;
};

struct TOptions {
    std::string Out;
    int Width = 768, Height = 512, Stars = 0;
    uint64_t Seed = 20240309;
};

int Usage() {
    std::fprintf(stderr,
                 "Usage: orvanel-make-sample OUT.fit [--width W] [--height H] [--stars N] [--seed S]\n"
                 "Writes a synthetic 16-bit FITS star field (768x512 by default).\n");
    return 2;
}

constexpr double kSky = 1000.0;     // ADU
constexpr double kGain = 2.0;       // electrons per ADU
constexpr double kReadNoise = 4.0;  // ADU
constexpr double kSeeing = 2.6;     // FWHM in pixels
constexpr double kMoffatBeta = 3.0; // wings a little wider than a Gaussian

void AddStar(std::vector<double>& image, int w, int h, double cx, double cy, double flux, double fwhm) {
    // Moffat: I(r) = I0 (1 + (r/alpha)^2)^-beta, alpha from the FWHM; total flux = I0 pi alpha^2 / (beta -
    // 1).
    const double alpha = fwhm / (2.0 * std::sqrt(std::pow(2.0, 1.0 / kMoffatBeta) - 1.0));
    const double peak = flux * (kMoffatBeta - 1.0) / (M_PI * alpha * alpha);
    const int radius =
        static_cast<int>(std::ceil(alpha * std::sqrt(std::pow(peak / 0.05, 1.0 / kMoffatBeta))));
    const int r = std::min(radius, 60);
    for (int y = std::max(0, int(cy) - r); y <= std::min(h - 1, int(cy) + r); ++y)
        for (int x = std::max(0, int(cx) - r); x <= std::min(w - 1, int(cx) + r); ++x) {
            const double dx = x - cx, dy = y - cy;
            image[size_t(y) * w + x] +=
                peak * std::pow(1.0 + (dx * dx + dy * dy) / (alpha * alpha), -kMoffatBeta);
        }
}

} // namespace

int main(int argc, char** argv) {
    TOptions o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> long long {
            if (i + 1 >= argc) std::exit(Usage());
            return std::atoll(argv[++i]);
        };
        if (a == "--width")
            o.Width = int(next());
        else if (a == "--height")
            o.Height = int(next());
        else if (a == "--stars")
            o.Stars = int(next());
        else if (a == "--seed")
            o.Seed = uint64_t(next());
        else if (a == "--help" || a == "-h")
            return Usage(), 0;
        else if (!a.empty() && a[0] != '-' && o.Out.empty())
            o.Out = a;
        else
            return Usage();
    }
    if (o.Out.empty() || o.Width < 1 || o.Height < 1 || o.Width > 16384 || o.Height > 16384) return Usage();
    const int w = o.Width, h = o.Height;
    const int stars = o.Stars > 0 ? o.Stars : std::max(20, int(double(w) * h / 2500.0));

    TRandom rnd(o.Seed);
    // Sky with a gentle gradient, as a real field has from moonlight or the horizon.
    std::vector<double> image(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image[size_t(y) * w + x] = kSky * (1.0 + 0.06 * y / h + 0.03 * x / w);
    // Star fluxes follow a power law: many faint stars, a few bright ones (some saturate).
    for (int s = 0; s < stars; ++s) {
        const double cx = rnd.Uniform() * w, cy = rnd.Uniform() * h;
        const double flux = 2500.0 * std::pow(1.0 - rnd.Uniform() * 0.999, -1.3);
        AddStar(image, w, h, cx, cy, std::min(flux, 4e7), kSeeing * (0.9 + 0.2 * rnd.Uniform()));
    }
    // A small fuzzy galaxy near the centre.
    AddStar(image, w, h, w * 0.55, h * 0.45, 6e5, 18.0);

    orv::TImageDocument doc;
    doc.Kind = orv::kKindFits;
    doc.PixelType = orv::kPixelInt16;
    doc.ImageWidth = w;
    doc.ImageHeight = h;
    doc.PixelStore.resize(size_t(w) * h * 2);
    for (size_t k = 0; k < image.size(); ++k) {
        // Photon noise (Gaussian approximation of Poisson) and read noise, then the 16-bit range.
        const double v = image[k] + rnd.Gauss() * std::sqrt(image[k] / kGain) + rnd.Gauss() * kReadNoise;
        const auto value = static_cast<int16_t>(std::clamp(std::lround(v), 0L, 32767L));
        std::memcpy(doc.PixelStore.data() + 2 * k, &value, 2);
    }

    orv::TFitsHeader& hd = doc.Header;
    hd.Simple = true;
    hd.SimpleComment = "conforms to FITS standard";
    hd.BitpixComment = "16-bit signed integers";
    hd.Naxis = 2;
    hd.NaxisComment = "an image";
    hd.NaxisNComment = {"columns", "rows", "", ""};
    hd.Date = "2024-03-10";
    hd.DateComment = "file written";
    hd.DateObs = "2024-03-09";
    hd.DateObsComment = "start of exposure (UT)";
    hd.TimeBeg = "21:42:17";
    hd.TimeBegComment = "start of exposure (UT)";
    hd.TimeExp = "120";
    hd.TimeExpComment = "exposure in seconds";
    hd.TimeEnd = "21:44:17";
    hd.Object = "Champ d'etoiles synthetique";
    hd.ObjectComment = "generated, not observed";
    hd.Telescop = "T200 f/6";
    hd.Instrume = "CCD KAF-0400";
    hd.Origin = "Orvanel";
    doc.LowThreshold = std::round(kSky * 0.95);
    doc.HighThreshold = std::round(kSky * 1.6);
    hd.ThreshHighComment = "display high threshold";
    hd.ThreshLowComment = "display low threshold";
    doc.HistoryLines = {"orvanel-make-sample: sky " + std::to_string(int(kSky)) + " ADU, " +
                        std::to_string(stars) + " stars, seed " + std::to_string(o.Seed)};
    try {
        orv::SaveFits(doc, o.Out);
    } catch (const orv::EOrvanelError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
