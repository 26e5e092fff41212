#include "core/anim/frame_compose.h"
#include "core/anim/series_display.h"
#include "core/anim/series_table.h"
#include "core/anim/stamp.h"
#include "core/image/auto_display.h"
#include "core/image/robust_level.h"
#include "core/image/star_count.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace orv;

namespace {

template <typename T> TRawImage Raw(uint8_t pixelType, int32_t w, int32_t h, const std::vector<T>& v) {
    TRawImage raw{pixelType, w, h, std::vector<uint8_t>(v.size() * sizeof(T))};
    std::memcpy(raw.Store.data(), v.data(), raw.Store.size());
    return raw;
}

TValuePlane PlaneOfRaw(const TRawImage& raw) {
    return {raw.PixelType, raw.Width, raw.Height, raw.Store};
}

std::vector<uint8_t> Levels(const TRawImage& raw, const TDisplaySettings& display) {
    return PictureBitmap(ComposeRaw(raw, display, "", {})).Pixels;
}

// A sky with a few stars, every value even so that halving it stays whole.
std::vector<int16_t> StarrySky() {
    std::mt19937 rng(3);
    std::normal_distribution<double> sky(600, 15);
    std::vector<int16_t> v(151 * 101);
    for (size_t k = 0; k < v.size(); ++k)
        v[k] = static_cast<int16_t>(2 * int(sky(rng) / 2) + (k % 613 == 0 ? 4000 : 0));
    return v;
}

TFrameFigures Figures(double median, double spread, int64_t stars, size_t values = 100) {
    TFrameFigures f;
    f.Values = values;
    f.Median = median;
    f.Spread = spread;
    f.Stars = stars;
    return f;
}

} // namespace

TEST(SeriesDisplay, NormalisedFramesThatAreAffineImagesOfEachOtherDisplayAlike) {
    const std::vector<int16_t> base = StarrySky();
    const TRawImage first = Raw(kPixelInt16, 151, 101, base);
    const auto affine = [&](double a, double b, bool real) {
        std::vector<double> reals;
        std::vector<int16_t> whole;
        for (int16_t v : base)
            (real ? reals.push_back(a * v + b) : whole.push_back(static_cast<int16_t>(a * v + b)));
        return real ? Raw(kPixelReal64, 151, 101, reals) : Raw(kPixelInt16, 151, 101, whole);
    };
    const TRawImage others[] = {affine(2, 100, false), affine(3, -500, false), affine(0.5, 7, false),
                                affine(1, 2000, false), affine(0.37, 12.25, true)};
    const TDisplaySettings grey = DisplaySettingsOf(TImageDocument());
    TDisplaySettings typed = grey; // every frame's own display: the same typed thresholds
    typed.LowThreshold = 560;
    typed.HighThreshold = 900;
    const struct {
        const char* Name;
        TDisplaySettings FirstDisplay;
        TSeriesDisplayOptions Options;
    } cases[] = {
        {"the first frame's Mtf display",
         AutoDisplaySettings(TAutoDisplay::Mtf, PlaneOfRaw(first), grey),
         {true, true, true}},
        {"the first frame's zscale display",
         AutoDisplaySettings(TAutoDisplay::ZScale, PlaneOfRaw(first), grey),
         {true, true, true}},
        {"typed thresholds on every frame", typed, {false, true, false}},
    };
    for (const auto& c : cases) {
        const TSeriesDisplay reference =
            SeriesFrameDisplay(PlaneOfRaw(first), c.FirstDisplay, c.Options, nullptr);
        const std::vector<uint8_t> want = Levels(first, reference.Display);
        bool differsUnnormalised = false;
        for (const TRawImage& other : others) {
            const TDisplaySettings own = c.Options.SameDisplay ? grey : typed;
            const TSeriesDisplay shown = SeriesFrameDisplay(PlaneOfRaw(other), own, c.Options, &reference);
            EXPECT_TRUE(Levels(other, shown.Display) == want)
                << c.Name << ", frame of type " << int(other.PixelType);
            TSeriesDisplayOptions plain = c.Options;
            plain.Normalize = false;
            const TSeriesDisplay unmapped = SeriesFrameDisplay(PlaneOfRaw(other), own, plain, &reference);
            differsUnnormalised |= Levels(other, unmapped.Display) != want;
        }
        EXPECT_TRUE(differsUnnormalised) << c.Name;
    }
}

