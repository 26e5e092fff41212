#include "core/gif/byte_buffer.h"

#include "core/gif/byte_array.h"
#include "core/gif/gif_errors.h"

#include <algorithm>

namespace orv {

void TByteBuffer::AddByte(uint8_t value) {
    if (OpenLength() == 255) FEnds.push_back(FBytes.size());
    FBytes.push_back(value);
}

void TByteBuffer::AddBlock(std::span<const uint8_t> block) {
    Flush();
    while (!block.empty()) {
        const size_t n = std::min<size_t>(block.size(), 255);
        FBytes.insert(FBytes.end(), block.begin(), block.begin() + n);
        FEnds.push_back(FBytes.size());
        block = block.subspan(n);
    }
}

void TByteBuffer::Flush() {
    if (OpenLength() > 0) FEnds.push_back(FBytes.size());
}

std::span<const uint8_t> TByteBuffer::GetBlock(int32_t index) const {
    if (index < 1 || index > BlockCount()) throw EIndexOutOfBounds();
    const size_t begin = index == 1 ? 0 : FEnds[size_t(index) - 2];
    return std::span<const uint8_t>(FBytes).subspan(begin, FEnds[size_t(index) - 1] - begin);
}

uint8_t TByteBuffer::ReadByte() {
    if (FReadPos >= FBytes.size()) throw EGifException("Données d'image incomplètes");
    return FBytes[FReadPos++];
}

TByteBuffer TByteBuffer::FromPacked(std::vector<uint8_t> bytes) {
    TByteBuffer buffer;
    buffer.FBytes = std::move(bytes);
    for (size_t end = 255; end < buffer.FBytes.size(); end += 255)
        buffer.FEnds.push_back(end);
    buffer.Flush();
    return buffer;
}

TEncodedBytes::TEncodedBytes(size_t expectedBytes) : FOut(expectedBytes + 64) {}

TByteBuffer TEncodedBytes::Finish(uint32_t code, unsigned width) {
    PutCode(code, width);
    FOut.resize(FPos + 8);
    while (FBitCount > 0) {
        FOut[FPos++] = uint8_t(FBitBuffer);
        FBitBuffer >>= 8;
        FBitCount = FBitCount > 8 ? FBitCount - 8 : 0;
    }
    FOut.resize(FPos);
    return TByteBuffer::FromPacked(std::move(FOut));
}

} // namespace orv
