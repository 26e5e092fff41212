// A steadied series: the track's moves at known observation times (across midnight with and
// without dates), the rectangle every moved frame covers, the region counted inside it, and
// frames that cannot be placed left out while the others keep their places; the blink pair.
#include "core/anim/steady_series.h"

#include "core/align/star_finder.h"
#include "core/align/star_frames.h"
#include "core/anim/blink_pair.h"
#include "core/image/sky_coordinates.h"
#include "core/message_of.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

using namespace orv;

namespace {

std::vector<TSteadySample> Timed(const std::vector<std::pair<std::string, std::string>>& times) {
    std::vector<TSteadySample> samples;
    for (const auto& [date, time] : times)
        samples.push_back({100, 80, {}, nullptr, ObservationTime(date, time), ""});
    return samples;
}

std::vector<TOffset> Moves(const TSteadySeries& series) {
    std::vector<TOffset> moves;
    for (const TFramePlace& f : series.Frames)
        moves.push_back(f.Kept ? f.Move : TOffset{-999, -999});
    return moves;
}

} // namespace

TEST(SteadySeries, TheTrackMovesEachFrameAlongThePathInObservationTime) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> times; // DATE-OBS, time text
        TTrack track;
        std::vector<TOffset> moves; // {-999, -999}: left out
    };
    const std::vector<Case> cases = {
        {"a third of the way",
         {{"", "10:00:00"}, {"", "10:01:00"}, {"", "10:03:00"}},
         {10, 10, 16, 13},
         {{0, 0}, {-2, -1}, {-6, -3}}},
        {"halves to even",
         {{"", "10:00:00"}, {"", "10:01:00"}, {"", "10:02:00"}},
         {1, 1, 6, -2},
         {{0, 0}, {-2, 2}, {-5, 3}}},
        {"across midnight without a date",
         {{"", "23:58:00"}, {"", "23:59:00"}, {"", "00:01:00"}},
         {0, 0, 6, -9},
         {{0, 0}, {-2, 3}, {-6, 9}}},
        {"thirteen hours with dates", // without them, 20:00 to 09:00 would be eleven hours back
         {{"2024-03-09", "20:00:00"}, {"2024-03-10T02:30:00", "02:30:00"}, {"2024-03-10", "09:00:00"}},
         {0, 0, 4, 0},
         {{0, 0}, {-2, 0}, {-4, 0}}},
        {"a frame without a time",
         {{"", "10:00:00"}, {"", ""}, {"", "10:00:30"}, {"", "10:01:00"}},
         {0, 0, -8, 2},
         {{0, 0}, {-999, -999}, {4, -1}, {8, -2}}},
    };
    for (const Case& c : cases) {
        TAnimOptions options;
        options.Track = c.track;
        EXPECT_EQ(Moves(SteadySeries(Timed(c.times), options)), c.moves) << c.name;
    }
    TAnimOptions options;
    options.Track = TTrack{0, 0, 5, 5};
    EXPECT_EQ(MessageOf([&] {
                  SteadySeries(Timed({{"", "10:00:00"}, {"", "10:00:00"}}), options);
              }),
              "Le suivi demande des heures d'observation différentes pour la première et la dernière image");
}

TEST(SteadySeries, FramesAreCutToTheRectangleEveryMovedFrameCovers) {
    struct Case {
        const char* name;
        std::vector<std::pair<int32_t, int32_t>> sizes;
        std::vector<TOffset> moves;
        std::vector<TCropRect> cuts; // empty width: left out
        std::pair<int32_t, int32_t> size;
    };
    const std::vector<Case> cases = {
        {"three moves",
         {{100, 80}, {100, 80}, {100, 80}},
         {{0, 0}, {5, -3}, {-2, 4}},
         {{6, 5, 93, 73}, {1, 8, 93, 73}, {8, 1, 93, 73}},
         {93, 73}},
        {"sizes differ",
         {{100, 80}, {50, 200}},
         {{0, 0}, {20, -30}},
         {{21, 1, 50, 80}, {1, 31, 50, 80}},
         {50, 80}},
        {"nothing in common with the first",
         {{100, 80}, {100, 80}, {100, 80}},
         {{0, 0}, {100, 0}, {-99, -79}},
         {{1, 1, 1, 1}, {0, 0, 0, 0}, {100, 80, 1, 1}},
         {1, 1}},
    };
    for (const Case& c : cases) {
        std::vector<TFramePlace> frames(c.moves.size());
        for (size_t k = 0; k < frames.size(); ++k)
            frames[k] = {true, "", {}, c.moves[k], {}};
        EXPECT_EQ(CutToCommonRectangle(frames, c.sizes), c.size) << c.name;
        for (size_t k = 0; k < frames.size(); ++k) {
            EXPECT_EQ(frames[k].Kept, c.cuts[k].Width > 0) << c.name << " " << k;
            if (frames[k].Kept)
                EXPECT_EQ(frames[k].Cut, c.cuts[k]) << c.name << " " << k;
            else
                EXPECT_EQ(frames[k].Reason, "Aucune partie commune avec les images précédentes");
        }
    }

    // The animation's region counts from the common rectangle's lower-left pixel.
    const TFramePlace place{true, "", {}, {5, -3}, {1, 8, 93, 73}};
    TAnimOptions options;
    options.Crop = TCropRect{2, 3, 10, 20};
    EXPECT_EQ(PlacedFrameOptions(options, place).Crop, (TCropRect{2, 10, 10, 20}));
    options.Crop = TCropRect{90, 1, 10, 20};
    EXPECT_EQ(MessageOf([&] { PlacedFrameOptions(options, place); }),
              "La zone X 90, Y 1, 10 x 20 dépasse l'image (93 x 73)");
}

