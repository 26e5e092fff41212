// Compressed image data as GIF sub-blocks (TByteBuffer), and the bit packer (TEncodedBytes)
// that fills pieces (TPackedBytes). A TByteBuffer keeps the bytes end to end with the block
// boundaries beside them, so the decoder reads them as one run; no block is ever longer than
// 255 bytes or empty. The packer's pieces are never moved once filled, so a frame's data grows
// without a second copy of it at any moment.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace orv {

struct TPackedBytes;

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
    static TByteBuffer FromPacked(TPackedBytes packed);

  private:
    size_t OpenLength() const { return bytes_.size() - (ends_.empty() ? 0 : ends_.back()); }
    std::vector<uint8_t> bytes_;
    std::vector<size_t> ends_; // end offset of each closed block
    size_t readPos_ = 0;
};

// Packed bytes in pieces whose lengths are multiples of 255 (but the last), so that sub-blocks
// of 255 bytes never straddle two pieces. Whole pieces go back to the packers' shared store when
// the bytes are dropped.
struct TPackedBytes {
    std::vector<std::vector<uint8_t>> Pieces;

    TPackedBytes() = default;
    TPackedBytes(const TPackedBytes&) = default;
    TPackedBytes(TPackedBytes&&) noexcept = default;
    TPackedBytes& operator=(const TPackedBytes&) = default;
    TPackedBytes& operator=(TPackedBytes&& other) noexcept;
    ~TPackedBytes();

    int64_t ByteCount() const;
    // Each sub-block in order: 255 bytes, the last one shorter (none when there is no byte).
    template <class Block> void ForEachBlock(Block block) const {
        for (const std::vector<uint8_t>& piece : Pieces)
            for (size_t at = 0; at < piece.size(); at += 255)
                block(std::span<const uint8_t>(piece).subspan(at, std::min<size_t>(255, piece.size() - at)));
    }
};

// Packs codes least significant bit first. Every code stores the whole bit buffer and moves on
// by the bytes it filled, so that no branch depends on how the codes fall on byte boundaries;
// each piece has room for that store past its end.
class TEncodedBytes {
  public:
    // The first piece holds about expectedBytes (at most a whole piece), the others a whole piece.
    explicit TEncodedBytes(size_t expectedBytes = 0);

    // The packer's running state, for a loop to keep in registers (stores of bytes would
    // otherwise make the compiler read the members again after each one): taken by Bits, given
    // back by Keep as soon as it is Full, and before any other call.
    struct TBits {
        uint8_t* At;  // the next byte to fill
        uint8_t* End; // the end of the piece
        uint64_t Buffer;
        unsigned Count;

        void Put(uint32_t code, unsigned width) {
            static_assert(std::endian::native == std::endian::little, "the buffer is stored as it is held");
            Buffer |= uint64_t(code) << Count;
            Count += width;
            std::memcpy(At, &Buffer, 8); // little-endian: the first byte first
            At += Count / 8;
            Buffer >>= Count & ~7u; // at most 2 bytes: fewer than 8 bits were left before
            Count %= 8;
        }
        bool Full() const { return At >= End; }
    };
    TBits Bits() { return {out_.data() + pos_, out_.data() + pieceBytes_, bitBuffer_, bitCount_}; }
    void Keep(const TBits& bits) {
        pos_ = size_t(bits.At - out_.data());
        bitBuffer_ = bits.Buffer;
        bitCount_ = bits.Count;
        if (pos_ >= pieceBytes_) NextPiece();
    }

    void PutCode(uint32_t code, unsigned width) {
        TBits bits = Bits();
        bits.Put(code, width);
        Keep(bits);
    }

    // The last code and the bits left over padded with zeros to a byte.
    TPackedBytes Finish(uint32_t code, unsigned width);

    // Bytes in a whole piece: a multiple of 255, so that sub-blocks never straddle two pieces.
    static constexpr size_t kPieceBytes = 255 * 256;
    static constexpr size_t kRoom = 8; // past a piece's end, for PutCode's store

    // Whole pieces come from a store shared by every thread and go back to it: freed on the
    // writer's thread, they would otherwise stay in the heap of the thread that filled them, each
    // thread keeping its own high-water mark. Empties the store (the memory of a save given back).
    static void ReleaseSpare();

  private:
    void NextPiece();

    TPackedBytes done_;
    size_t pieceBytes_;        // of the piece being filled
    std::vector<uint8_t> out_; // the piece being filled, and kRoom
    size_t pos_ = 0;
    uint64_t bitBuffer_ = 0;
    unsigned bitCount_ = 0;
};

} // namespace orv
