#include "core/tools/window_place.h"

#include <gtest/gtest.h>

using namespace orv;

TEST(WindowPlace, ToolWindowsStayInsideTheFrameUnderTheToolBar) {
    const TRectangle frame{0, 70, 1280, 1000}; // under the menus and the tool bar
    const struct {
        const char* Case;
        TSize Window;
        int32_t Left, Top;
        TRectangle Placed;
    } rows[] = {
        {"where wanted", {200, 300}, 8, 78, {8, 78, 208, 378}},
        {"over the tool bar", {200, 300}, 8, 0, {8, 70, 208, 370}},
        {"past the right edge", {272, 428}, 1100, 78, {1008, 78, 1280, 506}},
        {"past the bottom", {200, 300}, 8, 900, {8, 700, 208, 1000}},
        {"left of the screen", {200, 300}, -50, 78, {0, 78, 200, 378}},
        {"taller than the frame", {200, 2000}, 8, 78, {8, 70, 208, 2070}},
    };
    for (const auto& r : rows)
        EXPECT_EQ(PlaceInFrame(frame, r.Window, r.Left, r.Top), r.Placed) << r.Case;
}

TEST(WindowPlace, ToolWindowsOpenBesideTheImageTheyWorkOn) {
    const TRectangle frame{0, 70, 1280, 1000};
    const TSize dialog{416, 314};
    const struct {
        const char* Case;
        TRectangle Image;
        TRectangle Placed;
    } rows[] = {
        {"no image", {}, {8, 78, 424, 392}},
        {"right of it", {0, 70, 390, 350}, {398, 78, 814, 392}},
        {"too wide: below it", {0, 70, 1000, 400}, {8, 408, 424, 722}},
        {"wide and tall: left of it", {500, 70, 1280, 1000}, {76, 78, 492, 392}},
        {"the whole frame: the first side", frame, {864, 78, 1280, 392}},
        {"every side covers some: the least", {200, 70, 1280, 900}, {8, 686, 424, 1000}},
    };
    for (const auto& r : rows)
        EXPECT_EQ(PlaceBeside(frame, dialog, r.Image, 8), r.Placed) << r.Case;
}
