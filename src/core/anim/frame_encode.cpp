#include "core/anim/frame_encode.h"

#include "core/anim/frame_compose.h"
#include "core/anim/stamp.h"
#include "core/gif/bitmap_to_matrix.h"
#include "core/gif/gif_errors.h"
#include "core/image/display.h"

#include <algorithm>
#include <array>
#include <functional>

namespace orv {

namespace {

// A band of displayed rows holds about this many pixels: few renders per frame, little memory.
constexpr size_t kBandPixels = size_t(1) << 16;

// Hands the frame's palette indices, rows from the top, to `visit` in consecutive pieces.
using TVisitLevels = std::function<void(std::span<const uint8_t>)>;
using TLevelSource = std::function<void(const TVisitLevels& visit)>;

// The levels read twice: once for the table (the colours in order of first appearance, whose
// number sets the code size), once mapped to table indices a small piece at a time.
TEncodedImage EncodeLevels(int32_t width, int32_t height, const std::vector<uint32_t>& palette,
                           const TLevelSource& levels) {
    TColorTable table;
    TPaletteIndexer indexer(palette, table);
    levels([&](std::span<const uint8_t> piece) { indexer.Meet(piece); });
    indexer.Finish();
    return EncodeImage(table, width, height, [&](TLzwEncoder& encoder) {
        std::array<uint8_t, 4096> mapped;
        levels([&](std::span<const uint8_t> piece) {
            for (size_t at = 0; at < piece.size(); at += mapped.size()) {
                const std::span<const uint8_t> part =
                    piece.subspan(at, std::min(mapped.size(), piece.size() - at));
                indexer.Map(part, mapped.data());
                encoder.Put({mapped.data(), part.size()});
            }
        });
    });
}

TEncodedImage EncodeRaw(const TRawImage& source, const TDisplaySettings& display, const std::string& stamp,
                        const TAnimOptions& options) {
    TRawImage made; // a region's values, no more than the region holds
    const TRawImage& raw = ReducedRaw(source, options, made);
    const size_t w = size_t(std::max(raw.Width, 0));
    const int32_t height = std::max(raw.Height, 0);
    const int32_t bandRows =
        int32_t(std::max<size_t>(1, std::min(kBandPixels / std::max<size_t>(w, 1), size_t(height))));
    const size_t bpp = size_t(BytesPerPixel(raw.PixelType));
    const std::string text = options.Stamp ? stamp : std::string();
    TImageDocument holder; // the thresholds and their tables, without pixels
    ApplyDisplaySettings(holder, display);
    std::vector<uint8_t> band(w * size_t(bandRows));
    return EncodeLevels(
        raw.Width, raw.Height, PaletteColors(display.Palette), [&](const TVisitLevels& visit) {
            for (int32_t top = 0; top < height; top += bandRows) {
                const int32_t rows = std::min(bandRows, height - top);
                const size_t size = w * size_t(rows);
                std::fill_n(band.begin(), size, uint8_t{0}); // levels a short store has no values for
                // Stored rows run from the bottom: the band's last row is stored first.
                const std::span<const uint8_t> store(raw.Store);
                const size_t from = std::min(store.size(), size_t(height - top - rows) * w * bpp);
                RenderLevels(holder, raw.PixelType, raw.Width, rows,
                             store.subspan(from, std::min(store.size() - from, size * bpp)),
                             band.data() + (size - w), -std::ptrdiff_t(w));
                DrawStamp(band.data(), raw.Width, height, top + 1, rows, text);
                visit({band.data(), size});
            }
        });
}

} // namespace

TEncodedImage EncodeFrame(const TAnimImg& frame, const TAnimOptions& options, const TDisplaySettings* shared,
                          const TReferenceLevel* reference) {
    if (frame.Source && frame.Source->InColour()) {
        const TFramePicture picture = ComposeFrame(frame, options, shared, reference);
        return EncodeImage(picture.Table, picture.Matrix);
    }
    if (frame.Source && options.NeedsRawValues()) {
        const TFrameSource& source = *frame.Source;
        return EncodeRaw(source.Raw, FrameDisplay(frame, options, shared, reference),
                         StampText(source.DateObs, frame.Time), options);
    }
    const TBitmap& picture = frame.Bitmap;
    if (picture.BitCount != 8 || options.Crop || options.Bin > 1) {
        // True colours are counted over the whole picture; a region is a copy of its own.
        const TFramePicture composed = ComposePicture(picture, options);
        return EncodeImage(composed.Table, composed.Matrix);
    }
    if (picture.Width < 0 || picture.Height < 0 ||
        picture.Pixels.size() < size_t(picture.Width) * size_t(picture.Height))
        throw EGifException("Image bitmap incorrecte");
    const std::span<const uint8_t> pixels(picture.Pixels.data(),
                                          size_t(picture.Width) * size_t(picture.Height));
    return EncodeLevels(picture.Width, picture.Height, picture.Palette,
                        [&](const TVisitLevels& visit) { visit(pixels); });
}

} // namespace orv
