#include "core/gif/byte_buffer.h"

#include "core/gif/byte_array.h"
#include "core/gif/gif_errors.h"

#include <algorithm>
#include <mutex>

namespace orv {

namespace {

constexpr size_t kWholePiece = TEncodedBytes::kPieceBytes + TEncodedBytes::kRoom;

// The whole pieces not in use, at most kMostSpare of them (16 MB).
class TPieceStore {
  public:
    std::vector<uint8_t> Take() {
        {
            std::lock_guard lock(mutex_);
            if (!spare_.empty()) {
                std::vector<uint8_t> piece = std::move(spare_.back());
                spare_.pop_back();
                piece.resize(kWholePiece); // within its capacity; the packer writes every byte it keeps
                return piece;
            }
        }
        return std::vector<uint8_t>(kWholePiece);
    }
    void Give(std::vector<uint8_t>& piece) {
        if (piece.capacity() != kWholePiece) return;
        std::lock_guard lock(mutex_);
        if (spare_.size() < kMostSpare) spare_.push_back(std::move(piece));
    }
    void Release() {
        std::vector<std::vector<uint8_t>> spare;
        std::lock_guard lock(mutex_);
        spare.swap(spare_);
    }

  private:
    static constexpr size_t kMostSpare = 256;
    std::mutex mutex_;
    std::vector<std::vector<uint8_t>> spare_;
};

// Never destroyed: bytes dropped while the program ends (by a thread still saving, say) may
// still be given back.
TPieceStore& Store() {
    static TPieceStore* const store = new TPieceStore;
    return *store;
}

} // namespace

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
        Store().Give(piece);
    }
    return FromPacked(std::move(bytes));
}

TPackedBytes& TPackedBytes::operator=(TPackedBytes&& other) noexcept {
    if (this != &other) {
        for (std::vector<uint8_t>& piece : Pieces)
            Store().Give(piece);
        Pieces = std::move(other.Pieces);
    }
    return *this;
}

TPackedBytes::~TPackedBytes() {
    for (std::vector<uint8_t>& piece : Pieces)
        Store().Give(piece);
}

int64_t TPackedBytes::ByteCount() const {
    int64_t n = 0;
    for (const std::vector<uint8_t>& piece : Pieces)
        n += int64_t(piece.size());
    return n;
}

TEncodedBytes::TEncodedBytes(size_t expectedBytes)
    : pieceBytes_(std::min(kPieceBytes, (expectedBytes + 64 + 254) / 255 * 255)) {
    out_ = pieceBytes_ == kPieceBytes ? Store().Take() : std::vector<uint8_t>(pieceBytes_ + kRoom);
}

void TEncodedBytes::ReleaseSpare() {
    Store().Release();
}

void TEncodedBytes::NextPiece() {
    std::vector<uint8_t> next = Store().Take();
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
    // A whole piece stays whole, to go back to the store; a smaller one is cut to its bytes, since
    // the frame may wait its turn to be written.
    if (out_.capacity() != kWholePiece) out_.shrink_to_fit();
    if (!out_.empty()) done_.Pieces.push_back(std::move(out_));
    Store().Give(out_);
    out_ = {};
    pos_ = 0;
    return std::move(done_);
}

} // namespace orv
