#include "core/gif/global_colours.h"

#include "core/gif/bitmap_to_matrix.h"
#include "core/gif/gif_errors.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstdlib>
#include <new>
#include <thread>

namespace orv {

namespace {

constexpr size_t kCells = size_t(1) << 15; // 32 x 32 x 32
constexpr size_t kKeys = size_t(1) << 24;  // every 24-bit colour
constexpr size_t kWordsPerCell = 512 / 64; // a cell's colours in the seen bits
constexpr size_t kEnoughCells = 1024;      // below, the median cut takes the colours themselves

// A colour's key: its cell (the top 5 bits of red, green and blue) then its place in the cell,
// so that a cell's 512 colours are neighbours in every table indexed by key.
uint32_t CellOf(uint32_t r, uint32_t g, uint32_t b) {
    return (r >> 3) << 10 | (g >> 3) << 5 | b >> 3;
}

uint32_t KeyOf(uint32_t r, uint32_t g, uint32_t b) {
    return CellOf(r, g, b) << 9 | (r & 7) << 6 | (g & 7) << 3 | (b & 7);
}

// Each channel's share of the key, for the per-pixel loops: three look-ups and two ors.
struct TKeyParts {
    std::array<uint32_t, 256> Red, Green, Blue;

    TKeyParts() {
        for (uint32_t v = 0; v < 256; ++v)
            Red[v] = KeyOf(v, 0, 0), Green[v] = KeyOf(0, v, 0), Blue[v] = KeyOf(0, 0, v);
    }
    uint32_t Of(const uint8_t* bgr) const { return Red[bgr[2]] | Green[bgr[1]] | Blue[bgr[0]]; }
};

const TKeyParts kKeyParts;

std::array<uint8_t, 3> ColourOfKey(uint32_t key) {
    const uint32_t cell = key >> 9, within = key & 511;
    return {uint8_t((cell >> 10) << 3 | within >> 6), uint8_t(((cell >> 5) & 31) << 3 | ((within >> 3) & 7)),
            uint8_t((cell & 31) << 3 | (within & 7))};
}

uint32_t PlatformColour(uint32_t key) {
    const std::array<uint8_t, 3> c = ColourOfKey(key);
    return MakeColor(c[0], c[1], c[2]);
}

void CheckPicture(const TBitmap& picture) {
    if (picture.BitCount != 24 || picture.Width < 0 || picture.Height < 0 ||
        picture.Pixels.size() < size_t(picture.Width) * size_t(picture.Height) * 3)
        throw EGifException("Image bitmap incorrecte");
}

void* ZeroedPages(size_t bytes) {
    // calloc hands large blocks over as untouched pages: those of colours never met cost nothing.
    void* p = std::calloc(bytes, 1);
    if (!p) throw std::bad_alloc();
    return p;
}

struct TCell {
    std::array<uint64_t, 4> Pixels{};

