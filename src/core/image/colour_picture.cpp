#include "core/image/colour_picture.h"

#include "core/image/display.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace orv {

namespace {

TRealLevel RealLevelOf(const TDisplaySettings& s) {
    // As a plane of reals is shown: thresholds in reverse order (or not numbers) invert it.
    return {s.LowThreshold, s.HighThreshold, !(s.HighThreshold >= s.LowThreshold), s.DisplayFunction,
            s.MidtonesBalance};
}

// The levels of values given four times over (whole numbers q of 16-bit sums, within
// kQuarters): a table over the q lying between the thresholds and one step beyond each, every
// other q taking the level of that step, which is beyond the same threshold. Computed one by
// one when the table would be larger than the picture.
constexpr int32_t kQuarters = 4 * 32768;

class TQuarterLevels {
  public:
    TQuarterLevels(const TDisplaySettings& s, size_t pixels) : level_(RealLevelOf(s)) {
        const double from = 4 * level_.From(), to = 4 * level_.To();
        if (!std::isfinite(from) || !std::isfinite(to) || to - from > double(pixels)) return;
        // Steps beyond the sums' range stand for every value on their side.
        first_ = int32_t(std::clamp(std::ceil(from) - 1, double(-kQuarters - 1), double(kQuarters)));
        last_ = int32_t(std::clamp(std::floor(to) + 1, double(-kQuarters - 1), double(kQuarters)));
        table_.resize(size_t(last_ - first_ + 1));
        for (int32_t q = first_; q <= last_; ++q)
            table_[size_t(q - first_)] = level_(double(q) / 4);
    }

    // n levels to every third byte from out.
    void Put(const int32_t* q, size_t n, uint8_t* out) const {
        if (table_.empty()) {
            for (size_t x = 0; x < n; ++x)
                out[3 * x] = level_(double(q[x]) / 4);
            return;
        }
        const uint8_t* table = table_.data();
        const int32_t first = first_, last = last_;
        for (size_t x = 0; x < n; ++x)
            out[3 * x] = table[std::clamp(q[x], first, last) - first];
    }

    // A row of red, green and blue sums to B, G, R bytes in one pass: its bytes are written in
    // order rather than three times over with a stride.
    static void PutRow(const std::array<TQuarterLevels, 3>& levels, const std::array<const int32_t*, 3>& q,
                       size_t n, uint8_t* out) {
        if (levels[0].table_.empty() || levels[1].table_.empty() || levels[2].table_.empty()) {
            for (size_t c = 0; c < 3; ++c)
                levels[c].Put(q[c], n, out + (2 - c));
            return;
        }
        const uint8_t *tr = levels[0].table_.data(), *tg = levels[1].table_.data(),
                      *tb = levels[2].table_.data();
        const int32_t fr = levels[0].first_, lr = levels[0].last_, fg = levels[1].first_,
                      lg = levels[1].last_, fb = levels[2].first_, lb = levels[2].last_;
        const int32_t *qr = q[0], *qg = q[1], *qb = q[2];
        for (size_t x = 0; x < n; ++x, out += 3) {
            out[0] = tb[std::clamp(qb[x], fb, lb) - fb];
            out[1] = tg[std::clamp(qg[x], fg, lg) - fg];
            out[2] = tr[std::clamp(qr[x], fr, lr) - fr];
        }
    }

    const TRealLevel& Level() const { return level_; }

  private:
    TRealLevel level_;
    int32_t first_ = 0, last_ = 0;
    std::vector<uint8_t> table_;
};

} // namespace

TBitmap ColourPicture(const TImageDocument& doc, const TColourPlanes& planes) {
    const TDisplaySettings display = DisplaySettingsOf(doc);
    return ColourPicture(planes, {display, display, display});
}

TBitmap ColourPicture(const TColourPlanes& planes, const std::array<TDisplaySettings, 3>& channels) {
    const TSize size = planes.Size();
    TBitmap picture;
    picture.Width = size.Width;
    picture.Height = size.Height;
    picture.BitCount = 24;
    const size_t w = size_t(std::max(size.Width, 0)), h = size_t(std::max(size.Height, 0));
    picture.Pixels.assign(w * h * 3, 0);
    if (w == 0 || h == 0) return picture;
    // The rendering writes its look-up table into the document it is given: a bare one that
    // holds only the display, never a copy of the values.
    auto display = std::make_unique<TImageDocument>();
    std::vector<uint8_t> levels(w * h);
    for (size_t c = 0; c < 3; ++c) {
        ApplyDisplaySettings(*display, channels[c]);
        const TValuePlane& plane = planes.Channels[c];
        std::fill(levels.begin(), levels.end(), uint8_t(0)); // a short plane leaves black
        // The bottom row is stored first and written last.
        RenderLevels(*display, plane.PixelType, size.Width, size.Height, plane.Store,
                     levels.data() + (h - 1) * w, -std::ptrdiff_t(w));
        uint8_t* out = picture.Pixels.data() + (2 - c); // B, G, R
        for (size_t k = 0; k < w * h; ++k)
            out[3 * k] = levels[k];
    }
    return picture;
}

std::optional<TBitmap> MosaicPicture(const TImageDocument& doc, TDebayer method,
                                     const std::array<TDisplaySettings, 3>& channels) {
    const TSize size = ColourPictureSize(doc, method);
    const size_t w = size_t(std::max(size.Width, 0)), h = size_t(std::max(size.Height, 0));
    const std::array<TQuarterLevels, 3> levels = {TQuarterLevels(channels[0], w * h),
                                                  TQuarterLevels(channels[1], w * h),
                                                  TQuarterLevels(channels[2], w * h)};
    TBitmap picture;
    picture.Width = size.Width;
    picture.Height = size.Height;
    picture.BitCount = 24;
    picture.Pixels.resize(w * h * 3);
    // The bottom row comes first and is written last; B, G, R.
    const auto row = [&](int32_t y, const std::array<const int32_t*, 3>& q) {
        if (w == 0) return; // a superpixel picture of a one-column mosaic has rows of nothing
        TQuarterLevels::PutRow(levels, q, w, picture.Pixels.data() + (h - 1 - size_t(y)) * w * 3);
    };
    const auto edge = [&](int32_t x, int32_t y, const std::array<float, 3>& v) {
        uint8_t* out = picture.Pixels.data() + ((h - 1 - size_t(y)) * w + size_t(x)) * 3;
        for (size_t c = 0; c < 3; ++c)
            out[2 - c] = levels[c].Level()(double(v[c]));
    };
    if (!DebayerQuarters(doc, method, row, edge)) return std::nullopt;
    return picture;
}

} // namespace orv
