#include "core/gif/lzw_encoder.h"

#include "core/gif/gif_errors.h"
#include "core/gif/row_order.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

namespace orv {

namespace {

constexpr uint32_t kMaxCodes = 4096;

// All ones when `yes`.
constexpr uint32_t Mask(bool yes) {
    return 0u - uint32_t(yes);
}

// Spreads the strings of one code over the table's 8192 buckets: the byte's share of a bucket's
// number.
constexpr std::array<uint16_t, 256> kScatter = [] {
    std::array<uint16_t, 256> scatter{};
    uint32_t x = 2463534242u; // xorshift: any fixed spread of 12-bit values will do
    for (uint16_t& s : scatter) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        s = uint16_t(x & 8191);
    }
    return scatter;
}();

// The width grows, or the table is full, when the next code passes this.
constexpr uint32_t LimitOf(unsigned width) {
    return width < 12 ? 1u << width : kMaxCodes - 1;
}

} // namespace

// The string table: entry (prefix + 1) << 20 | byte << 12 | code, 0 when empty, in buckets of
// two slots probed in order. A string's bucket is its prefix XOR a number of its byte, so that a
// look-up is a few cycles from the code before it. Four times as many slots as codes: a string
// is then seldom missing from a full bucket, the one case that takes a branch; a larger table
// would leave the processor's nearest cache. The prefix is below 4095 here: the last code is
// never a prefix.
class TLzwEncoder::TCodeTable {
  public:
    static constexpr uint32_t kSlots = 16384, kMask = kSlots - 1;

    void Reset(unsigned codeWidth) {
        std::memset(Slots, 0, sizeof Slots);
        CodeWidth = codeWidth;
        NextCode = (1u << (codeWidth - 1)) + 2;
    }

    // An entry less its code; never 0. Only the entry of the string is below kMaxCodes once the
    // key is taken away.
    static uint32_t Key(uint32_t prefix, uint32_t byte) { return ((prefix + 1) << 20) | (byte << 12); }
    static size_t Bucket(uint32_t prefix, uint32_t byte) { return size_t(prefix ^ kScatter[byte]) * 2; }

    // The look-up past a full bucket: the following slots in order, up to the string's entry
    // (its code returned) or to a free slot (kMaxCodes or more returned). `held` is what the
    // slot holds.
    uint32_t Probe(uint32_t prefix, uint32_t byte, size_t& at, uint32_t& held) const {
        const uint32_t key = Key(prefix, byte);
        for (at = (Bucket(prefix, byte) + 2) & kMask;; at = (at + 1) & kMask) {
            held = Slots[at];
            if (held == 0 || (held ^ key) < kMaxCodes) return held ^ key;
        }
    }

    // The code of the string, 0 when it has none.
    uint32_t Code(uint32_t prefix, uint32_t byte) const {
        if (prefix == kMaxCodes - 1) return 0;
        const size_t bucket = Bucket(prefix, byte);
        const uint32_t key = Key(prefix, byte);
        uint32_t code = std::min(Slots[bucket] ^ key, Slots[bucket + 1] ^ key);
        size_t at;
        uint32_t held;
        if (code >= kMaxCodes && Slots[bucket + 1] != 0) code = Probe(prefix, byte, at, held);
        return code < kMaxCodes ? code : 0;
    }

    uint32_t Slots[kSlots];
    unsigned CodeWidth = 0;
    uint32_t NextCode = 0;
};

TLzwEncoder::TLzwEncoder(uint8_t codeSize, size_t pixelCount, const TProgress& progress)
    : codeSize_(codeSize), clear_(1u << (codeSize & 15)), pixelCount_(pixelCount), progress_(progress),
      packer_(pixelCount / 2) {
    if (codeSize < 2 || codeSize > 9) throw EGifException("Mauvaise taille de code");
    table_ = std::make_unique<TCodeTable>();
    table_->Reset(codeSize + 1);
    progress_.Show(0);
}

TLzwEncoder::~TLzwEncoder() = default;

