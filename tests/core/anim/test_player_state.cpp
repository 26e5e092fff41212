#include "core/anim/player_state.h"

#include "core/anim/anim_frames.h"

#include <gtest/gtest.h>

using namespace orv;
using namespace orv::anim_test;

namespace {

std::vector<TAnimImg> WithDelays(const std::vector<uint16_t>& delays) {
    std::vector<TAnimImg> frames;
    for (uint16_t d : delays)
        frames.push_back(Frame("f", d));
    return frames;
}

} // namespace

TEST(Player, EachFrameStaysForItsOwnDelayInAnEndlessLoop) {
    const auto frames = WithDelays({10, 50, 20});
    TPlayerState p;
    p.Start();
    EXPECT_EQ(p.Interval, 1000); // the first frame waits for the interval in force
    const int32_t shown[] = {0, 1, 2, 0, 1, 2, 0};
    const int32_t interval[] = {100, 500, 200, 100, 500, 200, 100};
    for (int i = 0; i < 7; ++i) {
        const auto show = p.Tick(frames);
        ASSERT_TRUE(show);
        EXPECT_EQ(*show, (TPlayerShow{shown[i], shown[i]})) << i;
        EXPECT_EQ(p.Interval, interval[i]) << i;
    }

    const auto one = WithDelays({7});
    p.Start();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(p.Tick(one)->Frame, 0);
    EXPECT_FALSE(p.Tick({}).has_value());
}

TEST(Player, DelaysOfZeroAndOnePlayAsATenthOfASecondAsInBrowsers) {
    const struct {
        uint16_t Delay;
        int32_t Interval;
    } cases[] = {{0, 100}, {1, 100}, {2, 20}, {10, 100}, {65535, 655350}};
    for (const auto& c : cases)
        EXPECT_EQ(TimerInterval(c.Delay), c.Interval) << c.Delay;
}

TEST(Player, StepsCountFromTheFrameAfterTheOneShownWhenStopped) {
    const auto frames = WithDelays(std::vector<uint16_t>(10, 5));
    const struct {
        const char* name;
        std::optional<TPlayerShow> (TPlayerState::*step)(const std::vector<TAnimImg>&);
        int32_t shown;
    } steps[] = {
        {"next", &TPlayerState::Next, 5},
        {"previous", &TPlayerState::Previous, 3},
        {"first", &TPlayerState::First, 0},
        {"last", &TPlayerState::Last, 9},
    };
    for (const auto& s : steps) {
        TPlayerState p;
        p.Start();
        while (p.Tick(frames)->Frame != 3) {
        }
        EXPECT_EQ(p.CurrentFrame, 4) << s.name;
        EXPECT_FALSE((p.*s.step)(frames).has_value()) << s.name << " while playing";
        p.Stop();
        const auto show = (p.*s.step)(frames);
        ASSERT_TRUE(show) << s.name;
        EXPECT_EQ(*show, (TPlayerShow{s.shown, s.shown})) << s.name;
        EXPECT_EQ(p.CurrentFrame, s.shown) << s.name;
    }
}

TEST(Player, StepsWrapAroundAndTheSliderOnlyWorksWhenStopped) {
    const auto frames = WithDelays({5, 5, 5, 5});
    TPlayerState p;
    EXPECT_EQ(p.Previous(frames)->Frame, 3);
    EXPECT_EQ(p.Next(frames)->Frame, 0);
    EXPECT_EQ(p.Last(frames)->Frame, 3);
    EXPECT_EQ(p.Next(frames)->Frame, 0);
    EXPECT_EQ(p.SliderMoved(frames, 2)->Frame, 2);
    EXPECT_EQ(p.SliderMoved(frames, 40)->Frame, 3);
    EXPECT_FALSE(p.Next({}).has_value());

    p.Play();
    EXPECT_FALSE(p.SliderMoved(frames, 1).has_value());
    EXPECT_EQ(p.CurrentFrame, 3);
    EXPECT_EQ(p.Tick(frames)->Slider, 3); // the next tick puts the slider back
}

TEST(Player, WindowFitsTheAnimationOrTheScreen) {
    TScreenMetrics m;
    m.ScreenWidth = 1024, m.ScreenHeight = 768;
    m.BorderWidth = m.BorderHeight = 4;
    m.CaptionHeight = 20;
    m.VScrollWidth = 17, m.HScrollHeight = 16;
    const int32_t w = 1024 - 8 - 6, h = 768 - 8 - 20 - 6;
    const struct {
        int32_t aw, ah;
        std::optional<TClientSize> size;
    } cases[] = {
        {2000, 1500, TClientSize{w, h}},  {320, 240, TClientSize{320, 240}},
        {320, 1500, TClientSize{337, h}}, {2000, 240, TClientSize{w, 256}},
        {w, 240, std::nullopt},           {320, h, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitToAnimation(c.aw, c.ah, m), c.size) << c.aw << "x" << c.ah;
}
