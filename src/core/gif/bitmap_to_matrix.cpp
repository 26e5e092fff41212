#include "core/gif/bitmap_to_matrix.h"

#include "core/gif/color_quantizer.h"
#include "core/gif/gif_errors.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <numeric>
#include <vector>

namespace orv {

namespace {

// Fills the matrix row by row: the group of each pixel (a palette index, a distinct colour,
// or a box of colours) gets the next table index the first time it is met.
// The matrix may be the groups' own storage: each cell is read before it is written.
template <class GroupOf>
void AssignIndices(TColorTable& table, TByteArray2D& matrix, const TProgress& progress, size_t groups,
                   const std::vector<uint32_t>& groupColor, GroupOf groupOf) {
    std::vector<int> index(groups, -1);
    const size_t w = size_t(matrix.Cols());
    const int32_t height = matrix.Rows();
    for (int32_t y = 1; y <= height; ++y) {
        uint8_t* row = matrix.RowData(y);
        for (size_t x = 0; x < w; ++x) {
            const uint32_t g = groupOf(size_t(y - 1) * w + x);
            int& i = index[g];
            if (i < 0) {
                i = FindColor(table, groupColor[g]);
                if (i < 0) {
                    i = table.Count++;
                    SplitColor(groupColor[g], table.Entries[size_t(i)][0], table.Entries[size_t(i)][1],
                               table.Entries[size_t(i)][2]);
                }
            }
            row[x] = uint8_t(i);
        }
        progress.Show(float(double(y) / height));
    }
}

// Palette indices (rows from the top through rowOf(y), y from 0) written into the matrix as
// table indices; the matrix may be the rows' own storage.
template <class RowOf>
void MapPaletteRows(const std::vector<uint32_t>& palette, TColorTable& table, TByteArray2D& matrix,
                    const TProgress& progress, RowOf rowOf) {
    TPaletteIndexer indexer(palette, table);
    progress.Show(0);
    const size_t w = size_t(matrix.Cols());
    const int32_t height = matrix.Rows();
    for (int32_t y = 1; y <= height; ++y) {
        indexer.Meet({rowOf(y - 1), w}, matrix.RowData(y));
        progress.Show(float(double(y) / height));
    }
    indexer.Finish();
}

uint32_t TrueColorAt(const TBitmap& bitmap, size_t i) {
    const uint8_t* p = bitmap.Pixels.data() + 3 * i;
    return MakeColor(p[2], p[1], p[0]);
}

} // namespace

int32_t RoundColorCount(int32_t count) {
    if (count <= 2) return 2;
    if (count <= 16) return 16;
    return 256;
}

TPaletteIndexer::TPaletteIndexer(const std::vector<uint32_t>& palette, TColorTable& table) : table_(table) {
    for (size_t i = 0; i < 256 && i < palette.size(); ++i)
        colors_[i] = palette[i] & 0xFFFFFF;
    std::array<uint8_t, 256> order;
    std::iota(order.begin(), order.end(), uint8_t(0));
    std::stable_sort(order.begin(), order.end(),
                     [&](uint8_t a, uint8_t b) { return colors_[a] < colors_[b]; });
    for (size_t k = 0; k < 256; ++k)
        classOf_[order[k]] =
            k > 0 && colors_[order[k]] == colors_[order[k - 1]] ? classOf_[order[k - 1]] : order[k];
    indexOf_.fill(kUnseen);
    table_.Count = 0;
}

void TPaletteIndexer::Meet(std::span<const uint8_t> pixels, uint8_t* out) {
    // The rare piece that meets an index for the first time is done again in pixel order. Out
    // that is not the pixels' own storage is written as the pixels are looked up; the pixels'
    // own storage only once they all have been.
    uint16_t unseen = 0;
    const bool inPlace = out == pixels.data();
    if (out && !inPlace) {
        for (size_t x = 0; x < pixels.size(); ++x) {
            const uint16_t i = indexOf_[pixels[x]];
            unseen |= i;
            out[x] = uint8_t(i);
        }
    } else {
        for (const uint8_t v : pixels)
            unseen |= indexOf_[v];
    }
    if (!(unseen & kUnseen)) {
        if (inPlace) Map(pixels, out);
        return;
    }
    for (size_t x = 0; x < pixels.size(); ++x) {
        const uint8_t v = pixels[x];
        if (indexOf_[v] == kUnseen) {
            uint16_t& shared = indexOf_[classOf_[v]];
            if (shared == kUnseen) {
                shared = uint16_t(table_.Count++);
                SplitColor(colors_[v], table_.Entries[shared][0], table_.Entries[shared][1],
                           table_.Entries[shared][2]);
            }
            indexOf_[v] = shared;
        }
        if (out) out[x] = uint8_t(indexOf_[v]);
    }
}

void TPaletteIndexer::Finish() {
    table_.Count = RoundColorCount(table_.Count);
}

void PaletteIndicesToMatrix(TByteArray2D& matrix, const std::vector<uint32_t>& palette, TColorTable& table,
                            const TProgress& progress) {
    const uint8_t* cells = matrix.Cells().Memory();
    const size_t w = size_t(matrix.Cols());
    MapPaletteRows(palette, table, matrix, progress, [&](int32_t y) { return cells + size_t(y) * w; });
}

void BmpFileToMatrix(std::span<const uint8_t> file, TColorTable& table, TByteArray2D& matrix,
                     const TProgress& progress) {
    const TBmpLayout layout = ReadBmpLayout(file);
    if (layout.BitCount != 8) return BitmapToMatrix(TBitmap::FromBmpFile(file), table, matrix, progress);
    matrix = TByteArray2D(layout.Width, layout.Height);
    MapPaletteRows(layout.Palette, table, matrix, progress, [&](int32_t y) { return layout.Row(file, y); });
}

void BitmapToMatrix(const TBitmap& bitmap, TColorTable& table, TByteArray2D& matrix,
                    const TProgress& progress) {
    const size_t bytesPerPixel = bitmap.BitCount == 8 ? 1 : 3;
    if (bitmap.Width < 0 || bitmap.Height < 0 ||
        bitmap.Pixels.size() < size_t(bitmap.Width) * size_t(bitmap.Height) * bytesPerPixel)
        throw EGifException("Image bitmap incorrecte");
    matrix = TByteArray2D(bitmap.Width, bitmap.Height);
    if (bitmap.BitCount == 8) {
        const uint8_t* pixels = bitmap.Pixels.data();
        const size_t w = size_t(bitmap.Width);
        MapPaletteRows(bitmap.Palette, table, matrix, progress,
                       [&](int32_t y) { return pixels + size_t(y) * w; });
        return;
    }
    table.Count = 0;
    progress.Show(0);
    // Distinct colours through a direct 24-bit look-up (id + 1, 0 for unseen).
    struct TFree {
        void operator()(uint32_t* p) const { std::free(p); }
    };
    std::unique_ptr<uint32_t, TFree> ids(
        static_cast<uint32_t*>(std::calloc(size_t(1) << 24, sizeof(uint32_t))));
    if (!ids) throw std::bad_alloc();
    std::vector<TColorCount> distinct;
    const size_t n = size_t(bitmap.Width) * size_t(bitmap.Height);
    for (size_t i = 0; i < n; ++i) {
        const uint32_t c = TrueColorAt(bitmap, i);
        uint32_t& id = ids.get()[c];
        if (!id) {
            distinct.push_back({c, 0});
            id = uint32_t(distinct.size());
        }
        ++distinct[id - 1].Count;
    }
    std::vector<uint32_t> groupOfColor(distinct.size()), groupColor(distinct.size());
    if (distinct.size() <= 256) {
        for (size_t d = 0; d < distinct.size(); ++d) {
            groupOfColor[d] = uint32_t(d);
            groupColor[d] = distinct[d].Color;
        }
    } else {
        TQuantized q = MedianCut(distinct, 256);
        groupOfColor = std::move(q.BoxOf);
        groupColor = std::move(q.BoxColors);
    }
    AssignIndices(table, matrix, progress, groupColor.size(), groupColor,
                  [&](size_t i) { return groupOfColor[ids.get()[TrueColorAt(bitmap, i)] - 1]; });
    table.Count = RoundColorCount(table.Count);
}

} // namespace orv
