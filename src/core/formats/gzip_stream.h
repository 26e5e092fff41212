// gzip through zlib: a compressed file held in memory inflated a piece at a time (so that a
// reader can decode straight into its own buffers), and a whole buffer compressed. A stream
// that is corrupt or ends early raises EGzipError; nothing is read past the input.
#pragma once

#include "core/base/errors.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace orv {

// What is wrong with a gzip stream, in a few French words ("données gzip incorrectes").
class EGzipError : public EOrvanelError {
  public:
    using EOrvanelError::EOrvanelError;
};

class TGzipInflater {
  public:
    explicit TGzipInflater(std::span<const uint8_t> compressed);
    ~TGzipInflater();
    TGzipInflater(const TGzipInflater&) = delete;
    TGzipInflater& operator=(const TGzipInflater&) = delete;

    // Up to n bytes into dst; fewer only where the stream ends (members one after the other
    // are one stream, as gzip makes them).
    size_t Read(uint8_t* dst, size_t n);
    // Passes over n bytes; false when the stream ends first.
    bool Skip(uint64_t n);
    // Compressed bytes used so far.
    uint64_t Consumed() const;

  private:
    struct TState;
    std::unique_ptr<TState> state_;
};

// True when the bytes begin as a gzip stream does (1F 8B).
bool LooksLikeGzip(std::span<const uint8_t> bytes);

// Most bytes a deflate stream of n bytes can inflate to (deflate's limit is 1032 to 1).
uint64_t MaxInflatedBytes(uint64_t compressedBytes);

// The bytes as one gzip member, at the default level.
std::vector<uint8_t> GzipCompress(std::span<const uint8_t> bytes);

} // namespace orv
