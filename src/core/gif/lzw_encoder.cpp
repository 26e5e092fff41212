#include "core/gif/lzw_encoder.h"

#include "core/gif/gif_errors.h"
#include "core/gif/row_order.h"

#include <cstring>
#include <memory>

namespace orv {

namespace {

constexpr uint32_t kMaxCodes = 4096;

// The string table: the code of "string of code c followed by byte b" found by hashing
// (c, b) into a small open-addressed table. At 32 KB it stays in the processor's cache, where a
// direct code x byte table (2 MB) misses on almost every look-up of a noisy image; and each
// thread encoding a frame holds only this much.
class TCodeTable {
  public:
    void Reset(unsigned codeWidth) {
        std::memset(slots_, 0, sizeof slots_);
        CodeWidth = codeWidth;
        NextCode = (1u << (codeWidth - 1)) + 2;
        Full = false;
    }

    // The code of the string, 0 when it has none yet: then `at` is the free slot where it goes.
    uint32_t Find(uint32_t prefix, uint8_t suffix, uint32_t& at) const {
        const uint32_t key = Key(prefix, suffix);
        for (at = Slot(key);; at = (at + 1) & kMask) {
            const uint32_t held = slots_[at];
            if ((held >> 12) == key) return held & 0xFFF;
            if (held == 0) return 0;
        }
    }

    // The string that Find did not find, added at the slot it gave.
    void AddAt(uint32_t at, uint32_t prefix, uint8_t suffix) {
        slots_[at] = (Key(prefix, suffix) << 12) | NextCode;
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
};

} // namespace

TByteBuffer LzwEncode(const TByteArray2D& pixels, bool interlaced, uint8_t codeSize,
                      const TProgress& progress) {
    if (codeSize < 2 || codeSize > 9) throw EGifException("Mauvaise taille de code");
    const uint32_t clear = 1u << codeSize, end = clear + 1;
    const size_t n = size_t(pixels.Cells().Size());

    TBigByteArray flat;
    const uint8_t* px = pixels.Cells().Memory();
    if (interlaced) {
        flat = FlattenMatrix(pixels, true);
        px = flat.Memory();
    }
    if (codeSize < 8) {
        uint8_t all = 0;
        for (size_t i = 0; i < n; ++i)
            all |= px[i];
        if (all >= clear) throw EGifException("Indice de couleur hors de la table");
    }

    auto table = std::make_unique<TCodeTable>();
    table->Reset(codeSize + 1);
    TEncodedBytes packer(n / 2);
    progress.Show(0);
    if (n == 0) {
        // An image without pixels: the end code alone (an end code right after a clear code
        // is refused when read).
        TByteBuffer data = packer.Finish(end, table->CodeWidth);
        progress.Show(1);
        return data;
    }
    packer.PutCode(clear, table->CodeWidth);
    packer.PutCode(px[0], table->CodeWidth);
    uint32_t previous = px[0];
    // Where the string that ended the previous one goes: the slot its failed look-up stopped at.
    uint32_t freeSlot = 0;
    bool slotKnown = false;
    size_t i = 1;
    while (i < n) {
        const uint8_t first = px[i++];
        if (slotKnown)
            table->AddAt(freeSlot, previous, first);
        else
            table->AddEntry(previous, first);
        uint32_t code = first;
        slotKnown = false;
        while (i < n) {
            const uint32_t longer = table->Find(code, px[i], freeSlot);
            if (!longer) {
                slotKnown = true;
                break;
            }
            code = longer;
            ++i;
        }
        packer.PutCode(code, table->CodeWidth);
        previous = code;
        if (table->Full && i < n) {
            packer.PutCode(clear, table->CodeWidth);
            table->Reset(codeSize + 1);
            packer.PutCode(px[i], table->CodeWidth);
            previous = px[i++];
            slotKnown = false;
            progress.Show(float(double(i) / double(n)));
        }
    }
    TByteBuffer data = packer.Finish(end, table->CodeWidth);
    progress.Show(1);
    return data;
}

} // namespace orv
