#include "core/gif/bitmap_to_matrix.h"

#include "core/gif/color_quantizer.h"
#include "core/gif/gif_errors.h"

#include <cstdlib>
#include <cstring>
#include <memory>
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
    std::vector<uint32_t> colors(256, 0);
    for (size_t i = 0; i < 256 && i < palette.size(); ++i)
        colors[i] = palette[i];
    table.Count = 0;
    progress.Show(0);
    const uint8_t* cells = matrix.Cells().Memory();
    AssignIndices(table, matrix, progress, 256, colors, [cells](size_t i) { return uint32_t(cells[i]); });
    table.Count = RoundColorCount(table.Count);
}

void BitmapToMatrix(const TBitmap& bitmap, TColorTable& table, TByteArray2D& matrix,
                    const TProgress& progress) {
    const size_t bytesPerPixel = bitmap.BitCount == 8 ? 1 : 3;
    if (bitmap.Width < 0 || bitmap.Height < 0 ||
        bitmap.Pixels.size() < size_t(bitmap.Width) * size_t(bitmap.Height) * bytesPerPixel)
        throw EGifException("Image bitmap incorrecte");
    matrix = TByteArray2D(bitmap.Width, bitmap.Height);
    if (bitmap.BitCount == 8) {
        if (matrix.Cells().Size() > 0)
            std::memcpy(matrix.Cells().Memory(), bitmap.Pixels.data(), size_t(matrix.Cells().Size()));
        PaletteIndicesToMatrix(matrix, bitmap.Palette, table, progress);
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
