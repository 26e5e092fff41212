// The pictures of zoomed views. Zoomed out, the raw values of each block are averaged and the
// averages displayed with the document's own thresholds, display function and palette, so a
// star of one or two pixels still lifts its block (1:n blocks as in zoom.h). Pictures without
// raw values (bitmaps, GIF images) average their colour channels instead. Zoomed in, each
// image pixel is repeated; only the region being painted is ever built.
#pragma once

#include "core/image/display.h"
#include "core/image/image_document.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orv {

// The document's values averaged over the 1:n view's blocks: a document of the same kind,
// pixel type, thresholds, palette and display function whose pixels are the blocks. Integer
// averages are rounded half to even; NaNs are left out of a real block's average (a block of
// NaNs alone stays NaN). Blocks that a short PixelStore does not reach are left out, as the
// display leaves such pixels at level 0.
TImageDocument AveragedDocument(const TImageDocument& doc, int32_t n);

// The display bitmap of a 1:n view of a document: the averages are made once for a document
// and factor, then rendered again with the document's current display settings each time.
class TAveragedView {
  public:
    const std::vector<uint8_t>& DisplayStream(const TImageDocument& doc, int32_t n);
    // The next call averages again (the document was loaded again).
    void Forget() { factor_ = 0; }

  private:
    TImageDocument view_;
    int32_t factor_ = 0;
    const TImageDocument* source_ = nullptr;
    const uint8_t* sourceData_ = nullptr;
    size_t sourceBytes_ = 0;
};

// 8-bit channels averaged over the 1:n view's blocks, each channel alone, rounded half to
// even: `channels` bytes per pixel, rows top first. dst holds ViewSize rows of dstStride.
void AverageChannels(const uint8_t* src, TSize size, size_t srcStride, int32_t channels, int32_t n,
                     uint8_t* dst, size_t dstStride);

// The part of an n:1 view whose top-left view pixel is (left, top), `region` pixels wide and
// high, clipped to the view: view pixel (x, y) is image pixel (x / n, y / n). Pixels of
// `bytesPerPixel` bytes, rows top first; dst rows start with the region's left pixel.
void RepeatRegion(const uint8_t* src, TSize size, size_t srcStride, int32_t bytesPerPixel, int32_t n,
                  int32_t left, int32_t top, TSize region, uint8_t* dst, size_t dstStride);

} // namespace orv
