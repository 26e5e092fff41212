#include "core/gif/lzw_encoder.h"

#include "core/gif/gif_errors.h"
#include "core/gif/row_order.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace orv {

namespace {

constexpr uint32_t kMaxCodes = 4096;

} // namespace

// The string table: the code of "string of code c followed by byte b". Codes below 256 (one
// pixel, on a noisy image the commonest prefix) index a direct table of 128 KB, emptied entry
// by entry at a clear code; the others are hashed into a small open-addressed table. A
// direct table for every code (2 MB) would miss the processor's cache on almost every look-up,
// and each thread encoding a frame holds only these 170 KB.
class TLzwEncoder::TCodeTable {
  public:
    void Reset(unsigned codeWidth) {
        std::memset(slots_, 0, sizeof slots_);
        for (uint32_t i = 0; i < rootsUsed_; ++i)
            roots_[rootList_[i]] = 0;
        rootsUsed_ = 0;
        CodeWidth = codeWidth;
        NextCode = (1u << (codeWidth - 1)) + 2;
        Full = false;
    }

    // The code of the string, 0 when it has none yet: then `at` is the free slot where it goes.
    uint32_t Find(uint32_t prefix, uint8_t suffix, uint32_t& at) const {
        if (prefix < 256) {
            at = (prefix << 8) | suffix;
            return roots_[at];
        }
        const uint32_t key = Key(prefix, suffix);
        for (at = Slot(key);; at = (at + 1) & kMask) {
            const uint32_t held = slots_[at];
            if ((held >> 12) == key) return held & 0xFFF;
            if (held == 0) return 0;
        }
    }

    // The string that Find did not find, added at the slot it gave.
    void AddAt(uint32_t at, uint32_t prefix, uint8_t suffix) {
        if (prefix < 256) {
            roots_[at] = uint16_t(NextCode);
            rootList_[rootsUsed_++] = uint16_t(at);
        } else {
            slots_[at] = (Key(prefix, suffix) << 12) | NextCode;
        }
        ++NextCode;
        if (NextCode == kMaxCodes)
            Full = true;
        else if (NextCode > (1u << CodeWidth))
            ++CodeWidth;
    }

    void AddEntry(uint32_t prefix, uint8_t suffix) {
        uint32_t at = 0;
        Find(prefix, suffix, at);
        AddAt(at, prefix, suffix);
    }

    unsigned CodeWidth = 0;
    bool Full = false;
    uint32_t NextCode = 0;

  private:
    // Twice as many slots as codes keeps the probes short.
    static constexpr uint32_t kSlotBits = 13;
    static constexpr uint32_t kMask = (1u << kSlotBits) - 1;
    // Never 0, so that an empty slot (0) matches no string.
    static uint32_t Key(uint32_t prefix, uint8_t suffix) { return ((prefix << 8) | suffix) + 1; }
    static uint32_t Slot(uint32_t key) { return (key * 2654435761u) >> (32 - kSlotBits); }

    uint32_t slots_[1u << kSlotBits]; // key << 12 | code; 0 when empty
    uint16_t roots_[1u << 16] = {};   // prefix below 256 << 8 | suffix -> code; 0 when none
    uint16_t rootList_[kMaxCodes];    // the entries of roots_ set since the last reset
    uint32_t rootsUsed_ = 0;
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

void TLzwEncoder::Start(uint8_t pixel) {
    packer_.PutCode(pixel, table_->CodeWidth);
    previous_ = pixel;
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
    TCodeTable& table = *table_;
    size_t i = 0;
    if (!started_) {
        packer_.PutCode(clear_, table.CodeWidth);
        Start(px[i++]);
        started_ = true;
    }
    uint32_t code = code_;
    bool open = open_;
    // Where the string that ended the previous one goes: the slot its failed look-up stopped at.
    uint32_t freeSlot = 0;
    bool slotKnown = false;
    for (;;) {
        if (!open) {
            if (i >= n) break;
            const uint8_t first = px[i++];
            if (slotKnown)
                table.AddAt(freeSlot, previous_, first);
            else
                table.AddEntry(previous_, first);
            code = first;
            slotKnown = false;
        }
        while (i < n) {
            const uint32_t longer = table.Find(code, px[i], freeSlot);
            if (!longer) {
                slotKnown = true;
                break;
            }
            code = longer;
            ++i;
        }
        // A string that reaches the end of the piece may go on in the next one.
        open = i == n;
        if (open) break;
        packer_.PutCode(code, table.CodeWidth);
        previous_ = code;
        if (table.Full) {
            packer_.PutCode(clear_, table.CodeWidth); // at the full table's width
            table.Reset(codeSize_ + 1);
            Start(px[i++]);
            slotKnown = false;
            progress_.Show(float(double(done_ + i) / double(std::max(pixelCount_, done_ + n))));
        }
    }
    code_ = code;
    open_ = open;
    done_ += n;
}

TPackedBytes TLzwEncoder::Finish() {
    if (open_) packer_.PutCode(code_, table_->CodeWidth);
    open_ = false;
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
