#include "core/image/zoom.h"

#include <gtest/gtest.h>

#include <vector>

using namespace orv;

namespace orv {
void PrintTo(const TImagePixel& p, std::ostream* out) {
    *out << "(" << p.Column << ", " << p.Row << ")";
}
} // namespace orv

namespace {

// Every step from 1:16 to 16:1.
std::vector<TZoom> AllSteps() {
    std::vector<TZoom> steps{{1, kMaxZoomFactor}};
    while (ZoomedIn(steps.back()) != steps.back())
        steps.push_back(ZoomedIn(steps.back()));
    return steps;
}

} // namespace

TEST(Zoom, StepsRunFromOneSixteenthToSixteenTimesAndBack) {
    const std::vector<TZoom> steps = AllSteps();
    ASSERT_EQ(steps.size(), 31u);
    EXPECT_EQ(ZoomText(steps.front()), "1:16");
    EXPECT_EQ(ZoomText(steps[14]), "1:2");
    EXPECT_EQ(ZoomText(steps[15]), "1:1");
    EXPECT_EQ(ZoomText(steps[16]), "2:1");
    EXPECT_EQ(ZoomText(steps.back()), "16:1");
    for (size_t i = 1; i < steps.size(); ++i) {
        EXPECT_GT(steps[i].Scale(), steps[i - 1].Scale());
        EXPECT_EQ(ZoomedOut(steps[i]), steps[i - 1]);
    }
    EXPECT_EQ(ZoomedOut(steps.front()), steps.front());
}

TEST(Zoom, ViewSizeAndFit) {
    const struct {
        TSize Image;
        TZoom Zoom;
        TSize View;
    } sizes[] = {{{768, 512}, {1, 4}, {192, 128}},
                 {{7, 5}, {1, 3}, {3, 2}},
                 {{7, 5}, {3, 1}, {21, 15}},
                 {{4096, 4096}, {1, 1}, {4096, 4096}},
                 {{0, 5}, {2, 1}, {0, 0}}};
    for (const auto& c : sizes)
        EXPECT_EQ(ViewSize(c.Image, c.Zoom), c.View) << ZoomText(c.Zoom);

    const struct {
        TSize Image, Room;
        TZoom Fit;
    } fits[] = {
        {{4096, 4096}, {1024, 1024}, {1, 4}}, {{4096, 4096}, {1023, 1100}, {1, 5}},
        {{768, 512}, {768, 512}, {1, 1}},     {{100, 100}, {800, 650}, {6, 1}},
        {{10, 10}, {4000, 4000}, {16, 1}},    {{100000, 10}, {100, 100}, {1, 16}},
        {{4096, 2048}, {1000, 2000}, {1, 5}},
    };
    for (const auto& c : fits)
        EXPECT_EQ(ZoomText(FitZoom(c.Image, c.Room)), ZoomText(c.Fit))
            << c.Image.Width << "x" << c.Image.Height << " in " << c.Room.Width << "x" << c.Room.Height;
}

TEST(Zoom, TheReadoutCornersOfA768By512Image) {
    // Bottom-left and top-right screen pixels: X : 1, Y : 1 and X : 768, Y : 512.
    for (TZoom zoom : {TZoom{1, 4}, TZoom{4, 1}}) {
        const TSize view = ViewSize({768, 512}, zoom);
        EXPECT_EQ(ViewToImage({768, 512}, zoom, 0, view.Height - 1), (TImagePixel{0, 511})) << ZoomText(zoom);
        EXPECT_EQ(ViewToImage({768, 512}, zoom, view.Width - 1, 0), (TImagePixel{767, 0})) << ZoomText(zoom);
    }
}

TEST(Zoom, EveryViewPixelNamesAPixelOfWhatItShows) {
    for (TSize image : {TSize{768, 512}, TSize{7, 5}, TSize{17, 3}, TSize{1, 1}, TSize{33, 2}}) {
        for (TZoom zoom : AllSteps()) {
            const TSize view = ViewSize(image, zoom);
            const std::string what =
                std::to_string(image.Width) + "x" + std::to_string(image.Height) + " at " + ZoomText(zoom);
            // The corners name the corners (a view one pixel across names the first); nothing is
            // named outside the view.
            EXPECT_EQ(ViewToImage(image, zoom, 0, 0), (TImagePixel{0, 0})) << what;
            EXPECT_EQ(
                ViewToImage(image, zoom, view.Width - 1, view.Height - 1),
                (TImagePixel{view.Width > 1 ? image.Width - 1 : 0, view.Height > 1 ? image.Height - 1 : 0}))
                << what;
            EXPECT_FALSE(ViewToImage(image, zoom, view.Width, 0)) << what;
            EXPECT_FALSE(ViewToImage(image, zoom, 0, view.Height)) << what;
            EXPECT_FALSE(ViewToImage(image, zoom, -1, 0)) << what;
            // Along a row: within the block (or square) the view pixel shows, never going back.
            int32_t previous = -1;
            for (int32_t x = 0; x < view.Width; ++x) {
                const int32_t column = ViewToImage(image, zoom, x, 0)->Column;
                const int32_t first = zoom.Out > 1 ? x * zoom.Out : x / zoom.In;
                const int32_t last = zoom.Out > 1 ? std::min(image.Width, first + zoom.Out) - 1 : first;
                EXPECT_GE(column, first) << what << " x " << x;
                EXPECT_LE(column, last) << what << " x " << x;
                EXPECT_GE(column, previous) << what << " x " << x;
                previous = column;
            }
        }
    }
}

TEST(Zoom, ScrollKeepsThePointUnderThePointer) {
    const struct {
        TZoom From, To;
        double Scroll;
    } cases[] = {{{1, 1}, {2, 1}, 700}, {{1, 1}, {1, 2}, 100}, {{1, 4}, {3, 1}, 4700}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(AnchoredScroll(100, 300, c.From, c.To), c.Scroll) << ZoomText(c.To);
}

TEST(Zoom, CaptionShowsTheZoomOnlyWhenNotOneToOne) {
    EXPECT_EQ(ZoomedCaption("Image : a.fit (768x512) Entier 16 bits", {1, 4}),
              "Image : a.fit (768x512) Entier 16 bits - 1:4");
    EXPECT_EQ(ZoomedCaption("Image : a.bmp (4x4) ", {2, 1}), "Image : a.bmp (4x4) - 2:1");
    EXPECT_EQ(ZoomedCaption("Image : a.bmp (4x4) ", {1, 1}), "Image : a.bmp (4x4) ");
}
