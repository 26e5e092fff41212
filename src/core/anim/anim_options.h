// What an animation does beyond one frame per image: frames held steady (aligned on the first
// one, a moving object followed) and cut to what they all cover, one display for the whole
// series, a region of the images, binning, time stamps and the bounce back. Frames are made in
// this order: steady, crop, bin, display, stamp; the bounce orders them when the file is written.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orv {

// A rectangle in readout coordinates: (X, Y) is its lower-left pixel, counted from 1 from the
// image's bottom-left corner.
struct TCropRect {
    int32_t X = 1;
    int32_t Y = 1;
    int32_t Width = 0;
    int32_t Height = 0;
    bool operator==(const TCropRect&) const = default;
};

inline constexpr int32_t kMaxBin = 16;

// What each frame is aligned on before anything else: nothing, its stars, or the sky
// coordinates of its header.
enum class TAlignMethod { None, Stars, Sky };

// A moving object held still: where it stands in the first frame and in the last, in readout
// coordinates of the aligned frames.
struct TTrack {
    double FirstX = 0;
    double FirstY = 0;
    double LastX = 0;
    double LastY = 0;
    bool operator==(const TTrack&) const = default;
};

struct TAnimOptions {
    TAlignMethod Align = TAlignMethod::None;
    std::optional<TTrack> Track;
    bool SameDisplay = false;      // every frame with the first frame's display
    bool Normalize = false;        // each frame read on the first frame's median and spread
    std::optional<TCropRect> Crop; // only this region of each image
    int32_t Bin = 1;               // 1 to kMaxBin: each Bin x Bin block becomes one pixel
    bool Stamp = false;            // the observation date and time in the lower-left corner
    bool Bounce = false;           // frames n-1 down to 2 after frame n
    bool Optimize = false;         // later frames written as what they change
    int32_t Tolerance = 0;         // with Optimize: display levels a kept pixel may be off by
    bool operator==(const TAnimOptions&) const = default;

    // Options that need the raw values rather than the displayed picture.
    bool NeedsRawValues() const { return SameDisplay || Normalize || Bin > 1 || Stamp; }
    // Whether frames are moved, and so cut to what they all cover.
    bool Steadied() const { return Align != TAlignMethod::None || Track.has_value(); }
};

// "X,Y,W,H" as a rectangle; nothing when the text is not four whole numbers with X, Y >= 1 and
// W, H >= 1.
std::optional<TCropRect> ParseCrop(const std::string& text);
// "stars", "wcs" or "none"; nothing for another text.
std::optional<TAlignMethod> ParseAlign(const std::string& text);
// "X1,Y1,XN,YN": four numbers; nothing otherwise.
std::optional<TTrack> ParseTrack(const std::string& text);

// "X 10, Y 20, 256 x 128": the rectangle as the builder shows it.
std::string CropText(const TCropRect& rect);

// The rectangle a drag draws between two pixels of a width x height picture (columns and rows
// from 0 at the top-left corner, either corner first), held inside the picture.
TCropRect RegionFromDrag(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t width, int32_t height);

// The frames in the order they are written: 0 .. n-1, then with the bounce n-2 down to 1.
std::vector<size_t> FrameOrder(size_t count, bool bounce);

} // namespace orv