TEST(SeriesDisplay, ColourFramesAreNormalisedChannelByChannelAndStampedWhiteOnBlack) {
    // Two RGB frames whose channels are affine images of one sky, each channel with its own
    // level and gain; both frames shown with the same typed thresholds.
    const std::vector<int16_t> base = StarrySky();
    const auto frame = [&](std::array<std::pair<int, int>, 3> gains) {
        std::vector<int16_t> planes;
        for (const auto& [a, b] : gains)
            for (int16_t v : base)
                planes.push_back(static_cast<int16_t>(a * v + b));
        auto source = std::make_shared<TFrameSource>();
        source->Raw = Raw(kPixelInt16, 151, 101, planes);
        source->Colour.Planes = 3;
        source->Display = DisplaySettingsOf(TImageDocument());
        source->Display.LowThreshold = 560;
        source->Display.HighThreshold = 900;
        TAnimImg f;
        f.Source = std::move(source);
        f.Time = "22:10:00";
        return f;
    };
    const std::vector<TAnimImg> frames = {frame({{{1, 0}, {2, 100}, {1, -300}}}),
                                          frame({{{3, -500}, {1, 2000}, {2, 50}}})};
    const struct {
        const char* Case;
        bool Normalize, Stamp, Alike;
    } rows[] = {{"normalised", true, false, true},
                {"not normalised", false, false, false},
                {"normalised and stamped", true, true, true}};
    std::vector<TBitmap> plain;
    for (const auto& r : rows) {
        TAnimOptions options;
        options.Normalize = r.Normalize;
        options.Stamp = r.Stamp;
        std::vector<TBitmap> shown;
        for (const TAnimImg& f : ComposedFrames(frames, options))
            shown.push_back(TrueColour(f.Bitmap));
        ASSERT_EQ(shown.size(), 2u) << r.Case;
        EXPECT_EQ(shown[0] == shown[1], r.Alike) << r.Case;
        if (!r.Stamp) {
            if (r.Normalize) plain = shown;
            continue;
        }
        // Only the box's pixels change, each to black or white in all three channels.
        size_t white = 0;
        for (int32_t y = 0; y < shown[0].Height; ++y)
            for (int32_t x = 0; x < shown[0].Width; ++x) {
                const uint32_t c = shown[0].PixelColor(x, y), was = plain[0].PixelColor(x, y);
                if (c == was) continue;
                EXPECT_TRUE(y >= shown[0].Height - kStampMaxHeight && (c == 0 || c == 0xFFFFFF))
                    << r.Case << " at " << x << ", " << y;
                white += c == 0xFFFFFF;
            }
        EXPECT_GT(white, 0u) << r.Case;
    }
}

TEST(SeriesTable, TheOutlierRule) {
    const auto steady = [] {
        return std::vector<TFrameFigures>{Figures(1000, 20, 100), Figures(1010, 21, 96),
                                          Figures(990, 19, 104), Figures(1005, 20, 99)};
    };
    const auto with = [&](TFrameFigures extra) {
        auto frames = steady();
        frames.push_back(extra);
        return frames;
    };
    const struct {
        const char* Name;
        std::vector<TFrameFigures> Frames;
        uint8_t LastMark;
    } cases[] = {
        {"steady", steady(), 0},
        {"a cloud: bright sky, stars lost", with(Figures(2500, 22, 10)), kMarkSky | kMarkStars},
        {"trailed: spread up, stars down", with(Figures(1000, 50, 45)), kMarkSpread | kMarkStars},
        {"exactly twice the median is not beyond it", with(Figures(2010, 20, 100)), 0},
        {"no finite value", with(Figures(0, 0, 0, 0)), kMarkNoValues},
        {"no spread", with(Figures(7, 0, 0)), kMarkFlat},
        {"a median of 0 or below marks nothing",
         {Figures(-5, 20, 0), Figures(-3, 20, 0), Figures(-4, 20, 0), Figures(400, 20, 3)},
         0},
    };
    for (const auto& c : cases) {
        const std::vector<uint8_t> marks = OutlierMarks(c.Frames);
        for (size_t k = 0; k + 1 < marks.size(); ++k)
            EXPECT_EQ(marks[k], 0) << c.Name << " frame " << k;
        EXPECT_EQ(marks.back(), c.LastMark) << c.Name << ": " << MarkText(marks.back());
    }
}

