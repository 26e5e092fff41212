#include "core/align/sky_offset.h"

#include "core/text/rounding.h"

#include <cmath>
#include <numbers>

namespace orv {

namespace {

constexpr int kSteps = 50;
constexpr double kClose = 1e-9;  // pixels: the search stops when a step is shorter
constexpr double kEnough = 1e-6; // pixels: what a last step may still move for a result
constexpr double kStep = 0.5;    // pixels, for the derivatives

// The sky position's distance from the target, in degrees on a plane tangent at the target
// (right ascension scaled by the cosine of the declination, wrapped into -180 .. 180).
std::optional<std::pair<double, double>> Miss(const TSkyCoordinates& sky, double ra, double dec, double x,
                                              double y) {
    const auto at = sky.At(x, y);
    if (!at) return std::nullopt;
    const double cosine = std::cos(dec * std::numbers::pi / 180);
    return std::make_pair(std::remainder(at->first - ra, 360.0) * cosine, at->second - dec);
}

} // namespace

std::optional<std::pair<double, double>> SkyToPixel(const TSkyCoordinates& sky, double ra, double dec,
                                                    double x, double y) {
    // Newton's method with central differences: the transformation is smooth and nearly
    // linear over a frame, so a few steps reach the pixel to a billionth.
    double last = INFINITY;
    for (int step = 0; step < kSteps && last > kClose; ++step) {
        const auto f = Miss(sky, ra, dec, x, y);
        const auto xp = Miss(sky, ra, dec, x + kStep, y), xm = Miss(sky, ra, dec, x - kStep, y);
        const auto yp = Miss(sky, ra, dec, x, y + kStep), ym = Miss(sky, ra, dec, x, y - kStep);
        if (!f || !xp || !xm || !yp || !ym) return std::nullopt;
        const double a = (xp->first - xm->first) / (2 * kStep), b = (yp->first - ym->first) / (2 * kStep);
        const double c = (xp->second - xm->second) / (2 * kStep), d = (yp->second - ym->second) / (2 * kStep);
        const double det = a * d - b * c;
        if (!std::isfinite(det) || det == 0) return std::nullopt;
        const double dx = (d * f->first - b * f->second) / det, dy = (a * f->second - c * f->first) / det;
        x -= dx;
        y -= dy;
        last = std::hypot(dx, dy);
    }
    if (!(last <= kEnough) || !std::isfinite(x) || !std::isfinite(y)) return std::nullopt;
    return std::make_pair(x, y);
}

TOffset SkyOffset(const TSkyCoordinates& reference, int32_t width, int32_t height,
                  const TSkyCoordinates& frame) {
    const double cx = (width + 1) / 2.0, cy = (height + 1) / 2.0;
    const auto centre = reference.At(cx, cy);
    if (!centre) throw EAlignError("Le centre de la première image n'a pas de coordonnées célestes");
    const auto found = SkyToPixel(frame, centre->first, centre->second, cx, cy);
    if (!found) throw EAlignError("Le centre de la première image n'a pas de position dans cette image");
    // A move far beyond any frame is held there, so that moves can be added without overflow.
    constexpr int32_t kFarthest = int32_t(1) << 30;
    return {RoundClamped(cx - found->first, -kFarthest, kFarthest),
            RoundClamped(cy - found->second, -kFarthest, kFarthest)};
}

} // namespace orv
