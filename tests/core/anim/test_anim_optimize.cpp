#include "core/anim/anim_builder.h"
#include "core/anim/anim_estimate.h"
#include "core/anim/anim_save.h"
#include "core/anim/anim_writer.h"
#include "core/anim/tolerance.h"
#include "core/gif/gif_file.h"
#include "core/gif/gif_screens.h"
#include "core/image/display.h"

#include "core/formats/temp_dir.h"
#include "core/image/document_builder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

using namespace orv;

namespace {

using TLevels = std::vector<uint8_t>;
constexpr int kW = 64, kH = 48;

// An 8-bit frame of levels shown through `palette` (grey when empty).
TAnimImg Paletted(const TLevels& levels, const std::vector<uint32_t>& palette = {}) {
    TAnimImg f;
    f.Name = "f";
    f.Delay = 7;
    f.Bitmap.Width = kW;
    f.Bitmap.Height = kH;
    f.Bitmap.BitCount = 8;
    for (uint32_t i = 0; i < 256; ++i)
        f.Bitmap.Palette.push_back(palette.empty() ? MakeColor(uint8_t(i), uint8_t(i), uint8_t(i))
                                                   : palette[i]);
    f.Bitmap.Pixels = levels;
    return f;
}

uint32_t Random(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

// A field of `kinds` levels from 20 on, the same for every seed.
TLevels Field(uint32_t kinds = 200) {
    uint32_t state = 5;
    TLevels v(kW * kH);
    for (uint8_t& p : v)
        p = uint8_t(20 + Random(state) % kinds);
    return v;
}

// A camera's noise: nearly every pixel up to three levels up or down, so that few keep the
// level of the frame before.
TLevels Noisy(TLevels v, uint32_t seed) {
    for (uint8_t& p : v)
        if (const uint32_t r = Random(seed) % 120; r < 114) p = uint8_t(p + int(r % 6) - (r % 6 < 3 ? 3 : 2));
    return v;
}

TLevels WithBlob(TLevels v, int x0, int y0) {
    for (int y = y0; y < y0 + 5; ++y)
        for (int x = x0; x < x0 + 5; ++x)
            v[size_t(y * kW + x)] = 255;
    return v;
}

// A picture's colours, however it holds them.
std::vector<uint32_t> Colors(const TBitmap& picture) {
    std::vector<uint32_t> colors;
    for (int32_t y = 0; y < picture.Height; ++y)
        for (int32_t x = 0; x < picture.Width; ++x)
            colors.push_back(picture.PixelColor(x, y));
    return colors;
}

// The pictures the file shows, frame by frame.
std::vector<TBitmap> Shown(const std::string& path) {
    TGifFile gif;
    gif.LoadFromFile(path);
    return ShownPictures(gif);
}

// The frames saved plainly and optimised: the file of the optimised ones, read back.
std::unique_ptr<TGifFile> SaveBoth(const std::vector<TAnimImg>& frames, TAnimOptions options,
                                   const formats_test::TTempDir& dir, std::vector<TBitmap>* plain) {
    TProgress none;
    SaveAnimation(frames, dir.File("plain.gif"), none, options);
    *plain = Shown(dir.File("plain.gif"));
    options.Optimize = true;
    SaveAnimation(frames, dir.File("opt.gif"), none, options);
    auto gif = std::make_unique<TGifFile>();
    gif->LoadFromFile(dir.File("opt.gif"));
    return gif;
}

} // namespace

TEST(AnimOptimize, EveryFrameShowsThePlainFilesPictureAndOnlyWhatChangesIsWritten) {
    const TLevels field = Field();
    // Every level, each changed to the next but in a band of columns kept in the middle.
    TLevels all256 = Field(256), next256 = all256;
    int level = 0;
    for (size_t i = 0; i < all256.size(); ++i) {
        const bool kept = i % kW >= 20 && i % kW < 30;
        if (!kept && level < 256) all256[i] = uint8_t(level++);
        next256[i] = uint8_t(all256[i] + (kept ? 0 : 1));
    }
    TLevels inverted = field;
    for (uint8_t& p : inverted)
        p = uint8_t(255 - p);
    const struct {
        const char* Name;
        std::vector<TLevels> Frames;
        TImageDescriptor Second; // the second image's place
        bool Transparent;        // and whether it has a transparent index (only where it pays)
    } cases[] = {
        {"a blob moving over a still field",
         {WithBlob(field, 10, 20), WithBlob(field, 16, 20), WithBlob(field, 22, 21)},
         {10, 20, 11, 5, 0},
         true},
        {"a frame the same as the one before", {field, field, WithBlob(field, 3, 4)}, {0, 0, 1, 1, 0}, true},
        {"every pixel changes", {field, inverted, field}, {0, 0, kW, kH, 0}, false},
        // Transparency would cost more than it saves: the rectangle keeps its own colours.
        {"noise over a field of few levels",
         {Noisy(Field(8), 1), Noisy(Field(8), 2), Noisy(Field(8), 3)},
         {0, 0, kW, kH, 0},
         false},
        {"all 256 levels change: no free index", {all256, next256, all256}, {0, 0, kW, kH, 0}, false},
    };
    formats_test::TTempDir dir;
    for (const auto& c : cases) {
        std::vector<TAnimImg> frames;
        for (const TLevels& levels : c.Frames)
            frames.push_back(Paletted(levels));
        for (const bool bounce : {false, true}) {
            TAnimOptions options;
            options.Bounce = bounce;
            std::vector<TBitmap> plain;
            const auto gif = SaveBoth(frames, options, dir, &plain);
            EXPECT_EQ(ShownPictures(*gif), plain) << c.Name << (bounce ? ", bounce" : "");
        }
        std::vector<TBitmap> plain;
        auto gif = SaveBoth(frames, {}, dir, &plain);
        EXPECT_LE(formats_test::TTempDir::Read(dir.File("opt.gif")).size(),
                  formats_test::TTempDir::Read(dir.File("plain.gif")).size())
            << c.Name;
        const TGifSubImage& second = *gif->SubImages.at(1);
        EXPECT_EQ(second.Descriptor.Left, c.Second.Left) << c.Name;
        EXPECT_EQ(second.Descriptor.Top, c.Second.Top) << c.Name;
        EXPECT_EQ(second.Descriptor.Width, c.Second.Width) << c.Name;
        EXPECT_EQ(second.Descriptor.Height, c.Second.Height) << c.Name;
        const TExtension& control = second.Extensions.back();
        EXPECT_EQ(control.Flags, c.Transparent ? 0x05 : 0x04) << c.Name << ": do not dispose";
        EXPECT_EQ(control.Delay, 7) << c.Name;
        // Any number of threads writes the same file, even when the first frame comes last.
        TAnimWriteOptions write;
        write.Optimize = true;
        write.Jobs = 3;
        const TFrameJob late = [&](size_t k) {
            if (k == 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
            TAnimFrameResult made;
            made.Delay = 7;
            made.Indexed = ComposeFrame(frames[k], {}, nullptr);
            return made;
        };
        WriteAnimation(dir.File("late.gif"), frames.size(), late, write);
        EXPECT_EQ(formats_test::TTempDir::Read(dir.File("late.gif")),
                  formats_test::TTempDir::Read(dir.File("opt.gif")))
            << c.Name;
        // The builder takes the file as the pictures it shows.
        TAnimBuilder builder;
        builder.TakeGifAnimation(std::move(gif), dir.File("opt.gif"));
        for (size_t k = 0; k < plain.size(); ++k)
            EXPECT_EQ(Colors(builder.Frames.at(k).Bitmap), Colors(plain[k])) << c.Name << " " << k;
    }
    // A tiny file announcing a huge screen is not composed.
    TGifFile huge;
    TColorTable two;
    InitColorTable(two, 2);
    huge.AddSubImage(two, TByteArray2D(1, 1), 0);
    huge.ScreenWidth = huge.ScreenHeight = 60000;
    EXPECT_TRUE(ImagesBuildOnEachOther(huge));
    EXPECT_FALSE(ShownPicturesFit(huge));
}

TEST(AnimOptimize, AFrameInTrueColoursAmongPalettedOnesShowsThePlainFilesPicture) {
    // Paletted frames are compared from their own levels; one in true colours is not.
    std::vector<TAnimImg> frames;
    for (int k = 0; k < 5; ++k)
        frames.push_back(Paletted(WithBlob(Field(), 10 + 3 * k, 20)));
    TBitmap& truecolour = frames[2].Bitmap;
    truecolour.BitCount = 24;
    truecolour.Palette.clear();
    TLevels bgr;
    for (const uint8_t level : truecolour.Pixels)
        bgr.insert(bgr.end(), {level, level, level});
    truecolour.Pixels = bgr;
    formats_test::TTempDir dir;
    for (const bool bounce : {false, true}) {
        TAnimOptions options;
        options.Bounce = bounce;
        std::vector<TBitmap> plain;
        const auto gif = SaveBoth(frames, options, dir, &plain);
        EXPECT_EQ(ShownPictures(*gif), plain) << (bounce ? "bounce" : "");
        for (const size_t k : {2, 3}) // only the blob's move is written, into and out of true colours
            EXPECT_EQ(gif->SubImages.at(k)->Descriptor.Width, 8) << k;
    }
}

TEST(AnimOptimize, EveryPixelShownStaysWithinTheToleranceOfItsOwnInEachChannel) {
    // A false-colour palette whose channels step unevenly from level to level.
    std::vector<uint32_t> fire;
    for (uint32_t i = 0; i < 256; ++i)
        fire.push_back(MakeColor(uint8_t(std::min(255u, 3 * i)), uint8_t(i), uint8_t(i / 2)));
    for (const auto& palette : {std::vector<uint32_t>(), fire}) {
        // A still field under noise of +-6 levels, and a blob that moves.
        const TLevels field = Field(150);
        uint32_t state = 11;
        std::vector<TAnimImg> frames;
        for (int k = 0; k < 8; ++k) {
            TLevels v = WithBlob(field, 4 + 5 * k, 30);
            for (uint8_t& p : v)
                if (p != 255) p = uint8_t(int(p) + int(Random(state) % 13) - 6);
            frames.push_back(Paletted(v, palette));
        }
        formats_test::TTempDir dir;
        TAnimOptions options;
        options.Tolerance = 5;
        std::vector<TBitmap> own;
        const auto gif = SaveBoth(frames, options, dir, &own);
        const std::vector<TBitmap> shown = ShownPictures(*gif);
        ASSERT_EQ(shown.size(), own.size());
        int worst = 0;
        bool kept = false;
        for (size_t k = 0; k < shown.size(); ++k) {
            const std::vector<uint32_t> a = Colors(shown[k]), b = Colors(own[k]);
            ASSERT_EQ(a.size(), b.size());
            for (size_t i = 0; i < a.size(); ++i)
                for (int shift = 0; shift < 24; shift += 8) {
                    const int d = int((a[i] >> shift) & 0xFF) - int((b[i] >> shift) & 0xFF);
                    worst = std::max(worst, std::abs(d));
                    kept = kept || d != 0;
                }
        }
        EXPECT_LE(worst, 5) << palette.size();
        EXPECT_TRUE(kept) << "the tolerance keeps pixels";
        // The noise costs far less: the optimised file is smaller than the lossless one.
        options.Optimize = true;
        options.Tolerance = 0;
        TProgress none;
        SaveAnimation(frames, dir.File("exact.gif"), none, options);
        EXPECT_LT(formats_test::TTempDir::Read(dir.File("opt.gif")).size(),
                  formats_test::TTempDir::Read(dir.File("exact.gif")).size() * 3 / 4);
    }
}

namespace {

// 24 frames of 16-bit sky noise with a star that moves, as the builder holds them.
std::vector<TAnimImg> NoisySeries(size_t count) {
    std::vector<TAnimImg> frames;
    uint32_t state = 3;
    for (size_t i = 0; i < count; ++i) {
        std::vector<int16_t> v(96 * 64);
        for (size_t k = 0; k < v.size(); ++k) {
            const int x = int(k % 96), y = int(k / 96);
            const int dx = x - 10 - 3 * int(i), dy = y - 30;
            v[k] = int16_t(1000 + Random(state) % 40 + (dx * dx + dy * dy < 9 ? 3000 : 0) + x);
        }
        auto doc = image_test::MakeDocument<int16_t>(kKindFits, kPixelInt16, 96, 64, v);
        doc.LowThreshold = 980;
        doc.HighThreshold = 1300 + double(i % 3);
        doc.Header.DateObs = "2024-03-09";
        doc.Header.TimeBeg = "22:10:" + std::to_string(10 + i);
        Render(doc);
        frames.push_back(MakeFrame(std::move(doc)));
    }
    return frames;
}

// The same in colour: red, green and blue planes, the blob red.
std::vector<TAnimImg> ColourSeries(size_t count) {
    std::vector<TAnimImg> frames;
    uint32_t state = 5;
    for (size_t i = 0; i < count; ++i) {
        std::vector<int16_t> v(3 * 96 * 64);
        for (size_t k = 0; k < v.size(); ++k) {
            const int x = int(k % 96), y = int(k / 96 % 64), plane = int(k / (96 * 64));
            const int dx = x - 10 - 3 * int(i), dy = y - 30;
            v[k] =
                int16_t(1000 + Random(state) % 4 + (plane == 0 && dx * dx + dy * dy < 9 ? 200 : 0) + 3 * x);
        }
        auto doc = image_test::MakeDocument<int16_t>(kKindFits, kPixelInt16, 96, 64, v);
        doc.Colour.Planes = 3;
        doc.LowThreshold = 980;
        doc.HighThreshold = 1300;
        Render(doc);
        frames.push_back(MakeFrame(std::move(doc)));
    }
    return frames;
}

} // namespace

TEST(AnimOptimize, TheToleranceInTheImagesOwnUnits) {
    const struct {
        double Low, High;
        TDisplayFunction Function;
        int32_t Levels;
        const char* Text;
        double Midtones = kNeutralMidtones;
    } rows[] = {
        {1000, 1255, TDisplayFunction::Linear, 4, "4 niveaux = 4 ADU"},
        {2000, 0, TDisplayFunction::Linear, 1, "1 niveau = 7,84 ADU"},
        {0, 65025, TDisplayFunction::Sqrt, 4, "4 niveaux = 16 à 2024 ADU"},
        {0, 1000, TDisplayFunction::Asinh, 0, "0 niveau = 0 ADU"},
        {0, 255, TDisplayFunction::Mtf, 1, "1 niveau = 0,334 à 2,98 ADU", 0.25},
    };
    for (const auto& r : rows) {
        TDisplaySettings display;
        display.LowThreshold = r.Low;
        display.HighThreshold = r.High;
        display.DisplayFunction = r.Function;
        display.MidtonesBalance = r.Midtones;
        EXPECT_EQ(ToleranceText(r.Levels, display), r.Text) << r.Text;
    }
    // The builder's frames: at the display of the first with raw values.
    const std::vector<TAnimImg> series = NoisySeries(2);
    EXPECT_EQ(ToleranceText(3, series), "3 niveaux = 3,76 ADU"); // 980 to 1300
    EXPECT_EQ(ToleranceText(3, std::vector<TAnimImg>{Paletted(Field())}), "");
}

TEST(AnimEstimate, ComesWithinATenthOfTheFileWritten) {
    const std::vector<TAnimImg> series = NoisySeries(24), colour = ColourSeries(12);
    const std::vector<TAnimImg> few(series.begin(), series.begin() + 5);
    TAnimOptions plain, bounce, optimize, tolerance, everything, tracked;
    bounce.Bounce = true;
    tracked.Track = TTrack{10, 30, 79, 30}; // the blob: every frame cut to a third of its width
    optimize.Optimize = true;
    tolerance.Optimize = true;
    tolerance.Tolerance = 8;
    everything = tolerance;
    everything.Bounce = everything.SameDisplay = everything.Stamp = true;
    everything.Crop = TCropRect{5, 5, 80, 50};
    const struct {
        const char* Name;
        const std::vector<TAnimImg>& Frames;
        TAnimOptions Options;
        double Within; // of the file's size
    } cases[] = {
        {"fewer frames than samples: exact", few, plain, 0},
        {"plain", series, plain, 0.1},
        {"bounce", series, bounce, 0.1},
        {"optimised", series, optimize, 0.1},
        {"within a tolerance", series, tolerance, 0.1},
        {"every option", series, everything, 0.1},
        {"tracked", series, tracked, 0.1},
        {"colour frames: one table", colour, plain, 0.1},
        {"colour frames, optimised", colour, optimize, 0.1},
    };
    formats_test::TTempDir dir;
    for (const auto& c : cases) {
        TProgress none;
        SaveAnimation(c.Frames, dir.File("e.gif"), none, c.Options);
        const double size = double(formats_test::TTempDir::Read(dir.File("e.gif")).size());
        const double estimate = double(EstimateAnimationSize(c.Frames, c.Options));
        EXPECT_LE(std::abs(estimate - size), c.Within * size)
            << c.Name << ": " << estimate << " for " << size;
    }
    TAnimOptions outside;
    outside.Crop = TCropRect{1, 1, 200, 200};
    EXPECT_EQ(EstimateAnimationSize(series, outside), 0u);
}