    uint64_t Total() const { return Pixels[0] + Pixels[1] + Pixels[2] + Pixels[3]; }
};

// The entries that can be nearest to some colour of a cell: those whose distance to the cell's
// box is at most the smallest farthest distance of any entry to it, nearest to the box first
// (then in index order), each with that distance.
struct TCandidates {
    std::array<std::pair<int32_t, uint8_t>, 256> Entries; // distance to the box, index
    size_t Count = 0;
};

TCandidates Candidates(const TColorTable& table, uint32_t cell) {
    const std::array<uint8_t, 3> low = ColourOfKey(cell << 9);
    TCandidates kept;
    int32_t bound = INT32_MAX;
    for (int32_t i = 0; i < table.Count; ++i) {
        int32_t in = 0, out = 0;
        for (size_t c = 0; c < 3; ++c) {
            const int32_t v = table.Entries[size_t(i)][c], lo = low[c], hi = lo + 7;
            const int32_t gap = v < lo ? lo - v : v > hi ? v - hi : 0;
            const int32_t far = std::max(v - lo, hi - v);
            in += gap * gap, out += far * far;
        }
        kept.Entries[size_t(i)] = {in, uint8_t(i)};
        bound = std::min(bound, out);
    }
    const auto end = std::remove_if(kept.Entries.begin(), kept.Entries.begin() + table.Count,
                                    [bound](const auto& e) { return e.first > bound; });
    std::sort(kept.Entries.begin(), end);
    kept.Count = size_t(end - kept.Entries.begin());
    return kept;
}

} // namespace

struct TGlobalColours::TCounts {
    std::unique_ptr<uint64_t, TFree> Seen{static_cast<uint64_t*>(ZeroedPages(kKeys / 8))}; // a bit per key
    std::vector<TCell> Cells = std::vector<TCell>(kCells);
    // Each colour's pixels (saturating) while the colours fill few cells: the median cut then
    // weighs the colours themselves. Dropped once they fill many, where it weighs cells.
    std::unique_ptr<uint32_t, TFree> Exact{static_cast<uint32_t*>(ZeroedPages(kKeys * sizeof(uint32_t)))};
};

void TGlobalColours::TFree::operator()(void* p) const {
    std::free(p);
}

TGlobalColours::TGlobalColours() = default;

TGlobalColours::~TGlobalColours() = default;

void TGlobalColours::Meet(const TBitmap& picture) {
    CheckPicture(picture);
    std::unique_ptr<TCounts> counts;
    {
        const std::lock_guard lock(idleLock_);
        if (!idle_.empty()) {
            counts = std::move(idle_.back());
            idle_.pop_back();
        }
    }
    if (!counts) counts = std::make_unique<TCounts>();
    const size_t n = size_t(picture.Width) * size_t(picture.Height);
    const uint8_t* p = picture.Pixels.data();
    uint64_t* seen = counts->Seen.get();
    TCell* cells = counts->Cells.data();
    // Neighbouring pixels often share a cell: four counts per cell, taken in turn, spare each
    // count the wait for the one before.
    const auto meet = [&](size_t lane) {
        const uint32_t key = kKeyParts.Of(p + 3 * lane);
        seen[key >> 6] |= uint64_t(1) << (key & 63);
        ++cells[key >> 9].Pixels[lane];
    };
    size_t i = 0;
    for (; i + 4 <= n; i += 4, p += 12)
        meet(0), meet(1), meet(2), meet(3);
    for (; i < n; ++i, p += 3)
        meet(0);
    // The exact counts, for as long as the cells met are few: their pages stay few too.
    if (counts->Exact && size_t(std::count_if(counts->Cells.begin(), counts->Cells.end(),
                                              [](const TCell& c) { return c.Total() > 0; })) >= kEnoughCells)
        counts->Exact.reset();
    if (uint32_t* exact = counts->Exact.get()) {
        p = picture.Pixels.data();
        for (i = 0; i < n; ++i, p += 3) {
            uint32_t& count = exact[kKeyParts.Of(p)];
            count += count != UINT32_MAX;
        }
    }
    const std::lock_guard lock(idleLock_);
    idle_.push_back(std::move(counts));
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
    // Every thread's counts added into one: the table does not depend on which frame came first.
    if (idle_.empty()) idle_.push_back(std::make_unique<TCounts>());
    TCounts& all = *idle_.front();
    for (size_t k = 1; k < idle_.size(); ++k) {
        const TCounts& more = *idle_[k];
        // Only the cells another thread met: the pages of the others' bits are never touched.
        for (size_t c = 0; c < kCells; ++c) {
            if (more.Cells[c].Total() > 0)
                for (size_t w = c * kWordsPerCell; w < (c + 1) * kWordsPerCell; ++w)
                    all.Seen.get()[w] |= more.Seen.get()[w];
            if (all.Exact && more.Exact && more.Cells[c].Total() > 0)
                for (size_t key = c * 512; key < c * 512 + 512; ++key)
                    all.Exact.get()[key] = uint32_t(std::min<uint64_t>(
                        uint64_t(all.Exact.get()[key]) + more.Exact.get()[key], UINT32_MAX));
            for (size_t lane = 0; lane < 4; ++lane)
                all.Cells[c].Pixels[lane] += more.Cells[c].Pixels[lane];
        }
        if (!more.Exact) all.Exact.reset();
    }
    idle_.resize(1);
    const uint64_t* seen = all.Seen.get();
    std::vector<uint32_t> cells; // those holding a colour met
    size_t distinct = 0;
    for (uint32_t c = 0; c < kCells; ++c)
        if (all.Cells[c].Total() > 0) {
            cells.push_back(c);
            for (size_t w = 0; w < kWordsPerCell; ++w)
                distinct += size_t(std::popcount(seen[c * kWordsPerCell + w]));
        }
    // Calls f(key) for each colour of a cell that was met, in key order.
    const auto eachColour = [seen](uint32_t cell, auto&& f) {
        for (size_t w = 0; w < kWordsPerCell; ++w)
            for (uint64_t bits = seen[cell * kWordsPerCell + w]; bits != 0; bits &= bits - 1)
                f(uint32_t(cell * 512 + w * 64 + size_t(std::countr_zero(bits))));
    };

    std::vector<uint32_t> colours;
    if (distinct <= 256) {
        for (const uint32_t cell : cells)
            eachColour(cell, [&](uint32_t key) { colours.push_back(PlatformColour(key)); });
        std::sort(colours.begin(), colours.end());
    } else {
        std::vector<TColorCount> counted;
        for (const uint32_t c : cells) {
            const TCell& cell = all.Cells[c];
            if (cells.size() >= kEnoughCells) {
                // The mean of the cell's colours stands for them all.
                std::array<uint64_t, 3> sum{};
                uint64_t n = 0;
                eachColour(c, [&](uint32_t key) {
                    const std::array<uint8_t, 3> colour = ColourOfKey(key);
                    for (size_t k = 0; k < 3; ++k)
                        sum[k] += colour[k];
                    ++n;
                });
                counted.push_back({MakeColor(uint8_t((sum[0] + n / 2) / n), uint8_t((sum[1] + n / 2) / n),
                                             uint8_t((sum[2] + n / 2) / n)),
                                   cell.Total()});
                continue;
            }
            // Few cells: every thread counted each colour (none dropped its counts, holding
            // no more cells than all together).
            const uint32_t* exact = all.Exact.get();
            eachColour(c, [&](uint32_t key) { counted.push_back({PlatformColour(key), exact[key]}); });
        }
        colours = MedianCut(counted, 256).BoxColors;
    }
    table_ = TColorTable();
    table_.Count = RoundColorCount(int32_t(colours.size()));
    for (size_t i = 0; i < colours.size(); ++i)
        SplitColor(colours[i], table_.Entries[i][0], table_.Entries[i][1], table_.Entries[i][2]);

    // The black entries that fill the table up are table colours too. Each cell looks only at
    // the entries that can be nearest to one of its colours.
    if (!nearest_) nearest_.reset(static_cast<uint8_t*>(ZeroedPages(kKeys)));
    uint8_t* nearest = nearest_.get();
    const auto fill = [&](uint32_t cell) {
        const TCandidates candidates = Candidates(table_, cell);
        eachColour(cell, [&](uint32_t key) {
            const std::array<uint8_t, 3> c = ColourOfKey(key);
            // No entry farther from the box than the best distance so far can be nearer, nor
            // as near.
            int32_t best = 0, bestDistance = INT32_MAX;
            for (size_t k = 0; k < candidates.Count && candidates.Entries[k].first <= bestDistance; ++k) {
                const int32_t i = candidates.Entries[k].second;
                const TColorEntry& e = table_.Entries[size_t(i)];
                const int32_t dr = int32_t(e[0]) - c[0], dg = int32_t(e[1]) - c[1], db = int32_t(e[2]) - c[2];
                const int32_t d = dr * dr + dg * dg + db * db;
                if (d < bestDistance || (d == bestDistance && i < best)) bestDistance = d, best = i;
            }
            nearest[key] = uint8_t(best);
        });
    };
    // Cells taken 64 at a time by every core: nothing else runs while the table is made.
    std::atomic<size_t> next = 0;
    const auto work = [&] {
        for (size_t from; (from = next.fetch_add(64)) < cells.size();)
            for (size_t i = from; i < std::min(from + 64, cells.size()); ++i)
                fill(cells[i]);
    };
    std::vector<std::jthread> helpers;
    const size_t threads = std::min<size_t>(std::thread::hardware_concurrency(), cells.size() / 256);
    for (size_t t = 1; t < threads; ++t)
        helpers.emplace_back(work);
    work();
}

TByteArray2D TGlobalColours::Map(const TBitmap& picture) const {
    CheckPicture(picture);
    return Map(picture.Pixels.data(), picture.Width, picture.Height);
}

TByteArray2D TGlobalColours::Map(const uint8_t* bgr, int32_t width, int32_t height) const {
    TByteArray2D matrix(width, height);
    const size_t w = size_t(width);
    const uint8_t* p = bgr;
    const uint8_t* nearest = nearest_.get();
    for (int32_t y = 1; y <= height; ++y) {
        uint8_t* row = matrix.RowData(y);
        for (size_t x = 0; x < w; ++x, p += 3)
            row[x] = nearest[kKeyParts.Of(p)];
    }
    return matrix;
}

} // namespace orv
