#include "core/text/time_text.h"

#include "core/message_of.h"

#include <gtest/gtest.h>

using namespace orv;

TEST(IsNumericText, AcceptsOnlySignsDigitsPointAndExponentLetters) {
    const struct {
        const char* text;
        bool numeric;
    } cases[] = {
        {"", true},      {"1e3", true}, {"1-2", true},  {"E", true},    {"-12.5E+3", true},
        {"12,5", false}, {" 1", false}, {"0x1", false}, {"1:2", false}, {"inf", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsNumericText(c.text), c.numeric) << "'" << c.text << "'";
}

TEST(TimeToSeconds, ReadsHoursMinutesSeconds) {
    const struct {
        const char* text;
        double seconds;
    } cases[] = {
        {"12", 0},           {"1:30", 3600},        {"0:1:30", 90},      {"0:0:2.5e1", 25},
        {"0:x:10", 10},      {"00:00:00.000", 0},   {"0:01:03.5", 63.5}, {"0 : 2 : 15", 135},
        {"10:03:00", 36180}, {"\t1:0:0\r\n", 3600}, {"1:0:0:5", 3600}, // third colon: seconds fail the test
        {"-1:0:0", -3600},   {"a:b:c", 0},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(TimeToSeconds(c.text), c.seconds) << "'" << c.text << "'";
}

TEST(TimeToSeconds, APieceThatPassesTheTestButIsNoNumberFails) {
    EXPECT_EQ(MessageOf([] { TimeToSeconds("0::10"); }), "'' n'est pas une valeur flottante correcte");
    EXPECT_EQ(MessageOf([] { TimeToSeconds("1-2:0:0"); }), "'1-2' n'est pas une valeur flottante correcte");
    EXPECT_EQ(MessageOf([] { TimeToSeconds("0:0: 1.2.3 "); }),
              "'1.2.3' n'est pas une valeur flottante correcte");
    EXPECT_EQ(MessageOf([] { TimeToSeconds("E:0:0"); }), "'E' n'est pas une valeur flottante correcte");
}

TEST(FitRatio, ShrinksToTheDimensionThatDecidesNeverEnlarges) {
    const struct {
        int32_t w, h, maxW, maxH;
        long double ratio;
    } cases[] = {
        {600, 400, 300, 200, 0.5L}, {600, 100, 300, 200, 0.5L},
        {100, 100, 300, 200, 1.0L}, {400, 300, 300, 200, 2.0L / 3.0L},
        {300, 200, 300, 200, 1.0L}, {100, 400, 300, 200, 0.5L},
        {0, 400, 0, 200, 0.5L},     {600, 0, 300, 0, 0.5L},
        {0, 0, 0, 0, 1.0L},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitRatio(c.w, c.h, c.maxW, c.maxH), c.ratio)
            << c.w << "x" << c.h << " in " << c.maxW << "x" << c.maxH;
}
