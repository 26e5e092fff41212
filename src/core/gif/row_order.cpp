#include "core/gif/row_order.h"

#include <cstring>

namespace orv {

namespace {
constexpr int32_t kPassStart[5] = {0, 0, 4, 2, 1};
constexpr int32_t kPassStep[5] = {0, 8, 8, 4, 2};
} // namespace

int32_t NextInterlaceRow(int32_t row, int32_t height, int& pass) {
    if (pass >= 1 && pass <= 4 && int64_t(row) + kPassStep[pass] < height) return row + kPassStep[pass];
    while (++pass <= 4)
        if (kPassStart[pass] < height) return kPassStart[pass];
    pass = 5;
    return -1;
}

TBigByteArray FlattenMatrix(const TByteArray2D& matrix, bool interlaced) {
    TBigByteArray flat(matrix.Cells().Size());
    const int32_t cols = matrix.Cols(), rows = matrix.Rows();
    if (!interlaced || cols == 0 || rows == 0) {
        if (flat.Size()) std::memcpy(flat.Memory(), matrix.Cells().Memory(), size_t(flat.Size()));
        return flat;
    }
    uint8_t* out = flat.Memory();
    int pass = 1;
    for (int32_t row = 0; row >= 0; row = NextInterlaceRow(row, rows, pass)) {
        std::memcpy(out, matrix.RowData(row + 1), size_t(cols));
        out += cols;
    }
    return flat;
}

} // namespace orv
