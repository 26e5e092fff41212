// One colour table for colour pictures, chosen from every picture's colours: what an animation
// of colour frames, or one colour picture, is written with. Up to 256 colours in all are kept
// exactly; more are reduced by median cut over all of them together, and each pixel then takes
// the nearest table colour (RGB distance, ties to the lower index), never dithered.
#pragma once

#include "core/base/bitmap.h"
#include "core/gif/byte_array.h"
#include "core/gif/color_quantizer.h"
#include "core/gif/color_table.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace orv {

class TGlobalColours {
  public:
    TGlobalColours();
    ~TGlobalColours();
    TGlobalColours(const TGlobalColours&) = delete;
    TGlobalColours& operator=(const TGlobalColours&) = delete;

    // Counts the colours of a 24-bit picture; every picture comes before Choose.
    void Meet(const TBitmap& picture);
    // Chooses the table from every colour met; its Count is raised to 2, 16 or 256.
    void Choose();
    const TColorTable& Table() const { return table_; }
    // The table indices of a 24-bit picture whose colours were all met, rows from the top.
    TByteArray2D Map(const TBitmap& picture) const;

  private:
    struct TFree {
        void operator()(uint32_t* p) const;
    };
    // Each 24-bit colour's place in distinct_ plus 1 (0 for a colour not met); after Choose,
    // its table index.
    std::unique_ptr<uint32_t, TFree> ids_;
    std::vector<TColorCount> distinct_;
    TColorTable table_;
};

// The index of the table colour nearest to a platform colour among entries 0 .. count - 1
// (squared RGB distance, ties to the lower index).
int NearestColour(const TColorTable& table, int32_t count, uint32_t color);

} // namespace orv
