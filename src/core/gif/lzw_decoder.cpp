#include "core/gif/lzw_decoder.h"

#include "core/gif/gif_errors.h"
#include "core/gif/row_order.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace orv {

namespace {

constexpr uint32_t kMaxCodes = 4096;

// Reads codes least significant bit first from the data bytes end to end.
class TCodeReader {
  public:
    explicit TCodeReader(std::span<const uint8_t> bytes) : data_(bytes.data()), size_(bytes.size()) {}

    // A code of `width` bits; past the end of the data its missing high bits read as 0 and
    // Short() tells so.
    uint32_t Read(unsigned width) {
        if (bits_ < width) Refill(width);
        const uint32_t code = uint32_t(buffer_) & ((1u << width) - 1);
        if (bits_ < width) {
            short_ = true;
            buffer_ = 0;
            bits_ = 0;
        } else {
            buffer_ >>= width;
            bits_ -= width;
        }
        return code;
    }
    bool Short() const { return short_; }

  private:
    void Refill(unsigned width) {
        if (pos_ + 8 <= size_) {
            uint64_t word = 0;
            for (int k = 7; k >= 0; --k)
                word = (word << 8) | data_[pos_ + size_t(k)];
            buffer_ |= word << bits_;
            const unsigned taken = (63 - bits_) >> 3;
            pos_ += taken;
            bits_ += taken * 8;
            return;
        }
        while (bits_ < width && pos_ < size_) {
            buffer_ |= uint64_t(data_[pos_++]) << bits_;
            bits_ += 8;
        }
    }

    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    uint64_t buffer_ = 0;
    unsigned bits_ = 0;
    bool short_ = false;
};

// Places decoded pixels into the matrix row by row, in the order the image stores its rows.
// Pixels beyond the last row go to a spare row; completing it means the data holds more rows
// than the image.
class TRowSink {
  public:
    TRowSink(TByteArray2D& pixels, bool interlaced)
        : pixels_(pixels), interlaced_(interlaced), Width(pixels.Cols()), spare_(size_t(Width)) {
        Row = pixels.Rows() > 0 ? pixels.RowData(1) : spare_.data();
        exhausted_ = pixels.Rows() == 0;
    }

    void Put(const uint8_t* s, size_t n) {
        while (n > 0) {
            if (Width == 0) throw EIndexOutOfBounds();
            const size_t k = std::min(n, size_t(Width - Col));
            std::memcpy(Row + Col, s, k);
            Col += int32_t(k);
            s += k;
            n -= k;
            if (Col == Width) RowDone();
        }
    }

    void RowDone() {
        if (exhausted_) throw EIndexOutOfBounds();
        const int32_t next = interlaced_ ? NextInterlaceRow(row_, pixels_.Rows(), pass_) : row_ + 1;
        if (next < 0 || next >= pixels_.Rows()) {
            exhausted_ = true;
            Row = spare_.data();
        } else {
            row_ = next;
            Row = pixels_.RowData(next + 1);
        }
        Col = 0;
    }

    // An incomplete last row is not kept.
    void DropPartialRow() {
        if (!exhausted_ && Col > 0) std::memset(Row, 0, size_t(Col));
    }

    uint8_t* Row;
    int32_t Col = 0;

  private:
    TByteArray2D& pixels_;
    bool interlaced_;

  public:
    const int32_t Width;

  private:
    std::vector<uint8_t> spare_;
    bool exhausted_;
    int32_t row_ = 0;
    int pass_ = 1;
};

} // namespace

int64_t MaxDecodablePixels(int64_t dataBytes) {
    // At most 4096 / 12 pixels per bit of data.
    return (dataBytes * 8 * 4096 + 11) / 12;
}

void LzwDecode(const TByteBuffer& data, uint8_t codeSize, bool interlaced, TByteArray2D& pixels) {
    if (codeSize < 2 || codeSize > 9) throw EGifException("Mauvaise taille de code");
    const uint32_t clear = 1u << codeSize, end = clear + 1;

    // Per code: the code of its string without the last byte, the last byte, the first byte
    // and the length.
    std::vector<uint16_t> prefix(kMaxCodes), length(kMaxCodes);
    std::vector<uint8_t> suffix(kMaxCodes), firstByte(kMaxCodes);
    for (uint32_t c = 0; c < clear; ++c) {
        suffix[c] = firstByte[c] = uint8_t(c);
        length[c] = 1;
    }
    std::vector<uint8_t> stack(kMaxCodes);

    TCodeReader reader(data.Bytes());
    TRowSink sink(pixels, interlaced);
    unsigned width = codeSize + 1;
    uint32_t next = end + 1, limit = 1u << width;

    const auto emit = [&](uint32_t code) {
        const size_t n = length[code];
        if (size_t(sink.Col) + n <= size_t(sink.Width)) {
            uint8_t* p = sink.Row + sink.Col + n;
            for (size_t k = 0; k < n; ++k) {
                *--p = suffix[code];
                code = prefix[code];
            }
            sink.Col += int32_t(n);
            if (sink.Col == sink.Width) sink.RowDone();
        } else {
            uint8_t* p = stack.data() + n;
            for (size_t k = 0; k < n; ++k) {
                *--p = suffix[code];
                code = prefix[code];
            }
            sink.Put(stack.data(), n);
        }
    };
    const auto addEntry = [&](uint32_t previous, uint8_t byte) {
        prefix[next] = uint16_t(previous);
        suffix[next] = byte;
        firstByte[next] = firstByte[previous];
        length[next] = uint16_t(length[previous] + 1);
        ++next;
        if (next >= limit && width < 12) {
            ++width;
            limit <<= 1;
        }
    };

    // The end code is written with the width in use before the decoder's last entry, so it
    // can be one bit narrower than the decoder expects; when it ends the data exactly, its
    // missing bit is read as 0. Any other code cut short means the data stops too early.
    const auto read = [&] {
        const uint32_t code = reader.Read(width);
        if (reader.Short() && code != end) throw EGifException("Données d'image incomplètes");
        return code;
    };

    // The start is a clear code's state, whether or not the data begins with one.
    uint32_t code = read();
    uint32_t previous = 0;
    if (code != end && code != clear) {
        if (code >= next) code = 0;
        emit(code);
        previous = code;
        code = read();
    }
    while (code != end) {
        if (code == clear) {
            width = codeSize + 1;
            next = end + 1;
            limit = 1u << width;
            do
                code = read();
            while (code == clear);
            if (code == end) throw EGifException("Mauvais code");
            if (code >= next) code = 0;
            emit(code);
        } else if (code < next) {
            emit(code);
            // A full table takes no entry: the data goes on at 12 bits until a clear code.
            if (next < kMaxCodes) addEntry(previous, firstByte[code]);
        } else if (code == next) {
            addEntry(previous, firstByte[previous]);
            emit(code);
        } else {
            throw EGifException("Mauvais code");
        }
        previous = code;
        code = read();
    }
    sink.DropPartialRow();
}

} // namespace orv
