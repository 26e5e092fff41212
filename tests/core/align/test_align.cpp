// Alignment on the stars and on the sky coordinates: whole-pixel shifts found exactly whatever
// else the frames hold, and frames that do not show the reference's field refused.
#include "core/align/sky_offset.h"
#include "core/align/star_finder.h"
#include "core/align/star_frames.h"
#include "core/align/star_match.h"
#include "core/image/sky_cards.h"
#include "core/message_of.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace orv;
using namespace orv::align_test;

namespace {

constexpr int kWidth = 200, kHeight = 150; // each frame
constexpr int kX0 = 70, kY0 = 60;          // the first frame's window in the field

std::vector<TStar> StarsOf(const TPlane& plane, const std::vector<std::pair<int, int>>& hot = {}) {
    TPlane p = plane;
    for (const auto& [x, y] : hot)
        p.Values[size_t(y) * size_t(p.Width) + size_t(x)] = 30000;
    return FindStars(p);
}

} // namespace

TEST(StarAlignment, KnownShiftsFoundExactly) {
    struct Case {
        const char* name;
        int dx, dy; // the second window's place in the field, from the first's
        bool blob, hot, missing, added;
    };
    const std::vector<Case> cases = {
        {"noise only", 7, -4, false, false, false, false},
        {"a moving blob", -12, 5, true, false, false, false},
        {"two hot pixels", 3, 9, false, true, false, false},
        {"two hot pixels, no move", 0, 0, false, true, false, false},
        {"the brightest star missing", -5, -6, false, false, true, false},
        {"a star added", 11, 1, false, false, false, true},
        {"all at once, a third of the frame away", 62, -47, true, true, true, true},
    };
    const std::vector<TSpot> field = Field(kWidth + 140, kHeight + 120, 60, 11);
    for (const Case& c : cases) {
        std::vector<TSpot> a = field, b = field;
        if (c.blob) { // an asteroid, bright, moving 9 pixels to the right and 4 up
            a.push_back({kX0 + 60.3, kY0 + 50.6, 8000, 1.4});
            b.push_back({kX0 + 69.3, kY0 + 54.6, 8000, 1.4});
        }
        if (c.missing)
            b.erase(std::max_element(b.begin(), b.end(), [](auto& s, auto& t) { return s.Peak < t.Peak; }));
        if (c.added) b.push_back({kX0 + c.dx + 100.2, kY0 + c.dy + 70.7, 20000, 1.2});
        const std::vector<std::pair<int, int>> hot =
            c.hot ? std::vector<std::pair<int, int>>{{50, 40}, {150, 111}}
                  : std::vector<std::pair<int, int>>{};
        const auto first = StarsOf(Window(a, kX0, kY0, kWidth, kHeight, 1), hot);
        const auto second = StarsOf(Window(b, kX0 + c.dx, kY0 + c.dy, kWidth, kHeight, 2), hot);
        const TOffset offset = MatchStars(first, second, kWidth, kHeight).Offset;
        EXPECT_EQ(offset, (TOffset{c.dx, c.dy})) << c.name << ": " << offset.X << ", " << offset.Y;
    }
}

TEST(StarAlignment, FramesOfAnotherFieldOrWithoutStarsAreRefused) {
    const std::vector<TSpot> field = Field(kWidth, kHeight, 60, 11);
    const auto reference = StarsOf(Window(field, 0, 0, kWidth, kHeight, 1));
    struct Case {
        const char* name;
        std::vector<TStar> frame;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"another field", StarsOf(Window(Field(kWidth, kHeight, 60, 12), 0, 0, kWidth, kHeight, 2)),
         "Les étoiles ne correspondent pas à celles de la première image"},
        {"the same field upside down", StarsOf([&] {
             TPlane p = Window(field, 0, 0, kWidth, kHeight, 3);
             std::reverse(p.Values.begin(), p.Values.end());
             return p;
         }()),
         "Les étoiles ne correspondent pas à celles de la première image"},
        {"sky only", StarsOf(Window({}, 0, 0, kWidth, kHeight, 4)),
         "Trop peu d'étoiles pour aligner l'image (0"},
        {"hot pixels and sky",
         StarsOf(Window({}, 0, 0, kWidth, kHeight, 5), {{20, 20}, {90, 30}, {150, 100}, {40, 120}}),
         "Trop peu d'étoiles pour aligner l'image (0"},
    };
    for (const Case& c : cases) {
        const std::string message = MessageOf([&] { MatchStars(reference, c.frame, kWidth, kHeight); });
        EXPECT_EQ(message.rfind(c.message, 0), 0u) << c.name << ": " << message;
    }
}

TEST(SkyAlignment, TheReferenceCentreFoundInEachFrame) {
    // The frame's reference pixel moved by (sx, sy): its pixel (x, y) shows the sky of the
    // reference's pixel (x - sx, y - sy), so it moves by (-sx, -sy), rounded half to even.
    const auto shifted = [](double sx, double sy) {
        std::vector<std::string> cards = image_test::RotatedTanCards();
        cards[4] = "CRPIX1  = " + std::to_string(150.5 + sx);
        cards[5] = "CRPIX2  = " + std::to_string(100.5 + sy);
        return TSkyCoordinates::FromCards(cards, 300, 200);
    };
    const auto reference = shifted(0, 0);
    struct Case {
        double sx, sy;
        TOffset offset;
    };
    for (const Case& c : std::vector<Case>{{0, 0, {0, 0}},
                                           {12, -7, {-12, 7}},
                                           {-250, 180, {250, -180}},
                                           {2.4, -3.6, {-2, 4}},
                                           {0.3, 1.7, {0, -2}}}) {
        EXPECT_EQ(SkyOffset(*reference, 300, 200, *shifted(c.sx, c.sy)), c.offset) << c.sx << ", " << c.sy;
    }
}
