#include "core/gif/byte_array.h"

#include <cstring>
#include <limits>

namespace orv {

EIndexOutOfBounds::EIndexOutOfBounds() : EOrvanelError("Dynamic array index out of bounds") {}

ENotEnoughMemory::ENotEnoughMemory(int64_t requested)
    : EOrvanelError("error in TBigByteArray.create: Not enough contiguous memory available\r\n"
                    " requested memory block: " +
                    std::to_string(requested) + " bytes") {}

TBigByteArray::TBigByteArray(int64_t size) {
    if (size < 0 || size > std::numeric_limits<int32_t>::max()) throw ENotEnoughMemory(size);
    if (size == 0) return;
    // calloc: large blocks come from the system already zeroed, without touching every page.
    memory_.reset(static_cast<uint8_t*>(std::calloc(static_cast<size_t>(size), 1)));
    if (!memory_) throw ENotEnoughMemory(size);
    size_ = static_cast<int32_t>(size);
}

TBigByteArray::TBigByteArray(const TBigByteArray& other) : TBigByteArray(other.size_) {
    if (size_) std::memcpy(memory_.get(), other.memory_.get(), static_cast<size_t>(size_));
}

TBigByteArray& TBigByteArray::operator=(const TBigByteArray& other) {
    if (this != &other) *this = TBigByteArray(other);
    return *this;
}

TBigByteArray::TBigByteArray(TBigByteArray&& other) noexcept
    : memory_(std::move(other.memory_)), size_(other.size_) {
    other.size_ = 0;
}

TBigByteArray& TBigByteArray::operator=(TBigByteArray&& other) noexcept {
    memory_ = std::move(other.memory_);
    size_ = other.size_;
    other.size_ = 0;
    return *this;
}

void TBigByteArray::Truncate(int64_t size) {
    if (size < 0 || size > size_) throw EIndexOutOfBounds();
    if (size == size_) return;
    if (size == 0) {
        memory_.reset();
    } else if (void* kept = std::realloc(memory_.get(), static_cast<size_t>(size))) {
        (void)memory_.release(); // realloc has taken it
        memory_.reset(static_cast<uint8_t*>(kept));
    }
    size_ = static_cast<int32_t>(size);
}

uint8_t TBigByteArray::GetItem(int64_t index) const {
    if (index < 1 || index > size_) throw EIndexOutOfBounds();
    return memory_.get()[index - 1];
}

void TBigByteArray::SetItem(int64_t index, uint8_t value) {
    if (index < 1 || index > size_) throw EIndexOutOfBounds();
    memory_.get()[index - 1] = value;
}

TByteArray2D::TByteArray2D(int32_t cols, int32_t rows) {
    if (cols < 0 || rows < 0) throw EIndexOutOfBounds();
    cells_ = TBigByteArray(int64_t(cols) * rows);
    cols_ = cols;
    rows_ = rows;
}

void TByteArray2D::Shrink(int32_t cols, int32_t rows) {
    if (cols < 0 || rows < 0) throw EIndexOutOfBounds();
    cells_.Truncate(int64_t(cols) * rows);
    cols_ = cols;
    rows_ = rows;
}

uint8_t TByteArray2D::GetCell(int32_t x, int32_t y) const {
    return cells_.GetItem(Linear(x, y));
}

void TByteArray2D::SetCell(int32_t x, int32_t y, uint8_t value) {
    cells_.SetItem(Linear(x, y), value);
}

TBigByteArray TByteArray2D::GetRow(int32_t y) const {
    TBigByteArray row(cols_);
    for (int32_t x = 1; x <= cols_; ++x)
        row.SetItem(x, GetCell(x, y));
    return row;
}

void TByteArray2D::SetRow(int32_t y, const TBigByteArray& row) {
    if (y < 1 || y > rows_) throw EIndexOutOfBounds();
    if (row.Size() != cols_) throw EOrvanelError("Row doesn't have equal number of elements as Matrix row");
    if (cols_) std::memcpy(RowData(y), row.Memory(), static_cast<size_t>(cols_));
}

} // namespace orv
