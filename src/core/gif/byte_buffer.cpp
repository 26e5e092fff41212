#include "core/gif/byte_buffer.h"

#include "core/gif/byte_array.h"
#include "core/gif/gif_errors.h"

#include <algorithm>

namespace orv {

void TByteBuffer::AddByte(uint8_t value) {
    if (OpenLength() == 255) ends_.push_back(bytes_.size());
    bytes_.push_back(value);
}

void TByteBuffer::AddBlock(std::span<const uint8_t> block) {
    Flush();
    while (!block.empty()) {
        const size_t n = std::min<size_t>(block.size(), 255);
        bytes_.insert(bytes_.end(), block.begin(), block.begin() + n);
        ends_.push_back(bytes_.size());
        block = block.subspan(n);
    }
}

void TByteBuffer::Flush() {
    if (OpenLength() > 0) ends_.push_back(bytes_.size());
}

std::span<const uint8_t> TByteBuffer::GetBlock(int32_t index) const {
    if (index < 1 || index > BlockCount()) throw EIndexOutOfBounds();
    const size_t begin = index == 1 ? 0 : ends_[size_t(index) - 2];
    return std::span<const uint8_t>(bytes_).subspan(begin, ends_[size_t(index) - 1] - begin);
}

uint8_t TByteBuffer::ReadByte() {
    if (readPos_ >= bytes_.size()) throw EGifException("Données d'image incomplètes");
    return bytes_[readPos_++];
}

TByteBuffer TByteBuffer::FromPacked(std::vector<uint8_t> bytes) {
    TByteBuffer buffer;
    buffer.bytes_ = std::move(bytes);
    for (size_t end = 255; end < buffer.bytes_.size(); end += 255)
        buffer.ends_.push_back(end);
    buffer.Flush();
    return buffer;
}

TEncodedBytes::TEncodedBytes(size_t expectedBytes) : out_(expectedBytes + 64) {}

TByteBuffer TEncodedBytes::Finish(uint32_t code, unsigned width) {
    PutCode(code, width);
    out_.resize(pos_ + 8);
    while (bitCount_ > 0) {
        out_[pos_++] = uint8_t(bitBuffer_);
        bitBuffer_ >>= 8;
        bitCount_ = bitCount_ > 8 ? bitCount_ - 8 : 0;
    }
    out_.resize(pos_);
    return TByteBuffer::FromPacked(std::move(out_));
}

} // namespace orv
