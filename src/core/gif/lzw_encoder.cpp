#include "core/gif/lzw_encoder.h"

#include "core/gif/gif_errors.h"
#include "core/gif/row_order.h"

#include <cstdlib>
#include <memory>

namespace orv {

namespace {

constexpr uint32_t kMaxCodes = 4096;

// The string table: Prefix and Suffix of every assigned code, and the child table that finds
// the code of "string of code c followed by byte b" in one look-up (0: none yet).
class TCodeTable {
  public:
    // Pixels are below 2^rowBits: a row of the child table has that many entries.
    explicit TCodeTable(unsigned rowBits)
        : RowBits(rowBits),
          child_(static_cast<uint16_t*>(std::calloc(kMaxCodes << rowBits, sizeof(uint16_t)))) {
        if (!child_) throw std::bad_alloc();
    }

    void Reset(unsigned codeWidth) {
        for (uint32_t c = FirstCode; c < NextCode; ++c)
            child_.get()[(uint32_t(Prefix[c]) << RowBits) + Suffix[c]] = 0;
        CodeWidth = codeWidth;
        FirstCode = NextCode = (1u << (codeWidth - 1)) + 2;
        Full = false;
    }

    void AddEntry(uint32_t prefix, uint8_t suffix) {
        Prefix[NextCode] = uint16_t(prefix);
        Suffix[NextCode] = suffix;
        child_.get()[(prefix << RowBits) + suffix] = uint16_t(NextCode);
        ++NextCode;
        if (NextCode == kMaxCodes)
            Full = true;
        else if (NextCode > (1u << CodeWidth))
            ++CodeWidth;
    }

    const uint16_t* Children() const { return child_.get(); }

    const unsigned RowBits;
    uint16_t Prefix[kMaxCodes];
    uint8_t Suffix[kMaxCodes];
    unsigned CodeWidth = 0;
    bool Full = false;
    uint32_t FirstCode = 0, NextCode = 0;

  private:
    struct TFree {
        void operator()(uint16_t* p) const { std::free(p); }
    };
    std::unique_ptr<uint16_t, TFree> child_;
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

    const unsigned rowBits = codeSize < 8 ? codeSize : 8;
    auto table = std::make_unique<TCodeTable>(rowBits);
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
    size_t i = 1;
    const uint16_t* child = table->Children();
    while (i < n) {
        const uint8_t first = px[i++];
        table->AddEntry(previous, first);
        uint32_t code = first;
        while (i < n) {
            const uint32_t longer = child[(code << rowBits) + px[i]];
            if (!longer) break;
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
            progress.Show(float(double(i) / double(n)));
        }
    }
    TByteBuffer data = packer.Finish(end, table->CodeWidth);
    progress.Show(1);
    return data;
}

} // namespace orv
