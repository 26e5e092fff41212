// orvanel-make-sample: writes the bundled sample images, synthetic 16-bit FITS files made
// through the image document and the FITS writer: a star field, or with --comet a series of
// frames of a comet crossing a star field (grey, or a colour camera's mosaics), or with --drift a series
// whose field wanders. The same seed always gives the same files.
#include "comet_series.h"
#include "drift_series.h"
#include "sample_sky.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

namespace {

using namespace orv::sample;

struct TOptions {
    std::string Out;
    bool Comet = false;
    bool Drift = false;
    bool Colour = false;
    int Width = 0, Height = 0, Stars = 0, Frames = kDriftFrames;
    uint64_t Seed = 20240309;
};

int Usage() {
    std::fprintf(
        stderr, "Usage: orvanel-make-sample OUT.fit [--width W] [--height H] [--stars N] [--seed S]\n"
                "       orvanel-make-sample --comet FOLDER [--colour] [--width W] [--height H] [--seed S]\n"
                "       orvanel-make-sample --drift FOLDER [--width W] [--height H] [--seed S] [--frames N]\n"
                "Writes a synthetic 16-bit FITS star field (768x512 by default), or ten frames of a\n"
                "comet crossing a star field, FOLDER/comet01.fit to comet10.fit (384x256 by default;\n"
                "with --colour, RGGB mosaics of a one-shot colour camera),\n"
                "or N frames (12, at most 99) of a field that drifts by whole pixels while an asteroid\n"
                "crosses it, across midnight, with sky coordinates, FOLDER/drift01.fit ... (320x240).\n");
    return 2;
}

void WriteStarField(const TOptions& o) {
    TRandom random(o.Seed);
    TSkyImage image(o.Width, o.Height);
    image.FillSky();
    const int stars = o.Stars > 0 ? o.Stars : std::max(20, int(double(o.Width) * o.Height / 2500.0));
    image.AddStars(stars, random);
    // A small fuzzy galaxy near the centre.
    image.AddMoffat(o.Width * 0.55, o.Height * 0.45, 6e5, 18.0);
    SaveNoisyFits(image, random,
                  {"2024-03-09",
                   "21:42:17",
                   "21:44:17",
                   "120",
                   "Champ d'etoiles synthetique",
                   "orvanel-make-sample: sky " + std::to_string(int(kSky)) + " ADU, " +
                       std::to_string(stars) + " stars, seed " + std::to_string(o.Seed),
                   {}},
                  o.Out);
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
        else if (a == "--frames")
            o.Frames = int(next());
        else if (a == "--seed")
            o.Seed = uint64_t(next());
        else if (a == "--comet")
            o.Comet = true;
        else if (a == "--colour")
            o.Colour = true;
        else if (a == "--drift")
            o.Drift = true;
        else if (a == "--help" || a == "-h")
            return Usage(), 0;
        else if (!a.empty() && a[0] != '-' && o.Out.empty())
            o.Out = a;
        else
            return Usage();
    }
    if (o.Width == 0) o.Width = o.Drift ? 320 : o.Comet ? 384 : 768;
    if (o.Height == 0) o.Height = o.Drift ? 240 : o.Comet ? 256 : 512;
    if (o.Out.empty() || o.Frames < 1 || o.Frames > 99 || o.Width < 1 || o.Height < 1 || o.Width > 16384 ||
        o.Height > 16384)
        return Usage();
    try {
        if (o.Drift)
            WriteDriftSeries(o.Out, o.Width, o.Height, o.Seed, o.Frames);
        else if (o.Comet)
            WriteCometSeries(o.Out, o.Width, o.Height, o.Seed, o.Colour);
        else
            WriteStarField(o);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