TEST(StarCount, LocalMaximaAboveTheThreshold) {
    std::vector<int16_t> wide(20 * 3, 0); // peaks in eight-value groups and in the row's tail
    wide[20 + 3] = wide[20 + 9] = wide[20 + 18] = 9;
    wide[20 + 16] = -9;
    std::vector<int16_t> wider(28 * 3, 0); // sixteen values at a time, then eight, then one
    wider[28 + 5] = wider[28 + 20] = wider[28 + 26] = 9;
    const struct {
        const char* Name;
        std::vector<int16_t> Values; // stored order
        double Threshold;
        int64_t Stars;
        int32_t Width = 5;
    } cases[] = {
        {"one peak", {0, 0, 0, 0, 0, 0, 0, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 4.5, 1},
        {"a flat top counts once", {0, 0, 0, 0, 0, 0, 9, 9, 0, 0, 0, 9, 9, 0, 0, 0, 0, 0, 0, 0}, 4.5, 1},
        {"two peaks", {0, 0, 0, 0, 0, 0, 9, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 4.5, 2},
        {"a shoulder is no peak", {0, 0, 0, 0, 0, 0, 9, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 4.5, 1},
        {"on the edge", {0, 0, 0, 0, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 4.5, 0},
        {"not above the threshold", {0, 0, 0, 0, 0, 0, 0, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 9, 0},
        {"a wide row", wide, 4.5, 3, 20},
        {"a wide row, every value above", wide, -20, 3, 20},
        {"a wider row", wider, 4.5, 3, 28},
    };
    for (const auto& c : cases) {
        const TRawImage raw = Raw(kPixelInt16, c.Width, int32_t(c.Values.size()) / c.Width, c.Values);
        EXPECT_EQ(CountStars(PlaneOfRaw(raw), c.Threshold), c.Stars) << c.Name;
    }
}

TEST(SeriesTable, LargeFramesCountTheStarsOfTheWholePass) {
    // Large enough for the level to be bracketed from a sample, which gathers the star candidates
    // on its way: rows that end inside a run of values, and rows among the last values of the
    // store, which the passes take one at a time.
    const struct { int32_t Width, Height; } cases[] = {{600, 500}, {100, 2993}};
    for (const auto& c : cases) {
        std::mt19937 rng(5);
        std::normal_distribution<double> sky(1200, 30);
        std::vector<int16_t> v(size_t(c.Width) * size_t(c.Height));
        for (int16_t& x : v)
            x = static_cast<int16_t>(std::floor(sky(rng)));
        for (size_t k = 997; k < v.size(); k += 997) // peaks on both sides of the threshold
            v[k] = static_cast<int16_t>(1300 + k % 200);
        v[v.size() - 150] = 2000;
        const TRawImage raw = Raw(kPixelInt16, c.Width, c.Height, v);
        THighRuns high;
        high.Spreads = kStarSpreads;
        const TRobustLevel level = RobustLevel(PlaneOfRaw(raw), &high);
        EXPECT_TRUE(high.Found) << c.Width;
        const int64_t whole = CountStars(PlaneOfRaw(raw), level.Median + kStarSpreads * level.Spread);
        EXPECT_GT(whole, 100) << c.Width;
        EXPECT_EQ(FrameFigures(PlaneOfRaw(raw), {}, "").Stars, whole) << c.Width;
    }
}
