// Sky coordinates of a pixel, from the celestial coordinate system a FITS header describes
// (CTYPE1/CTYPE2 of the RA---/DEC-- kind), through wcslib. The header is parsed once, when
// the document is loaded, from the checked cards of core/image/celestial_cards.h (never the
// file's own); each look-up is then one transformation, cheap enough for every mouse move.
// Not for use from two threads at once.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct wcsprm;

namespace orv {

class TImageDocument;

class TSkyCoordinates {
  public:
    // From header cards and the image's size (only the cards CelestialCards writes from them
    // reach wcslib); nothing when they describe no right ascension and declination.
    static std::unique_ptr<TSkyCoordinates> FromCards(const std::vector<std::string>& cards, int width,
                                                      int height);
    ~TSkyCoordinates();
    TSkyCoordinates(const TSkyCoordinates&) = delete;
    TSkyCoordinates& operator=(const TSkyCoordinates&) = delete;

    // Right ascension and declination in degrees, in the header's own frame, at FITS pixel
    // coordinates (1 at the centre of the first pixel); nothing where the projection has none.
    std::optional<std::pair<double, double>> At(double x, double y) const;

  private:
    TSkyCoordinates(wcsprm* all, int count, wcsprm* chosen);
    wcsprm* all_;
    int count_;
    wcsprm* chosen_;
};

// The document's coordinate system, from its header cards (kept cards and EQUINOX).
std::shared_ptr<const TSkyCoordinates> SkyCoordinatesOf(const TImageDocument& doc);

// "AD : 05:34:31.94": hours, minutes, seconds with two decimals.
std::string RightAscensionText(double degrees);
// "Dec : +22:00:52.2": sign, degrees, minutes, seconds with one decimal.
std::string DeclinationText(double degrees);

} // namespace orv
