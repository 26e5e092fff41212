// The display pipeline: raw values through the two thresholds and the display function to 256
// levels, coloured by the document's palette, as an 8-bit bottom-up Windows bitmap file image
// in DisplayStream.
#pragma once

#include "core/image/image_document.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace orv {

// Palette entry i := (i, i, i).
void InitGreyPalette(TImageDocument& doc);

// Fills LookupTable between the rounded thresholds (through the document's display
// function) and sets Inverted.
void BuildLookupTable(TImageDocument& doc);

// The display level of a raw value (NaN: 0 in normal order, 255 in reverse order).
uint8_t DisplayLevel(double v, double low, double high, bool inverted,
                     TDisplayFunction function = TDisplayFunction::Linear,
                     double midtones = kNeutralMidtones);

// The display level of a real value, as RenderLevels gives it for a plane of reals: a linear
// level in double arithmetic, DisplayLevel (long double) within a hair of a half and for the
// other display functions, and for values on or beyond a threshold.
class TRealLevel {
  public:
    TRealLevel(double low, double high, bool inverted, TDisplayFunction function, double midtones)
        : low_(low), high_(high), from_(inverted ? high : low), to_(inverted ? low : high),
          scale_(255.0 / (high - low)), midtones_(midtones), function_(function), inverted_(inverted) {}

    uint8_t operator()(double v) const {
        if (function_ == TDisplayFunction::Linear && v > from_ && v < to_) {
            // The level lies in 0..255.
            const double level = (v - low_) * scale_;
            const int32_t below = int32_t(level);
            const double above = level - double(below);
            if (above - 0.5 > 1e-6 || 0.5 - above > 1e-6) return uint8_t(below + (above > 0.5 ? 1 : 0));
        }
        return DisplayLevel(v, low_, high_, inverted_, function_, midtones_);
    }
    // The values strictly between these two take a level of their own; the others that of
    // the threshold they lie beyond.
    double From() const { return from_; }
    double To() const { return to_; }

  private:
    double low_, high_, from_, to_, scale_, midtones_;
    TDisplayFunction function_;
    bool inverted_;
};

// Rows of the display bitmap are padded to a multiple of 4 bytes.
int32_t BitmapStride(int32_t width);

// The levels of width x height values of pixelType (rows in file order) through the display
// of `display`, whose thresholds are used and whose LookupTable and Inverted are set: stored
// row r goes to firstRow + r * stride. Levels the store has no values for are left as they are.
void RenderLevels(TImageDocument& display, uint8_t pixelType, int32_t width, int32_t height,
                  std::span<const uint8_t> store, uint8_t* firstRow, std::ptrdiff_t stride);

// Rewrites BitmapHeader and DisplayStream from the pixels, thresholds and palette.
// Nothing for documents without raw values (bitmap and GIF documents).
void Render(TImageDocument& doc);

struct TSize {
    int32_t Width = 0;
    int32_t Height = 0;
    bool operator==(const TSize&) const = default;
};

struct TSystemMetrics {
    int32_t BorderWidth = 1;
    int32_t BorderHeight = 1;
    int32_t CaptionHeight = 19;
    int32_t VScrollWidth = 16;
    int32_t HScrollHeight = 16;
};

// The client size an image window takes for an image of `image` pixels inside a main
// window whose client area is `mainClient`; nothing when the window keeps its size
// (the image exactly as wide or as high as the room available).
std::optional<TSize> FitWindow(TSize image, TSize mainClient, int32_t speedPanelHeight,
                               int32_t statusBarHeight, const TSystemMetrics& metrics);

} // namespace orv
