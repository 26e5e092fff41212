#include "core/anim/delays.h"

#include "core/anim/anim_frames.h"
#include "core/message_of.h"

#include <gtest/gtest.h>

using namespace orv;
using namespace orv::anim_test;

namespace {

std::vector<TAnimImg> Timed(uint16_t firstDelay, const std::vector<std::string>& times) {
    std::vector<TAnimImg> frames;
    for (const std::string& t : times)
        frames.push_back(Frame("f" + std::to_string(frames.size()), 99, t));
    if (!frames.empty()) frames[0].Delay = firstDelay;
    return frames;
}

std::vector<uint16_t> Delays(const std::vector<TAnimImg>& frames) {
    std::vector<uint16_t> delays;
    for (const TAnimImg& f : frames)
        delays.push_back(f.Delay);
    return delays;
}

} // namespace

TEST(AutoDelays, FollowTheObservationTimesAtTheFirstFramesRate) {
    const struct {
        const char* name;
        uint16_t first;
        std::vector<std::string> times;
        std::vector<uint16_t> delays;
    } cases[] = {
        {"minutes apart", 15, {"10:00:00", "10:01:00", "10:03:00"}, {15, 30, 30}},
        {"times going back", 30, {"10:03:00", "10:01:00", "10:00:00"}, {30, 15, 15}},
        {"equal times", 15, {"00:00:00.000", "00:00:00.000", "00:00:00.000"}, {0, 0, 0}},
        {"halves to even", 5, {"0:0:0", "0:0:2", "0:0:3", "0:0:6"}, {5, 2, 8, 8}},
        {"no time at all", 15, {"", "", "", ""}, {0, 0, 0, 0}},
        {"longest delay kept", 1000, {"0:0:0", "0:0:1", "0:1:41"}, {1000, 65535, 65535}},
        {"across midnight", 15, {"23:58:00", "23:59:00", "00:01:00"}, {15, 30, 30}},
        {"first gap across midnight", 15, {"23:59:00", "00:00:00", "00:02:00"}, {15, 30, 30}},
        {"backwards across midnight", 15, {"00:01:00", "23:59:00", "23:58:00"}, {15, 8, 8}},
        {"longest delay across midnight", 1000, {"23:59:59", "0:0:0", "0:1:40"}, {1000, 65535, 65535}},
    };
    for (const auto& c : cases) {
        auto frames = Timed(c.first, c.times);
        bool modified = false;
        BitAuto(frames, modified);
        EXPECT_EQ(Delays(frames), c.delays) << c.name;
        EXPECT_TRUE(modified) << c.name;
    }
    auto frames = Timed(15, {"10:00:00", "10:01:00", "10:03:00"});
    bool modified = false;
    BitAuto(frames, modified);
    EXPECT_DOUBLE_EQ(frames[2].Seconds, 36180);
}

TEST(AutoDelays, TwoFramesCopyOneFrameStays) {
    auto two = Timed(25, {"1:0:0", "5:0:0"});
    bool modified = false;
    BitAuto(two, modified);
    EXPECT_EQ(Delays(two), (std::vector<uint16_t>{25, 25}));
    EXPECT_FALSE(modified);

    auto one = Timed(25, {"1:0:0"});
    BitAuto(one, modified);
    EXPECT_EQ(Delays(one), (std::vector<uint16_t>{25}));
    EXPECT_FALSE(modified);
}

TEST(AutoDelays, ABadTimeStopsBeforeAnyDelayChanges) {
    auto frames = Timed(15, {"0:0:1", "0::2", "0:0:3"});
    bool modified = false;
    EXPECT_EQ(MessageOf([&] { BitAuto(frames, modified); }), "'' n'est pas une valeur flottante correcte");
    EXPECT_EQ(Delays(frames), (std::vector<uint16_t>{15, 99, 99}));
}

TEST(DelayField, ChangesTheSelectedFramesAndMarksTheAnimation) {
    const struct {
        const char* text;
        uint16_t value;
    } values[] = {{"25", 25},     {" 7 ", 7},       {"abc", 0},      {"-5", 0},
                  {"5000", 5000}, {"65535", 65535}, {"70000", 65535}};
    for (const auto& v : values)
        EXPECT_EQ(SpinValue(v.text), v.value) << v.text;

    auto frames = Timed(15, {"", "", ""});
    frames[1].Selected = true;
    bool modified = false;
    SpinInterChange(frames, modified, "");
    EXPECT_FALSE(modified);
    SpinInterChange(frames, modified, "40");
    EXPECT_EQ(Delays(frames), (std::vector<uint16_t>{15, 40, 99}));
    EXPECT_TRUE(modified);

    frames[1].Selected = false;
    modified = false;
    SpinInterChange(frames, modified, "70"); // no frame selected: no delay, but modified
    EXPECT_EQ(Delays(frames), (std::vector<uint16_t>{15, 40, 99}));
    EXPECT_TRUE(modified);

    std::vector<TAnimImg> none;
    modified = false;
    SpinInterChange(none, modified, "70");
    EXPECT_FALSE(modified);

    BitEgual(frames, 33);
    EXPECT_EQ(Delays(frames), (std::vector<uint16_t>{33, 33, 33}));
}

TEST(ShortDelays, TheWarningNamesTheFramesBrowsersSlowDown) {
    const std::string played = "un délai de 0 ou 1 centième, joué à 10 centièmes par les navigateurs";
    const struct {
        std::vector<uint16_t> Delays;
        std::vector<size_t> Marked; // the frames the builder marks
        std::string Warning;
    } rows[] = {
        {{15, 2, 10}, {}, ""},
        {{15, 1, 10}, {1}, "Attention : l'image 2 a " + played},
        {{0, 15, 1}, {0, 2}, "Attention : 2 images (1, 3) ont " + played},
        {std::vector<uint16_t>(12, 0),
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
         "Attention : 12 images (1, 2, 3, 4, 5, 6, 7, 8, 9, 10, …) ont " + played},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(ShortDelayWarning(r.Delays), r.Warning) << r.Delays.size();
        std::vector<TAnimImg> frames;
        for (const uint16_t d : r.Delays)
            frames.push_back(Frame("f", d));
        EXPECT_EQ(ShortDelayFrames(frames), r.Marked) << r.Delays.size();
    }
}
