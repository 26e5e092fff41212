// The LZW encoder of GIF image data. Its output is fixed bit for bit: a clear code first and
// then only when all 4096 codes are assigned, the first pixel after every clear code sent
// alone, the code width growing to w + 1 for the first code written after code 2^w has been
// assigned, the end code, blocks of 255 bytes. String extensions are found in a small hashed
// table, so encoding takes time linear in the pixels. The pixels may come in pieces (rows
// mapped on the way, say): the bytes are the same however they are cut.
#pragma once

#include "core/base/progress.h"
#include "core/gif/byte_array.h"
#include "core/gif/byte_buffer.h"

#include <cstdint>
#include <memory>
#include <span>

namespace orv {

class TLzwEncoder {
  public:
    // codeSize 2 to 9 (else EGifException "Mauvaise taille de code"); pixelCount, the pixels
    // that will come, only for the progress: 0 at the start, at every clear code, 1 at the end.
    TLzwEncoder(uint8_t codeSize, size_t pixelCount, const TProgress& progress = TProgress());
    ~TLzwEncoder();

    // The next pixels. EGifException for a colour index the code size cannot carry.
    void Put(std::span<const uint8_t> pixels);
    // The end of the data; the encoder is then spent.
    TPackedBytes Finish();

  private:
    class TCodeTable;
    // Encodes px[i] up to px[end] into codes, each with its width in the top 4 bits, from out on;
    // returns where they end.
    template <bool kSelect> uint16_t* Run(const uint8_t* px, size_t& i, size_t end, uint16_t* out);

    const uint8_t codeSize_;
    const uint32_t clear_;
    const size_t pixelCount_;
    const TProgress progress_; // a copy: the default argument is a temporary
    std::unique_ptr<TCodeTable> table_;
    TEncodedBytes packer_;
    size_t done_ = 0;      // pixels put so far
    bool started_ = false; // the first clear code is written
    bool smooth_ = false;  // the last pixels gave long strings
    uint32_t code_ = 0;    // once started: the string that the next pixels may extend
};

// Compresses the matrix (rows in interlaced order when asked) with the minimum code size
// codeSize (2 to 9). Progress: 0 at the start, at every clear code, 1 at the end.
// Raises EGifException for a bad code size or a colour index the code size cannot carry.
TByteBuffer LzwEncode(const TByteArray2D& pixels, bool interlaced, uint8_t codeSize,
                      const TProgress& progress = TProgress());

} // namespace orv
