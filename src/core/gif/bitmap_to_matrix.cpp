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
// table indices given in order of first appearance. The rare row that meets an index for the
// first time is done again in pixel order; a matrix that is the rows' own storage is written
// only once its row has been looked up.
template <class RowOf>
void MapPaletteRows(const std::vector<uint32_t>& palette, TColorTable& table, TByteArray2D& matrix,
                    const TProgress& progress, RowOf rowOf) {
    std::array<uint32_t, 256> colors{}; // 24 bits, black past the palette
    for (size_t i = 0; i < 256 && i < palette.size(); ++i)
        colors[i] = palette[i] & 0xFFFFFF;
    // Entries of one colour share their table index: each class is named by one of its entries.
    std::array<uint8_t, 256> order, classOf;
    std::iota(order.begin(), order.end(), uint8_t(0));
    std::stable_sort(order.begin(), order.end(), [&](uint8_t a, uint8_t b) { return colors[a] < colors[b]; });
    for (size_t k = 0; k < 256; ++k)
        classOf[order[k]] =
            k > 0 && colors[order[k]] == colors[order[k - 1]] ? classOf[order[k - 1]] : order[k];
    constexpr uint16_t kUnseen = 0x100;
    std::array<uint16_t, 256> indexOf;
    indexOf.fill(kUnseen);
    table.Count = 0;
    progress.Show(0);
    const size_t w = size_t(matrix.Cols());
    const int32_t height = matrix.Rows();
    for (int32_t y = 1; y <= height; ++y) {
        const uint8_t* src = rowOf(y - 1);
        uint8_t* dst = matrix.RowData(y);
        const bool inPlace = src == dst;
        uint16_t unseen = 0;
        if (inPlace) {
            for (size_t x = 0; x < w; ++x)
                unseen |= indexOf[src[x]];
        } else { // written as it is looked up: the row is written again if it met a new index
            for (size_t x = 0; x < w; ++x) {
                const uint16_t i = indexOf[src[x]];
                unseen |= i;
                dst[x] = uint8_t(i);
            }
        }
        if (unseen & kUnseen) {
            for (size_t x = 0; x < w; ++x) {
                const uint8_t v = src[x];
                if (indexOf[v] == kUnseen) {
                    uint16_t& shared = indexOf[classOf[v]];
                    if (shared == kUnseen) {
                        shared = uint16_t(table.Count++);
                        SplitColor(colors[v], table.Entries[shared][0], table.Entries[shared][1],
                                   table.Entries[shared][2]);
                    }
                    indexOf[v] = shared;
                }
                dst[x] = uint8_t(indexOf[v]);
            }
        } else if (inPlace) {
            for (size_t x = 0; x < w; ++x)
                dst[x] = uint8_t(indexOf[src[x]]);
        }
        progress.Show(float(double(y) / height));
    }
    table.Count = RoundColorCount(table.Count);
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
