// Byte containers of the GIF machinery, indexed from 1: TBigByteArray (one contiguous block)
// and TByteArray2D (a matrix stored row after row). Every checked access tests its bounds and
// changes nothing when it fails; the raw pointers are for block moves that check first.
#pragma once

#include "core/base/errors.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace orv {

// "Dynamic array index out of bounds"
class EIndexOutOfBounds : public EOrvanelError {
  public:
    EIndexOutOfBounds();
};

// A block that cannot be had, with the size asked for.
class ENotEnoughMemory : public EOrvanelError {
  public:
    explicit ENotEnoughMemory(int64_t requested);
};

class TBigByteArray {
  public:
    // Allocates size bytes, all zero. A size beyond 32-bit signed range, negative, or that the
    // system refuses raises ENotEnoughMemory. Size 0 allocates nothing.
    explicit TBigByteArray(int64_t size = 0);
    TBigByteArray(const TBigByteArray& other);
    TBigByteArray& operator=(const TBigByteArray& other);
    TBigByteArray(TBigByteArray&& other) noexcept;
    TBigByteArray& operator=(TBigByteArray&& other) noexcept;
    ~TBigByteArray() = default;

    int32_t Size() const { return size_; }
    uint8_t* Memory() { return memory_.get(); }
    const uint8_t* Memory() const { return memory_.get(); }

    // The first `size` bytes kept (no more than Size, else EIndexOutOfBounds), the rest given back.
    void Truncate(int64_t size);

    // index in 1 .. Size, else EIndexOutOfBounds.
    uint8_t GetItem(int64_t index) const;
    void SetItem(int64_t index, uint8_t value);

  private:
    struct TFree {
        void operator()(uint8_t* p) const { std::free(p); }
    };
    std::unique_ptr<uint8_t, TFree> memory_;
    int32_t size_ = 0;
};

class TByteArray2D {
  public:
    // cols x rows zero bytes (0 x 0 allowed); negative sizes raise EIndexOutOfBounds, a
    // product too large for one block ENotEnoughMemory.
    TByteArray2D(int32_t cols = 0, int32_t rows = 0);

    int32_t Cols() const { return cols_; }
    int32_t Rows() const { return rows_; }
    const TBigByteArray& Cells() const { return cells_; }
    TBigByteArray& Cells() { return cells_; }

    TByteArray2D Clone() const { return *this; }

    // The first cols x rows bytes become the matrix, row after row: a smaller matrix written
    // over the larger one in place (EIndexOutOfBounds when it holds more).
    void Shrink(int32_t cols, int32_t rows);

    // Byte x + (y - 1) * Cols: only that linear index is tested, so a column past Cols
    // reaches into the next row.
    uint8_t GetCell(int32_t x, int32_t y) const;
    void SetCell(int32_t x, int32_t y, uint8_t value);

    // A copy of row y (checked cell by cell, as GetCell).
    TBigByteArray GetRow(int32_t y) const;
    // y in 1 .. Rows (EIndexOutOfBounds); row.Size() must equal Cols.
    void SetRow(int32_t y, const TBigByteArray& row);

    // Row y (1-based) without a test: for loops that have checked their bounds.
    uint8_t* RowData(int32_t y) { return cells_.Memory() + int64_t(y - 1) * cols_; }
    const uint8_t* RowData(int32_t y) const { return cells_.Memory() + int64_t(y - 1) * cols_; }

  private:
    int64_t Linear(int32_t x, int32_t y) const { return int64_t(x) + int64_t(y - 1) * cols_; }
    TBigByteArray cells_;
    int32_t cols_ = 0;
    int32_t rows_ = 0;
};

} // namespace orv
