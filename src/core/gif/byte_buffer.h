// Compressed image data as GIF sub-blocks (TByteBuffer) and the bit packer that fills it
// (TEncodedBytes). The bytes are kept end to end with the block boundaries beside them, so the
// decoder reads them as one run; no block is ever longer than 255 bytes or empty.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace orv {

class TByteBuffer {
  public:
    // Total bytes added.
    int64_t ByteCount() const { return int64_t(FBytes.size()); }

    // Appends a byte to the block being filled, starting a new block after 255.
    void AddByte(uint8_t value);
    // Appends whole sub-blocks (a run longer than 255 bytes is cut; an empty one adds nothing).
    void AddBlock(std::span<const uint8_t> block);
    // Closes the block being filled.
    void Flush();

    int32_t BlockCount() const { return int32_t(FEnds.size()); }
    // Block index (1-based, EIndexOutOfBounds outside 1 .. BlockCount).
    std::span<const uint8_t> GetBlock(int32_t index) const;
    // Every byte, blocks end to end (the closed blocks and the one being filled).
    std::span<const uint8_t> Bytes() const { return FBytes; }

    // Sequential reading across blocks; ReadByte raises EGifException when no byte is left.
    void StartRead() { FReadPos = 0; }
    uint8_t ReadByte();

    // Bytes cut into blocks of 255 and a last, shorter one.
    static TByteBuffer FromPacked(std::vector<uint8_t> bytes);

  private:
    size_t OpenLength() const { return FBytes.size() - (FEnds.empty() ? 0 : FEnds.back()); }
    std::vector<uint8_t> FBytes;
    std::vector<size_t> FEnds; // end offset of each closed block
    size_t FReadPos = 0;
};

// Packs codes least significant bit first.
class TEncodedBytes {
  public:
    explicit TEncodedBytes(size_t expectedBytes = 0);

    void PutCode(uint32_t code, unsigned width) {
        FBitBuffer |= uint64_t(code) << FBitCount;
        FBitCount += width;
        if (FBitCount >= 32) {
            if (FPos + 4 > FOut.size()) FOut.resize(FOut.size() * 2 + 64);
            uint8_t* p = FOut.data() + FPos;
            p[0] = uint8_t(FBitBuffer);
            p[1] = uint8_t(FBitBuffer >> 8);
            p[2] = uint8_t(FBitBuffer >> 16);
            p[3] = uint8_t(FBitBuffer >> 24);
            FPos += 4;
            FBitBuffer >>= 32;
            FBitCount -= 32;
        }
    }

    // The last code, the bits left over padded with zeros to a byte, and the data as blocks.
    TByteBuffer Finish(uint32_t code, unsigned width);

  private:
    std::vector<uint8_t> FOut;
    size_t FPos = 0;
    uint64_t FBitBuffer = 0;
    unsigned FBitCount = 0;
};

} // namespace orv