TEST(SteadySeries, FramesThatCannotBeAlignedAreLeftOutAndTheOthersKeepTheirPlaces) {
    using namespace align_test;
    const std::vector<TSpot> field = Field(300, 240, 60, 21);
    const auto sample = [&](int x0, int y0, uint64_t seed, const std::vector<TSpot>& spots) {
        TSteadySample s{160, 120, FindStars(Window(spots, x0, y0, 160, 120, seed)), nullptr, {}, ""};
        return s;
    };
    std::vector<TSteadySample> samples = {
        {0, 0, {}, nullptr, {}, "Le fichier a.fit n'a pas pu être ouvert"},
        sample(60, 50, 2, {}),                      // no stars: cannot be the reference
        sample(60, 50, 3, field),                   // the reference
        sample(70, 44, 4, Field(300, 240, 60, 22)), // another field
        sample(52, 61, 5, field),
    };
    TAnimOptions options;
    options.Align = TAlignMethod::Stars;
    const TSteadySeries series = SteadySeries(samples, options);
    EXPECT_EQ(Moves(series),
              (std::vector<TOffset>{{-999, -999}, {-999, -999}, {0, 0}, {-999, -999}, {-8, 11}}));
    EXPECT_EQ(series.Frames[0].Reason, "Le fichier a.fit n'a pas pu être ouvert");
    EXPECT_EQ(series.Frames[1].Reason, "Trop peu d'étoiles pour aligner l'image (0, il en faut 3)");
    EXPECT_EQ(series.Frames[3].Reason.rfind("Les étoiles ne correspondent pas", 0), 0u)
        << series.Frames[3].Reason;
    EXPECT_EQ(series.Frames[4].Cut, (TCropRect{9, 1, 152, 109}));
    EXPECT_EQ(std::make_pair(series.Width, series.Height), std::make_pair(152, 109));

    options.Align = TAlignMethod::Sky; // these frames have no coordinates
    EXPECT_EQ(SteadySeries(samples, options).Frames[2].Reason,
              "L'image n'a pas de coordonnées célestes (WCS)");
}

TEST(BlinkPair, TheSecondImageMovedOntoTheFirstLeavesOnlyWhatChanged) {
    using namespace align_test;
    // One field with its noise; the two images are parts of it 6 pixels right and 4 down of
    // each other, each with a blob of 5000 where the other has sky.
    const TPlane field = Window(Field(260, 200, 50, 31), 0, 0, 260, 200, 1);
    const auto part = [&](int x0, int y0, int blobX, int blobY) {
        auto source = std::make_shared<TFrameSource>();
        source->Raw = {kPixelInt16, 200, 150, std::vector<uint8_t>(200 * 150 * 2)};
        for (int y = 0; y < 150; ++y)
            for (int x = 0; x < 200; ++x) {
                const bool blob = std::abs(x - blobX) <= 1 && std::abs(y - blobY) <= 1;
                const auto v = int16_t(std::min(32767.0f, field.At(x + x0, y + y0) + (blob ? 5000 : 0)));
                std::memcpy(source->Raw.Store.data() + 2 * (size_t(y) * 200 + size_t(x)), &v, 2);
            }
        return source;
    };
    const auto first = part(20, 30, 100, 70), second = part(26, 26, 60, 90);
    const TBlinkPair pair = MakeBlinkPair(*first, *second, TAlignMethod::Stars);
    EXPECT_EQ(pair.Move, (TOffset{6, -4}));
    ASSERT_EQ(std::make_pair(pair.Difference.Width, pair.Difference.Height), std::make_pair(194, 146));
    std::vector<float> d(194 * 146);
    std::memcpy(d.data(), pair.Difference.Store.data(), d.size() * sizeof(float));
    std::map<float, int> counts;
    for (float v : d)
        ++counts[v];
    EXPECT_EQ(counts, (std::map<float, int>{{-5000.0f, 9}, {0.0f, 194 * 146 - 18}, {5000.0f, 9}}));
    EXPECT_EQ(std::make_pair(pair.Contrast.LowThreshold, pair.Contrast.HighThreshold),
              std::make_pair(-1.0, 1.0));
    const std::vector<TAnimImg> blink = BlinkFrames(pair, first->Display, 50);
    ASSERT_EQ(blink.size(), 2u);
    EXPECT_EQ(std::make_pair(blink[1].Bitmap.Width, blink[1].Bitmap.Height), std::make_pair(194, 146));
    EXPECT_EQ(blink[1].Delay, 50);

    // The same images without coordinates cannot be compared on the sky.
    EXPECT_EQ(MessageOf([&] { MakeBlinkPair(*first, *second, TAlignMethod::Sky); }),
              "L'image n'a pas de coordonnées célestes (WCS)");
}
