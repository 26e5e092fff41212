// One colour table for colour pictures, chosen from every picture's colours: what an animation
// of colour frames, or one colour picture, is written with. Up to 256 colours in all are kept
// exactly; more are reduced by median cut over all of them together, and each pixel then takes
// the nearest table colour (RGB distance, ties to the lower index), never dithered.
//
// Pixels are counted in cells of 8 x 8 x 8 colours (5 bits a channel), with a bit for each
// colour met: the median cut works on each cell's mean colour weighted by its pixels, or on
// the colours themselves (sharing their cell's pixels) when they fill few cells, so that it
// costs the same whatever the number of pixels and colours.
#pragma once

#include "core/base/bitmap.h"
#include "core/gif/byte_array.h"
#include "core/gif/color_quantizer.h"
#include "core/gif/color_table.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace orv {

class TGlobalColours {
  public:
    TGlobalColours();
    ~TGlobalColours();
    TGlobalColours(const TGlobalColours&) = delete;
    TGlobalColours& operator=(const TGlobalColours&) = delete;

    // Counts the colours of a 24-bit picture; every picture comes before Choose. Pictures may
    // be met on several threads at once, each thread counting apart.
    void Meet(const TBitmap& picture);
    // Chooses the table from every colour met; its Count is raised to 2, 16 or 256.
    void Choose();
    const TColorTable& Table() const { return table_; }
    // The table indices of a 24-bit picture whose colours were all met, rows from the top;
    // several threads may map at once.
    TByteArray2D Map(const TBitmap& picture) const;
    // The same for width x height pixels of 3 bytes (B, G, R), rows from the top.
    TByteArray2D Map(const uint8_t* bgr, int32_t width, int32_t height) const;

  private:
    struct TFree {
        void operator()(void* p) const;
    };
    struct TCounts;
    std::mutex idleLock_;
    std::vector<std::unique_ptr<TCounts>> idle_; // counts no thread is adding to
    // After Choose, the table index of every colour met, by its cell-major key.
    std::unique_ptr<uint8_t, TFree> nearest_;
    TColorTable table_;
};

// The index of the table colour nearest to a platform colour among entries 0 .. count - 1
// (squared RGB distance, ties to the lower index).
int NearestColour(const TColorTable& table, int32_t count, uint32_t color);

} // namespace orv
