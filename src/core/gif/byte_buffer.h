// Compressed image data as GIF sub-blocks (TByteBuffer) and the bit packer that fills it
// (TEncodedBytes). The bytes are kept end to end with the block boundaries beside them, so the
// decoder reads them as one run; no block is ever longer than 255 bytes or empty.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace orv {

class TByteBuffer {
  public:
    // Total bytes added.
    int64_t ByteCount() const { return int64_t(bytes_.size()); }

    // Appends a byte to the block being filled, starting a new block after 255.
    void AddByte(uint8_t value);
    // Appends whole sub-blocks (a run longer than 255 bytes is cut; an empty one adds nothing).
    void AddBlock(std::span<const uint8_t> block);
    // Closes the block being filled.
    void Flush();

    int32_t BlockCount() const { return int32_t(ends_.size()); }
    // Block index (1-based, EIndexOutOfBounds outside 1 .. BlockCount).
    std::span<const uint8_t> GetBlock(int32_t index) const;
    // Every byte, blocks end to end (the closed blocks and the one being filled).
    std::span<const uint8_t> Bytes() const { return bytes_; }

    // Sequential reading across blocks; ReadByte raises EGifException when no byte is left.
    void StartRead() { readPos_ = 0; }
    uint8_t ReadByte();

    // Bytes cut into blocks of 255 and a last, shorter one.
    static TByteBuffer FromPacked(std::vector<uint8_t> bytes);

  private:
    size_t OpenLength() const { return bytes_.size() - (ends_.empty() ? 0 : ends_.back()); }
    std::vector<uint8_t> bytes_;
    std::vector<size_t> ends_; // end offset of each closed block
    size_t readPos_ = 0;
};

// Packs codes least significant bit first. Every code stores the whole bit buffer and moves on
// by the bytes it filled, so that no branch depends on how the codes fall on byte boundaries.
class TEncodedBytes {
  public:
    explicit TEncodedBytes(size_t expectedBytes = 0);

    void PutCode(uint32_t code, unsigned width) {
        static_assert(std::endian::native == std::endian::little, "the buffer is stored as it is held");
        bitBuffer_ |= uint64_t(code) << bitCount_;
        bitCount_ += width;
        if (pos_ + 8 > out_.size()) out_.resize(out_.size() * 2 + 64);
        std::memcpy(out_.data() + pos_, &bitBuffer_, 8); // little-endian: the first byte first
        const unsigned whole = bitCount_ / 8;
        pos_ += whole;
        bitBuffer_ >>= 8 * whole; // whole <= 2: fewer than 8 bits were left before
        bitCount_ %= 8;
    }

    // The last code, the bits left over padded with zeros to a byte, and the data as blocks.
    TByteBuffer Finish(uint32_t code, unsigned width);

  private:
    std::vector<uint8_t> out_;
    size_t pos_ = 0;
    uint64_t bitBuffer_ = 0;
    unsigned bitCount_ = 0;
};

} // namespace orv
