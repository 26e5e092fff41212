// What every synthetic sample image is made of: a repeatable random source, Moffat-profile
// stars, and the noisy 16-bit FITS file written through the image document. The same seed
// always gives the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orv::sample {

// splitmix64: small, fast, and the same on every machine.
class TRandom {
  public:
    explicit TRandom(uint64_t seed) : state_(seed) {}
    uint64_t Next();
    double Uniform(); // [0, 1)
    double Gauss();   // Box-Muller, mean 0, deviation 1

  private:
    uint64_t state_;
};

constexpr double kSky = 1000.0; // ADU
constexpr double kSeeing = 2.6; // FWHM in pixels

// Expected photon counts in ADU, row by row from the bottom; noise is added when saving.
struct TSkyImage {
    TSkyImage(int width, int height);
    int Width, Height;
    std::vector<double> Values;
    // Sky with a gentle gradient, as a real field has from moonlight or the horizon.
    void FillSky();
    // A Moffat profile of total flux `flux` centred on (cx, cy), cut where it falls under 0.05 ADU.
    void AddMoffat(double cx, double cy, double flux, double fwhm);
    // A round Gaussian spot of total flux `flux`.
    void AddGauss(double cx, double cy, double flux, double sigma);
    // `count` stars of power-law fluxes (many faint, a few saturated) placed by `random`.
    void AddStars(int count, TRandom& random);
};

// The cards that differ between samples.
struct TSampleCards {
    std::string DateObs, TimeBeg, TimeEnd, TimeExp, Object, History;
    std::vector<std::string> Extra; // whole cards, written as they are (a WCS)
};

// "hh:mm:ss" of a count of seconds since midnight (wrapping past a day).
std::string ClockText(int seconds);

// An 80-column FITS card "KEYWORD = value" with the value right-aligned as the standard shows it.
std::string Card(const char* keyword, const std::string& value);

// Adds photon and read noise, rounds into 0..32767, and saves a FITS file with display
// thresholds that suit the sky. Errors are EOrvanelError with the writer's message.
void SaveNoisyFits(const TSkyImage& image, TRandom& noise, const TSampleCards& cards,
                   const std::string& path);

} // namespace orv::sample
