#include "core/gif/color_quantizer.h"

#include "core/base/bitmap.h"

#include <algorithm>
#include <array>

namespace orv {

namespace {

uint8_t Channel(uint32_t color, int c) {
    return uint8_t(color >> (8 * c));
}

struct TBox {
    size_t Begin, End; // range of the working list
    uint64_t Pixels = 0;
    std::array<uint8_t, 3> Min{255, 255, 255}, Max{0, 0, 0};

    int WidestChannel() const {
        int best = 0;
        for (int c = 1; c < 3; ++c)
            if (Max[c] - Min[c] > Max[best] - Min[best]) best = c;
        return best;
    }
    int Extent() const { return Max[WidestChannel()] - Min[WidestChannel()]; }
};

// A colour of the caller's list with its position there.
struct TEntry {
    TColorCount Color;
    uint32_t Origin;
};

TBox MakeBox(const std::vector<TEntry>& work, size_t begin, size_t end) {
    TBox box{begin, end};
    for (size_t i = begin; i < end; ++i) {
        box.Pixels += work[i].Color.Count;
        for (int c = 0; c < 3; ++c) {
            box.Min[c] = std::min(box.Min[c], Channel(work[i].Color.Color, c));
            box.Max[c] = std::max(box.Max[c], Channel(work[i].Color.Color, c));
        }
    }
    return box;
}

} // namespace

TQuantized MedianCut(const std::vector<TColorCount>& colors, int maxColors) {
    std::vector<TEntry> work(colors.size());
    for (size_t i = 0; i < colors.size(); ++i)
        work[i] = {colors[i], uint32_t(i)};

    std::vector<TBox> boxes;
    if (!work.empty()) boxes.push_back(MakeBox(work, 0, work.size()));
    while (int(boxes.size()) < maxColors) {
        size_t pick = boxes.size();
        double bestScore = 0;
        for (size_t b = 0; b < boxes.size(); ++b) {
            const double score = double(boxes[b].Pixels) * boxes[b].Extent();
            if (boxes[b].End - boxes[b].Begin >= 2 && boxes[b].Extent() > 0 && score > bestScore) {
                bestScore = score;
                pick = b;
            }
        }
        if (pick == boxes.size()) break;
        const TBox box = boxes[pick];
        const int c = box.WidestChannel();
        // Weighted histogram of the channel; split after the value where half the pixels lie.
        std::array<uint64_t, 256> weight{};
        for (size_t i = box.Begin; i < box.End; ++i)
            weight[Channel(work[i].Color.Color, c)] += work[i].Color.Count;
        uint64_t below = 0;
        int cut = box.Min[c];
        for (; cut < box.Max[c]; ++cut) {
            below += weight[size_t(cut)];
            if (2 * below >= box.Pixels) break;
        }
        if (cut >= box.Max[c]) cut = box.Max[c] - 1;
        const auto middle = std::partition(work.begin() + long(box.Begin), work.begin() + long(box.End),
                                           [&](const auto& e) { return Channel(e.Color.Color, c) <= cut; });
        const size_t split = size_t(middle - work.begin());
        boxes[pick] = MakeBox(work, box.Begin, split);
        boxes.push_back(MakeBox(work, split, box.End));
    }

    TQuantized result;
    result.BoxOf.resize(colors.size());
    for (size_t b = 0; b < boxes.size(); ++b) {
        std::array<uint64_t, 3> sum{};
        for (size_t i = boxes[b].Begin; i < boxes[b].End; ++i) {
            result.BoxOf[work[i].Origin] = uint32_t(b);
            for (int c = 0; c < 3; ++c)
                sum[c] += uint64_t(Channel(work[i].Color.Color, c)) * work[i].Color.Count;
        }
        const uint64_t n = std::max<uint64_t>(boxes[b].Pixels, 1);
        result.BoxColors.push_back(MakeColor(uint8_t((sum[0] + n / 2) / n), uint8_t((sum[1] + n / 2) / n),
                                             uint8_t((sum[2] + n / 2) / n)));
    }
    return result;
}

} // namespace orv
