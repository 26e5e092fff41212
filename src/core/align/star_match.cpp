#include "core/align/star_match.h"

#include "core/text/rounding.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

namespace orv {

namespace {

constexpr double kMatchRadius = 1.5; // pixels between a moved star and its partner
// How unlikely the best of every offset tried must find its matches by chance.
constexpr double kChance = 1e-6;

struct TDelta {
    double X, Y;
};

// The offset most pairs propose: pairs are counted on whole-pixel cells and each cell scores
// with its eight neighbours, so that an offset near a cell's edge is not split in two. Ties
// go to the cell with more pairs of its own, then to the first in (Y, X) order.
TDelta VotedOffset(const std::vector<TStar>& reference, const std::vector<TStar>& frame) {
    // Cells as one key each, Y in the high half and X in the low half, both offset to be
    // positive (star coordinates are within a frame, far below 2^30), counted in a small
    // open-addressed table: a few thousand pairs, so no sorting and no allocation per pair.
    constexpr int64_t kBias = int64_t(1) << 31;
    constexpr uint64_t kFree = ~uint64_t(0);
    const auto key = [](int64_t x, int64_t y) { return (uint64_t(y + kBias) << 32) | uint64_t(x + kBias); };
    size_t size = 16;
    while (size < 2 * reference.size() * frame.size())
        size *= 2;
    std::vector<uint64_t> keys(size, kFree);
    std::vector<int> counts(size, 0);
    const auto slot = [&](uint64_t k) {
        size_t at = size_t((k * 0x9E3779B97F4A7C15ULL) >> 20) & (size - 1);
        while (keys[at] != kFree && keys[at] != k)
            at = (at + 1) & (size - 1);
        return at;
    };
    // Nearest whole number, halves up: truncation of a positive number (star coordinates are
    // far below 2^30), cheaper than a library call for thousands of pairs.
    const auto cell = [](double d) { return int64_t(d + 1073741824.5) - 1073741824; };
    int fullest = 0;
    for (const TStar& r : reference)
        for (const TStar& f : frame) {
            const uint64_t k = key(cell(r.X - f.X), cell(r.Y - f.Y));
            const size_t at = slot(k);
            keys[at] = k;
            fullest = std::max(fullest, ++counts[at]);
        }
    // Only cells that hold a good share of the fullest one's pairs are scored: the others are
    // chance, and scoring each would cost more than the rest.
    uint64_t best = 0;
    int bestScore = -1, bestOwn = -1;
    for (size_t i = 0; i < size; ++i) {
        const int own = counts[i];
        if (keys[i] == kFree || 4 * own < fullest) continue;
        const auto x = int64_t(keys[i] & 0xFFFFFFFFu) - kBias, y = int64_t(keys[i] >> 32) - kBias;
        int score = 0;
        for (int64_t dy = -1; dy <= 1; ++dy)
            for (int64_t dx = -1; dx <= 1; ++dx)
                score += counts[slot(key(x + dx, y + dy))];
        if (score > bestScore ||
            (score == bestScore && (own > bestOwn || (own == bestOwn && keys[i] < best)))) {
            best = keys[i];
            bestScore = score;
            bestOwn = own;
        }
    }
    return {double(int64_t(best & 0xFFFFFFFFu) - kBias), double(int64_t(best >> 32) - kBias)};
}

// Stars of the frame paired one to one with the reference's after the move, the closest pairs
// first; the differences of the pairs.
std::vector<TDelta> Pairs(const std::vector<TStar>& reference, const std::vector<TStar>& frame, TDelta move) {
    struct TCandidate {
        double Distance;
        size_t R, F;
    };
    std::vector<TCandidate> candidates;
    for (size_t r = 0; r < reference.size(); ++r)
        for (size_t f = 0; f < frame.size(); ++f) {
            const double dx = reference[r].X - frame[f].X - move.X, dy = reference[r].Y - frame[f].Y - move.Y;
            const double d = dx * dx + dy * dy; // squared: the order is the same
            if (d <= kMatchRadius * kMatchRadius) candidates.push_back({d, r, f});
        }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const TCandidate& a, const TCandidate& b) { return a.Distance < b.Distance; });
    std::vector<bool> usedR(reference.size()), usedF(frame.size());
    std::vector<TDelta> pairs;
    for (const TCandidate& c : candidates)
        if (!usedR[c.R] && !usedF[c.F]) {
            usedR[c.R] = usedF[c.F] = true;
            pairs.push_back({reference[c.R].X - frame[c.F].X, reference[c.R].Y - frame[c.F].Y});
        }
    return pairs;
}

double MedianOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

TDelta MedianDelta(const std::vector<TDelta>& pairs) {
    std::vector<double> xs, ys;
    for (const TDelta& p : pairs) {
        xs.push_back(p.X);
        ys.push_back(p.Y);
    }
    return {MedianOf(xs), MedianOf(ys)};
}

// The fewest matches that chance gives the best of `tries` offsets with probability under
// kChance, when each offset finds `expected` matches by chance on average (Poisson).
size_t MatchesBeyondChance(double expected, double tries) {
    double term = std::exp(-expected), below = 0; // P(X = m), P(X < m)
    for (size_t m = 0;; ++m) {
        if (tries * (1.0 - below) < kChance || m > 1000) return std::max(m, kMinStars);
        below += term;
        term *= expected / double(m + 1);
    }
}

} // namespace

TStarMatch MatchStars(const std::vector<TStar>& reference, const std::vector<TStar>& frame, int32_t width,
                      int32_t height) {
    const size_t fewest = std::min(reference.size(), frame.size());
    if (fewest < kMinStars)
        throw EAlignError("Trop peu d'étoiles pour aligner l'image (" + std::to_string(fewest) +
                          ", il en faut " + std::to_string(kMinStars) + ")");
    const double area = std::max(1.0, double(width) * double(height));
    const double expected = double(reference.size()) * double(frame.size()) * std::numbers::pi *
                            kMatchRadius * kMatchRadius / area;
    // Each pair's cell and its eight neighbours are tried, and the pairs' own offset after that.
    const size_t needed =
        MatchesBeyondChance(expected, 9.0 * double(reference.size()) * double(frame.size()));
    TDelta move = VotedOffset(reference, frame);
    std::vector<TDelta> pairs = Pairs(reference, frame, move);
    if (!pairs.empty()) { // once more around the pairs' own offset, which a cell only approaches
        move = MedianDelta(pairs);
        pairs = Pairs(reference, frame, move);
    }
    if (pairs.size() < needed)
        throw EAlignError("Les étoiles ne correspondent pas à celles de la première image (" +
                          std::to_string(pairs.size()) + " en commun, il en faut " + std::to_string(needed) +
                          ") : autre champ ?");
    move = MedianDelta(pairs);
    return {{int32_t(RoundHalfEven(move.X)), int32_t(RoundHalfEven(move.Y))}, pairs.size()};
}

} // namespace orv
