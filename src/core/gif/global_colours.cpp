#include "core/gif/global_colours.h"

#include "core/gif/bitmap_to_matrix.h"
#include "core/gif/gif_errors.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace orv {

namespace {

uint32_t ColourAt(const uint8_t* bgr) {
    return MakeColor(bgr[2], bgr[1], bgr[0]);
}

void CheckPicture(const TBitmap& picture) {
    if (picture.BitCount != 24 || picture.Width < 0 || picture.Height < 0 ||
        picture.Pixels.size() < size_t(picture.Width) * size_t(picture.Height) * 3)
        throw EGifException("Image bitmap incorrecte");
}

} // namespace

void TGlobalColours::TFree::operator()(uint32_t* p) const {
    std::free(p);
}

TGlobalColours::TGlobalColours() {
    // One slot per 24-bit colour: the pages of colours never met are never touched.
    ids_.reset(static_cast<uint32_t*>(std::calloc(size_t(1) << 24, sizeof(uint32_t))));
    if (!ids_) throw std::bad_alloc();
}

TGlobalColours::~TGlobalColours() = default;

void TGlobalColours::Meet(const TBitmap& picture) {
    CheckPicture(picture);
    const size_t n = size_t(picture.Width) * size_t(picture.Height);
    const uint8_t* p = picture.Pixels.data();
    uint32_t* ids = ids_.get();
    for (size_t i = 0; i < n; ++i, p += 3) {
        uint32_t& id = ids[ColourAt(p)];
        if (!id) {
            distinct_.push_back({ColourAt(p), 0});
            id = uint32_t(distinct_.size());
        }
        ++distinct_[id - 1].Count;
    }
}

int NearestColour(const TColorTable& table, int32_t count, uint32_t color) {
    uint8_t r, g, b;
    SplitColor(color, r, g, b);
    int best = 0;
    int32_t bestDistance = INT32_MAX;
    for (int32_t i = 0; i < count; ++i) {
        const TColorEntry& e = table.Entries[size_t(i)];
        const int32_t dr = int32_t(e[0]) - r, dg = int32_t(e[1]) - g, db = int32_t(e[2]) - b;
        const int32_t d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) bestDistance = d, best = int(i);
    }
    return best;
}

void TGlobalColours::Choose() {
    // The colours in a fixed order, so that the table does not depend on which frame came first.
    std::sort(distinct_.begin(), distinct_.end(),
              [](const TColorCount& a, const TColorCount& b) { return a.Color < b.Color; });
    std::vector<uint32_t> colours;
    if (distinct_.size() <= 256) {
        for (const TColorCount& c : distinct_)
            colours.push_back(c.Color);
    } else {
        colours = MedianCut(distinct_, 256).BoxColors;
    }
    table_ = TColorTable();
    table_.Count = RoundColorCount(int32_t(colours.size()));
    for (size_t i = 0; i < colours.size(); ++i)
        SplitColor(colours[i], table_.Entries[i][0], table_.Entries[i][1], table_.Entries[i][2]);
    // The black entries that fill the table up are table colours too. The entries are looked at
    // in order of red from the colour's own red outwards: once the red difference alone is
    // farther than the best distance, no entry beyond can be nearer.
    std::vector<std::pair<int32_t, int32_t>> byRed; // red, index
    for (int32_t i = 0; i < table_.Count; ++i)
        byRed.emplace_back(table_.Entries[size_t(i)][0], i);
    std::sort(byRed.begin(), byRed.end());
    for (const TColorCount& c : distinct_) {
        uint8_t r, g, b;
        SplitColor(c.Color, r, g, b);
        int32_t best = 0, bestDistance = INT32_MAX;
        const auto consider = [&](const std::pair<int32_t, int32_t>& entry) {
            const TColorEntry& e = table_.Entries[size_t(entry.second)];
            const int32_t dr = int32_t(e[0]) - r, dg = int32_t(e[1]) - g, db = int32_t(e[2]) - b;
            const int32_t d = dr * dr + dg * dg + db * db;
            if (d < bestDistance || (d == bestDistance && entry.second < best))
                bestDistance = d, best = entry.second;
        };
        const auto middle =
            std::lower_bound(byRed.begin(), byRed.end(), std::pair<int32_t, int32_t>(r, INT32_MIN));
        for (auto up = middle; up != byRed.end() && (up->first - r) * (up->first - r) <= bestDistance; ++up)
            consider(*up);
        for (auto down = middle; down != byRed.begin();) {
            --down;
            if ((down->first - r) * (down->first - r) > bestDistance) break;
            consider(*down);
        }
        ids_.get()[c.Color] = uint32_t(best);
    }
}

TByteArray2D TGlobalColours::Map(const TBitmap& picture) const {
    CheckPicture(picture);
    TByteArray2D matrix(picture.Width, picture.Height);
    const size_t w = size_t(picture.Width);
    const uint8_t* p = picture.Pixels.data();
    const uint32_t* ids = ids_.get();
    for (int32_t y = 1; y <= picture.Height; ++y) {
        uint8_t* row = matrix.RowData(y);
        for (size_t x = 0; x < w; ++x, p += 3)
            row[x] = uint8_t(ids[ColourAt(p)]);
    }
    return matrix;
}

} // namespace orv
