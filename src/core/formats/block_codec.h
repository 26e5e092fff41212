// The compressed blocks of XISF files: zlib, LZ4 (and LZ4-HC, read alike) and Zstandard
// streams, each inflated into a buffer of the exact size the header announces, and the byte
// shuffling that may precede the compression undone. Sizes are checked before anything is
// allocated: an announced size beyond what the codec can make of the bytes given is refused.
#pragma once

#include "core/base/errors.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orv {

// What is wrong with a block, in a few French words ("données zstd incorrectes").
class EBlockError : public EOrvanelError {
  public:
    using EOrvanelError::EOrvanelError;
};

enum class TBlockCodec { Zlib, Lz4, Zstd };

// "zlib", "lz4", "lz4hc", "zstd"; nothing for another name.
std::optional<TBlockCodec> BlockCodecNamed(const std::string& name);

// The most bytes a block of compressedBytes can hold once inflated by the codec.
uint64_t MostInflatedBytes(TBlockCodec codec, uint64_t compressedBytes);

// The compressed bytes inflated into out, which has the size the block must have: a stream
// that is corrupt, or inflates to another size, raises EBlockError.
void InflateBlock(TBlockCodec codec, std::span<const uint8_t> compressed, std::span<uint8_t> out);

// Shuffled bytes (every item's first byte, then every item's second byte, ...; the bytes
// beyond the last whole item as they are) back in item order.
void UnshuffleBytes(std::span<const uint8_t> shuffled, size_t itemSize, std::span<uint8_t> out);

} // namespace orv