// Pixels i to end: each extends the string or ends it, when the string's code is written (into
// `out`, with its width above it) and the string with that pixel added to the table, unless the
// table is full: the clear code follows and the table starts again. On noise strings are 2 or 3
// pixels long and whether a pixel extends one cannot be predicted: a mispredicted branch on
// every other pixel would cost more than the look-up, so with kSelect both outcomes are computed
// and one kept by selects (the code stored and skipped, the slot given back what it held).
// Smooth pictures, whose long strings branches follow well, take the branches.
template <bool kSelect> uint16_t* TLzwEncoder::Run(const uint8_t* px, size_t& i, size_t end, uint16_t* out) {
    TCodeTable& table = *table_;
    uint32_t* const slots = table.Slots;
    uint32_t code = code_, next = table.NextCode;
    unsigned width = table.CodeWidth;
    uint32_t limit = LimitOf(width), tag = width << 12;
    while (i < end) {
        if (next > limit) [[unlikely]] {
            if (next < kMaxCodes) {
                limit = LimitOf(++width);
                tag = width << 12;
            } else if (const uint32_t longer = table.Code(code, px[i++])) {
                code = longer; // the table is full: the string goes on without entries
            } else {           // then ends, followed by the clear code at the full table's width
                *out++ = uint16_t(code | tag);
                *out++ = uint16_t(clear_ | tag);
                table.Reset(codeSize_ + 1);
                next = table.NextCode;
                width = table.CodeWidth;
                limit = LimitOf(width);
                tag = width << 12;
                code = px[i - 1];
                progress_.Show(float(double(done_ + i) / double(std::max(pixelCount_, done_ + end))));
            }
            continue;
        }
        // Up to `stop` the width stays: one entry at most per pixel.
        const size_t stop = std::min(end, i + (limit + 1 - next));
        for (; i < stop; ++i) {
            const uint32_t pixel = px[i];
            const size_t bucket = TCodeTable::Bucket(code, pixel);
            const uint32_t key = TCodeTable::Key(code, pixel);
            const uint32_t first = slots[bucket], second = slots[bucket + 1];
            uint32_t longer = std::min(first ^ key, second ^ key);
            if constexpr (!kSelect) {
                if (longer < kMaxCodes) {
                    code = longer;
                    continue;
                }
            }
            uint32_t ends = Mask(longer >= kMaxCodes);
            size_t at = bucket + (first != 0);
            uint32_t held = second;                  // what slots[at] holds when the string is found
            if ((second & ends) != 0) [[unlikely]] { // not in its full bucket: one branch, seldom taken
                longer = table.Probe(code, pixel, at, held);
                ends = Mask(longer >= kMaxCodes);
            }
            if constexpr (kSelect) {
                *out = uint16_t(code | tag);
                out += ends & 1;
                // A store whose place waited for the outcome would hold up the next look-up.
                slots[at] = held ^ ((held ^ (key | next)) & ends);
                next -= ends; // + 1 when the string ends
                // Told unpredictable, the compiler moves on a condition instead of branching.
                code = __builtin_expect_with_probability(longer < kMaxCodes, 1, 0.5) ? longer : pixel;
            } else if (longer < kMaxCodes) {
                code = longer;
            } else {
                *out++ = uint16_t(code | tag);
                slots[at] = key | next++;
                code = pixel;
            }
        }
    }
    if (next > limit && next < kMaxCodes) ++width; // for the last code, written by Finish
    table.NextCode = next;
    table.CodeWidth = width;
    code_ = code;
    return out;
}

void TLzwEncoder::Put(std::span<const uint8_t> pixels) {
    const uint8_t* px = pixels.data();
    const size_t n = pixels.size();
    if (n == 0) return;
    if (codeSize_ < 8) {
        uint8_t all = 0;
        for (size_t i = 0; i < n; ++i)
            all |= px[i];
        if (all >= clear_) throw EGifException("Indice de couleur hors de la table");
    }
    size_t i = 0;
    if (!started_) {
        packer_.PutCode(clear_, table_->CodeWidth);
        code_ = px[i++];
        started_ = true;
    }
    // The codes of a batch of pixels, packed after it: at most one a pixel, and a clear code.
    constexpr size_t kBatch = 4096;
    std::array<uint16_t, kBatch + 2> out;
    while (i < n) {
        const size_t from = i;
        // Strings longer than 4 pixels on average in the batch before: a smooth picture.
        const uint16_t* const last = smooth_ ? Run<false>(px, i, std::min(n, i + kBatch), out.data())
                                             : Run<true>(px, i, std::min(n, i + kBatch), out.data());
        smooth_ = size_t(last - out.data()) * 4 < i - from;
        TEncodedBytes::TBits bits = packer_.Bits();
        for (const uint16_t* c = out.data(); c < last; ++c) {
            bits.Put(*c & (kMaxCodes - 1), *c >> 12);
            if (bits.Full()) [[unlikely]] {
                packer_.Keep(bits);
                bits = packer_.Bits();
            }
        }
        packer_.Keep(bits);
    }
    done_ += n;
}

TPackedBytes TLzwEncoder::Finish() {
    if (started_) packer_.PutCode(code_, table_->CodeWidth);
    started_ = false;
    // An image without pixels is the end code alone (an end code right after a clear code is
    // refused when read).
    TPackedBytes data = packer_.Finish(clear_ + 1, table_->CodeWidth);
    progress_.Show(1);
    return data;
}

TByteBuffer LzwEncode(const TByteArray2D& pixels, bool interlaced, uint8_t codeSize,
                      const TProgress& progress) {
    TLzwEncoder encoder(codeSize, size_t(pixels.Cells().Size()), progress);
    if (interlaced) {
        const TBigByteArray flat = FlattenMatrix(pixels, true);
        encoder.Put({flat.Memory(), size_t(flat.Size())});
    } else {
        encoder.Put({pixels.Cells().Memory(), size_t(pixels.Cells().Size())});
    }
    return TByteBuffer::FromPacked(encoder.Finish());
}

} // namespace orv
