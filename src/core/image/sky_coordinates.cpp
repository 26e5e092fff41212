#include "core/image/sky_coordinates.h"

#include "core/image/celestial_cards.h"
#include "core/image/image_document.h"
#include "core/text/number_text.h"

#include <wcs.h>
#include <wcsfix.h>
#include <wcshdr.h>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace orv {

namespace {

bool IsEquatorial(const wcsprm& w) {
    return w.lng >= 0 && w.lat >= 0 && std::strcmp(w.lngtyp, "RA") == 0 && std::strcmp(w.lattyp, "DEC") == 0;
}

} // namespace

TSkyCoordinates::TSkyCoordinates(wcsprm* all, int count, wcsprm* chosen)
    : all_(all), count_(count), chosen_(chosen) {}

TSkyCoordinates::~TSkyCoordinates() {
    wcsvfree(&count_, &all_);
}

std::unique_ptr<TSkyCoordinates> TSkyCoordinates::FromCards(const std::vector<std::string>& fileCards,
                                                            int width, int height) {
    const std::optional<std::vector<std::string>> cards = CelestialCards(fileCards, width, height);
    if (!cards) return nullptr;
    std::string header;
    header.reserve(cards->size() * 80);
    for (const std::string& c : *cards) {
        std::string card = c.substr(0, 80);
        card.resize(80, ' ');
        header += card;
    }
    int rejected = 0, count = 0;
    wcsprm* all = nullptr;
    if (wcspih(header.data(), static_cast<int>(cards->size()), WCSHDR_all, 0, &rejected, &count, &all) != 0)
        return nullptr;
    // The primary description (no alternate letter) only.
    wcsprm* chosen = nullptr;
    for (int i = 0; i < count; ++i)
        if (all[i].alt[0] == ' ' || all[i].alt[0] == '\0') chosen = &all[i];
    if (chosen) {
        // As other FITS readers do: old forms of the cards are read as the standard ones.
        const int axes[2] = {width, height};
        int status[NWCSFIX];
        wcsfix(7, chosen->naxis >= 2 ? axes : nullptr, chosen, status);
        if (wcsset(chosen) != 0 || !IsEquatorial(*chosen)) chosen = nullptr;
    }
    if (!chosen) {
        wcsvfree(&count, &all);
        return nullptr;
    }
    return std::unique_ptr<TSkyCoordinates>(new TSkyCoordinates(all, count, chosen));
}

std::optional<std::pair<double, double>> TSkyCoordinates::At(double x, double y) const {
    constexpr int kMaxAxes = 8;
    const int naxis = chosen_->naxis;
    if (naxis < 2 || naxis > kMaxAxes) return std::nullopt;
    double pixel[kMaxAxes], image[kMaxAxes], world[kMaxAxes];
    double phi = 0, theta = 0;
    int status = 0;
    std::fill(pixel, pixel + kMaxAxes, 1.0);
    pixel[0] = x;
    pixel[1] = y;
    if (wcsp2s(chosen_, 1, naxis, pixel, image, &phi, &theta, world, &status) != 0) return std::nullopt;
    const double ra = world[chosen_->lng], dec = world[chosen_->lat];
    if (!std::isfinite(ra) || !std::isfinite(dec)) return std::nullopt;
    return std::make_pair(ra, dec);
}

std::shared_ptr<const TSkyCoordinates> SkyCoordinatesOf(const TImageDocument& doc) {
    std::vector<std::string> cards = doc.OtherCards;
    if (doc.Header.Equinox != 0) cards.push_back("EQUINOX = " + FormatReal15(doc.Header.Equinox));
    return TSkyCoordinates::FromCards(cards, doc.ImageWidth, doc.ImageHeight);
}

std::string RightAscensionText(double degrees) {
    constexpr long long day = 24LL * 3600 * 100; // hundredths of a second of time
    double hours = std::fmod(degrees / 15.0, 24.0);
    if (hours < 0) hours += 24.0;
    const long long total = std::llround(hours * 3600.0 * 100.0) % day;
    char buf[48];
    std::snprintf(buf, sizeof buf, "AD : %02lld:%02lld:%02lld.%02lld", total / 360000, total / 6000 % 60,
                  total / 100 % 60, total % 100);
    return buf;
}

std::string DeclinationText(double degrees) {
    const long long total = std::llround(std::fabs(degrees) * 3600.0 * 10.0); // tenths of an arcsecond
    const char sign = degrees < 0 && total != 0 ? '-' : '+';
    char buf[48];
    std::snprintf(buf, sizeof buf, "Dec : %c%02lld:%02lld:%02lld.%lld", sign, total / 36000, total / 600 % 60,
                  total / 10 % 60, total % 10);
    return buf;
}

} // namespace orv
