#include "core/tools/threshold_presets.h"
#include "core/tools/threshold_steps.h"

#include "core/base/errors.h"
#include "core/image/document_builder.h"
#include "core/message_of.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace orv;

namespace {

enum class TButton { LumPP, LumP, LumM, LumMM, ConPP, ConP, ConM, ConMM };

void Press(TThresholdState& s, TButton b) {
    switch (b) {
    case TButton::LumPP:
        return Brightness(s, true, TStepSize::Large);
    case TButton::LumP:
        return Brightness(s, true, TStepSize::Small);
    case TButton::LumM:
        return Brightness(s, false, TStepSize::Small);
    case TButton::LumMM:
        return Brightness(s, false, TStepSize::Large);
    case TButton::ConPP:
        return ContrastUp(s, TStepSize::Large);
    case TButton::ConP:
        return ContrastUp(s, TStepSize::Small);
    case TButton::ConM:
        return ContrastDown(s, TStepSize::Small);
    case TButton::ConMM:
        return ContrastDown(s, TStepSize::Large);
    }
}

// The dialog after a document with these thresholds was activated, at this speed.
TThresholdState Dialog(double high, double low, TSpeed speed = TSpeed::Normal) {
    TThresholdState s;
    s.Steps = StepsOf(speed);
    PushThresholds(s, high, low);
    return s;
}

// Bars, edit texts and document all at (high, low).
void ExpectAt(const TThresholdState& s, int32_t high, int32_t low) {
    EXPECT_EQ(s.HighBar, high);
    EXPECT_EQ(s.LowBar, low);
    EXPECT_EQ(s.HighText, std::to_string(high));
    EXPECT_EQ(s.LowText, std::to_string(low));
    EXPECT_EQ(s.HighThreshold, high);
    EXPECT_EQ(s.LowThreshold, low);
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();

} // namespace

TEST(ThresholdDialog, SpeedsAndHalfSteps) {
    const struct {
        TSpeed Speed;
        TSteps Steps;
        int32_t HalfSmall, HalfLarge;
    } cases[] = {{TSpeed::Fast, {400, 4000}, 200, 2000},
                 {TSpeed::Normal, {100, 1000}, 50, 500},
                 {TSpeed::Slow, {1, 10}, 1, 5}};
    for (const auto& c : cases) {
        EXPECT_EQ(StepsOf(c.Speed), c.Steps);
        EXPECT_EQ(HalfStep(c.Steps, TStepSize::Small), c.HalfSmall);
        EXPECT_EQ(HalfStep(c.Steps, TStepSize::Large), c.HalfLarge);
    }
    EXPECT_EQ(TThresholdState().Steps, StepsOf(TSpeed::Normal));
}

TEST(ThresholdDialog, OrientationComesFromTheThresholds) {
    const struct {
        double Low, High;
        bool Inverted;
    } cases[] = {{0, 1, false}, {1, 0, true}, {5, 5, true}, {kNaN, 1, false}, {1, kNaN, false}};
    for (const auto& c : cases)
        EXPECT_EQ(IsInverted(c.Low, c.High), c.Inverted) << c.Low << " " << c.High;
}

TEST(ThresholdDialog, BrightnessAndContrastSteps) {
    const struct {
        const char* Name;
        TSpeed Speed;
        int32_t High, Low;
        TButton Button;
        int32_t NewHigh, NewLow;
    } cases[] = {
        {"slow contrast + moves by 1", TSpeed::Slow, 1003, 1000, TButton::ConP, 1002, 1001},
        {"slow contrast + refused at 2 apart", TSpeed::Slow, 1002, 1000, TButton::ConP, 1002, 1000},
        {"slow contrast + refused at 1 apart", TSpeed::Slow, 1001, 1000, TButton::ConP, 1001, 1000},
        {"slow contrast + + by 5", TSpeed::Slow, 1020, 1000, TButton::ConPP, 1015, 1005},
        {"brightness +", TSpeed::Normal, 16384, 0, TButton::LumP, 16284, -100},
        {"contrast - -", TSpeed::Normal, 16384, 0, TButton::ConMM, 16884, -500},
        {"brightness + + stops low at Min", TSpeed::Normal, 100, -32700, TButton::LumPP, 32, -32768},
        {"brightness - - stops high at Max", TSpeed::Normal, 32000, 0, TButton::LumMM, 32767, 767},
        {"brightness both past Min", TSpeed::Normal, -32000, -32700, TButton::LumPP, -32000, -32700},
        {"brightness darker in normal", TSpeed::Fast, 1000, 0, TButton::LumM, 1400, 400},
        {"equal thresholds: + moves up", TSpeed::Normal, 500, 500, TButton::LumP, 600, 600},
        {"inverted: + moves up", TSpeed::Normal, 200, 1000, TButton::LumP, 300, 1100},
        {"inverted: - - moves down", TSpeed::Normal, 200, 1000, TButton::LumMM, -800, 0},
        {"inverted: stops low at Max", TSpeed::Fast, 30000, 32500, TButton::LumP, 30267, 32767},
        {"contrast - - low end stuck", TSpeed::Normal, 30000, -32768, TButton::ConMM, 30000, -32768},
        {"contrast - - low end stops", TSpeed::Normal, 30000, -32600, TButton::ConMM, 30168, -32768},
        {"contrast - - high end stops", TSpeed::Normal, 32700, 0, TButton::ConMM, 32767, -67},
        {"contrast - - both past", TSpeed::Fast, 32000, -32000, TButton::ConMM, 32000, -32000},
        {"inverted contrast +", TSpeed::Normal, 200, 1000, TButton::ConP, 250, 950},
        {"inverted contrast + + refused", TSpeed::Normal, 900, 1000, TButton::ConPP, 900, 1000},
        {"inverted contrast -", TSpeed::Normal, 200, 1000, TButton::ConM, 150, 1050},
        {"inverted contrast - - high end stops", TSpeed::Normal, -32600, 0, TButton::ConMM, -32768, 168},
        {"equal thresholds contrast + refused", TSpeed::Normal, 500, 500, TButton::ConP, 500, 500},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TThresholdState s = Dialog(c.High, c.Low, c.Speed);
        Press(s, c.Button);
        ExpectAt(s, c.NewHigh, c.NewLow);
    }
}

TEST(ThresholdDialog, StepsMoveTheBarsAndLeaveWholeThresholds) {
    // The bars show the decimal thresholds rounded; a step starts from the bars and the
    // document takes the bars' positions, even when the step is refused.
    TThresholdState s = Dialog(1000.5, 0.25);
    Press(s, TButton::LumP);
    ExpectAt(s, 900, -100);

    s = Dialog(60000, 40000.5); // bars both at Max, orientation normal: no room to close
    Press(s, TButton::ConP);
    ExpectAt(s, 32767, 32767);

    // The orientation is the document's even when the bars disagree.
    s = Dialog(100, 0);
    s.HighBar = 0;
    s.LowBar = 100;
    Press(s, TButton::LumP);
    ExpectAt(s, -100, 0);
}

TEST(ThresholdDialog, PushShowsRoundedBarsAndExactTexts) {
    const TThresholdState s = Dialog(1000.5, -40000.25);
    EXPECT_EQ(s.HighBar, 1000);
    EXPECT_EQ(s.LowBar, -32768);
    EXPECT_EQ(s.HighText, "1000.5");
    EXPECT_EQ(s.LowText, "-40000.25");
    EXPECT_EQ(s.HighThreshold, 1000.5);
    EXPECT_EQ(s.LowThreshold, -40000.25);
    EXPECT_EQ(Dialog(1001.5, 2.5).HighBar, 1002);
    EXPECT_EQ(Dialog(1001.5, 2.5).LowBar, 2);
}

TEST(ThresholdDialog, TypingAThreshold) {
    const struct {
        bool Low;
        const char* Typed;
        const char* Text;
        int32_t Bar;
        double Threshold;
    } cases[] = {
        {true, "-40000", "-32768", -32768, -32768},
        {true, "40000", "40000", 32767, 40000},
        {true, "1234", "1234", 1234, 1234},
        {true, " 12 ", " 12 ", 12, 12},
        {false, "40000", "32767", 32767, 32767},
        {false, "-40000", "-40000", -32768, -40000},
        {false, "+77", "+77", 77, 77},
        {true, "2.25", "2.25", 2, 2.25},
        {true, "2.5", "2.5", 2, 2.5},
        {false, "-3.5", "-3.5", -4, -3.5},
        {false, "1e3", "1e3", 1000, 1000},
        {true, "-32768.5", "-32768", -32768, -32768},
        {false, "32767.25", "32767", 32767, 32767},
        {true, "99999999999", "99999999999", 32767, 99999999999.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Typed);
        TThresholdState s = Dialog(16383, 0);
        if (c.Low) {
            EnterLow(s, c.Typed);
            EXPECT_EQ(s.LowText, c.Text);
            EXPECT_EQ(s.LowBar, c.Bar);
            EXPECT_EQ(s.LowThreshold, c.Threshold);
            EXPECT_EQ(s.HighThreshold, 16383);
        } else {
            EnterHigh(s, c.Typed);
            EXPECT_EQ(s.HighText, c.Text);
            EXPECT_EQ(s.HighBar, c.Bar);
            EXPECT_EQ(s.HighThreshold, c.Threshold);
            EXPECT_EQ(s.LowThreshold, 0);
        }
    }
}

TEST(ThresholdDialog, TextsThatAreNotNumbers) {
    // Typed text refused before anything is stored.
    TThresholdState s = Dialog(16383, 0);
    EXPECT_EQ(MessageOf([&] { EnterLow(s, "1,5"); }), "'1,5' n'est pas une valeur entière correcte");
    EXPECT_EQ(s.LowThreshold, 0);
    EXPECT_EQ(s.LowBar, 0);
    EXPECT_THROW(EnterHigh(s, "abc"), EConvertError);
    EXPECT_THROW(EnterHigh(s, "1e999"), EConvertError);
    EXPECT_EQ(s.HighThreshold, 16383);

    // A real threshold the document wrote into the other edit is applied with the typed one.
    s = Dialog(100.5, 0);
    EnterLow(s, "10");
    EXPECT_EQ(s.LowThreshold, 10);
    EXPECT_EQ(s.HighThreshold, 100.5);

    // Applying reads the low edit first, then the high one.
    s = Dialog(16383, 0);
    s.LowText = "x";
    s.HighText = "y";
    EXPECT_EQ(MessageOf([&] { ApplyThresholds(s); }), "'x' n'est pas une valeur entière correcte");
    EXPECT_EQ(s.HighThreshold, 16383);
    s.LowText = "5.5";
    EXPECT_EQ(MessageOf([&] { ApplyThresholds(s); }), "'y' n'est pas une valeur entière correcte");
    EXPECT_EQ(s.LowThreshold, 5.5);
    EXPECT_EQ(s.HighThreshold, 16383);
}

TEST(ThresholdDialog, ScrollingStoresThePosition) {
    TThresholdState s = Dialog(16383, 0);
    ScrollHigh(s, 500);
    ScrollLow(s, -40000);
    ExpectAt(s, 500, -32768);
}

TEST(ThresholdDialog, Inversion) {
    TThresholdState s = Dialog(1000, 200);
    InvertThresholds(s);
    ExpectAt(s, 200, 1000);
    EXPECT_TRUE(IsInverted(s));
    Press(s, TButton::LumP); // brighter now moves up
    ExpectAt(s, 300, 1100);

    // Exact values beyond the bars come back exactly after two inversions.
    s = Dialog(40000, -50000);
    InvertThresholds(s);
    EXPECT_EQ(s.HighBar, -32768);
    EXPECT_EQ(s.LowBar, 32767);
    EXPECT_EQ(s.HighText, "-50000");
    EXPECT_EQ(s.LowText, "40000");
    InvertThresholds(s);
    EXPECT_EQ(s.HighThreshold, 40000);
    EXPECT_EQ(s.LowThreshold, -50000);

    // Real thresholds (a CPA image's) are exchanged exactly, the bars rounded; a value of
    // more digits than its text shows still comes back to the bit.
    s = Dialog(12.5, 2.5);
    InvertThresholds(s);
    EXPECT_EQ(s.HighThreshold, 2.5);
    EXPECT_EQ(s.LowThreshold, 12.5);
    EXPECT_EQ(s.HighBar, 2);
    EXPECT_EQ(s.LowBar, 12);
    EXPECT_EQ(s.LowText, "12.5");
    const double fine = 0.1 + 0.2;
    s = Dialog(fine, -fine);
    InvertThresholds(s);
    InvertThresholds(s);
    EXPECT_EQ(s.HighThreshold, fine);
    EXPECT_EQ(s.LowThreshold, -fine);
}

TEST(ThresholdDialog, Presets) {
    const struct {
        const char* Name;
        bool Planet;
        TStatistics Stats; // minimum, median, maximum, mean, deviation
        int32_t High, Low;
    } cases[] = {
        {"deep sky", false, {0, 1000.4, 5000, 0, 50.3}, 1101, 1000},
        {"deep sky clamped", false, {0, 32000, 0, 0, 1000}, 32767, 32000},
        {"deep sky half to even", false, {0, 100.5, 0, 0, 0.5}, 102, 100},
        {"planet", true, {0, 120.5, 4095, 0, 7}, 4095, 120},
        {"planet half to even", true, {0, 121.5, 4094.5, 0, 7}, 4094, 122},
        {"planet clamped", true, {-90000, -40000, 70000, 0, 7}, 32767, -32768},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TThresholdState s = Dialog(100.5, 7.25); // the edit texts are replaced first
        if (c.Planet)
            PlanetPreset(s, c.Stats);
        else
            DeepSkyPreset(s, c.Stats);
        ExpectAt(s, c.High, c.Low);
    }
}

TEST(ThresholdDialog, PresetsFromADocumentsStatistics) {
    // 10, 20, 30, 40: maximum 40, median 29.6, deviation 11.18.
    const TImageDocument doc =
        image_test::MakeDocument<int16_t>(kKindFits, kPixelInt16, 4, 1, {10, 20, 30, 40});
    TThresholdState s = Dialog(16383, 0);
    PlanetPreset(s, ComputeStatistics(doc));
    ExpectAt(s, 40, 30);
    DeepSkyPreset(s, ComputeStatistics(doc));
    ExpectAt(s, 52, 30);
}

TEST(ThresholdDialog, WhichDocumentsTheActionsTake) {
    const struct {
        uint8_t Kind;
        bool Presets, Inversion;
    } cases[] = {{kKindFits, true, true},
                 {kKindPic, true, true},
                 {kKindGif, true, true},
                 {kKindBmp, false, false},
                 {kKindEmpty, false, true}};
    for (const auto& c : cases) {
        EXPECT_EQ(PresetsApply(c.Kind), c.Presets) << int(c.Kind);
        EXPECT_EQ(InversionApplies(c.Kind), c.Inversion) << int(c.Kind);
    }
}
