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

TByteBuffer TByteBuffer::FromPacked(TPackedBytes packed) {
    if (packed.Pieces.size() == 1) return FromPacked(std::move(packed.Pieces[0]));
    std::vector<uint8_t> bytes;
    bytes.reserve(size_t(packed.ByteCount()));
    for (std::vector<uint8_t>& piece : packed.Pieces) {
        bytes.insert(bytes.end(), piece.begin(), piece.end());
        piece = {};
    }
    return FromPacked(std::move(bytes));
}

int64_t TPackedBytes::ByteCount() const {
    int64_t n = 0;
    for (const std::vector<uint8_t>& piece : Pieces)
        n += int64_t(piece.size());
    return n;
}

TEncodedBytes::TEncodedBytes(size_t expectedBytes)
    : pieceBytes_(std::min(kPieceBytes, (expectedBytes + 64 + 254) / 255 * 255)), out_(pieceBytes_ + kRoom) {}

void TEncodedBytes::NextPiece() {
    std::vector<uint8_t> next(kPieceBytes + kRoom);
    // The bytes the last code carried past the piece's end begin the next one.
    std::copy(out_.begin() + std::ptrdiff_t(pieceBytes_), out_.begin() + std::ptrdiff_t(pos_), next.begin());
    pos_ -= pieceBytes_;
    out_.resize(pieceBytes_);
    done_.Pieces.push_back(std::move(out_));
    out_ = std::move(next);
    pieceBytes_ = kPieceBytes;
}

TPackedBytes TEncodedBytes::Finish(uint32_t code, unsigned width) {
    PutCode(code, width);
    if (bitCount_ > 0) out_[pos_++] = uint8_t(bitBuffer_); // fewer than 8 bits are left
    bitBuffer_ = 0;
    bitCount_ = 0;
    out_.resize(pos_);
    out_.shrink_to_fit(); // the frame may wait its turn to be written
    if (!out_.empty()) done_.Pieces.push_back(std::move(out_));
    out_ = {};
    pos_ = 0;
    return std::move(done_);
}

} // namespace orv
