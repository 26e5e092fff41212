#include "core/base/errors.h"
#include "core/text/number_text.h"
#include "core/text/rounding.h"
#include "core/text/size_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace orv;

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(Round(0.5), 0);
    EXPECT_EQ(Round(1.5), 2);
    EXPECT_EQ(Round(2.5), 2);
    EXPECT_EQ(Round(-0.5), 0);
    EXPECT_EQ(Round(-1.5), -2);
    EXPECT_EQ(Round(-2.5), -2);
    EXPECT_EQ(Round(127.5), 128);
    EXPECT_EQ(Round(76.5), 76);
    EXPECT_EQ(Round(2.4999999), 2);
    EXPECT_EQ(Round(-3.7), -4);
}

TEST(Rounding, ExtremesAreClampedNotUndefined) {
    EXPECT_EQ(Round(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(Round(1e300), INT64_MAX);
    EXPECT_EQ(Round(-1e300), INT64_MIN);
    EXPECT_EQ(RoundClamped(40000.4, -32768, 32767), 32767);
    EXPECT_EQ(RoundClamped(-1e12, -32768, 32767), -32768);
}

TEST(StrToInt, AcceptsWholeNumbersWithBlanks) {
    EXPECT_EQ(StrToInt("16383"), 16383);
    EXPECT_EQ(StrToInt("  -42 "), -42);
    EXPECT_EQ(StrToInt("+7"), 7);
    EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
}

TEST(StrToInt, RefusesWithTheFrenchMessage) {
    for (const char* bad : {"", "12.5", "1e3", "abc", "2147483648", "--1", "1 2", "+"}) {
        try {
            StrToInt(bad);
            FAIL() << bad;
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()),
                      std::string("'") + bad + "' n'est pas une valeur entière correcte");
        }
    }
}

TEST(StrToFloat, AcceptsDecimalAndExponentForms) {
    EXPECT_DOUBLE_EQ(StrToFloat("2.5"), 2.5);
    EXPECT_DOUBLE_EQ(StrToFloat(" -1E-5 "), -1e-5);
    EXPECT_DOUBLE_EQ(StrToFloat("1e3"), 1000);
    EXPECT_DOUBLE_EQ(StrToFloat(".5"), 0.5);
    EXPECT_DOUBLE_EQ(StrToFloat("5."), 5);
    EXPECT_DOUBLE_EQ(StrToFloat("+32768"), 32768);
}

TEST(StrToFloat, RefusesWithTheFrenchMessage) {
    for (const char* bad : {"", "1,5", "E", "1-2", "1.2.3", "nan", "inf", "0x10", "1e", ".", "1e999"}) {
        try {
            StrToFloat(bad);
            FAIL() << bad;
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()),
                      std::string("'") + bad + "' n'est pas une valeur flottante correcte");
        }
    }
}

TEST(FormatReal15, GeneralFormOfHeaderValues) {
    EXPECT_EQ(FormatReal15(1), "1");
    EXPECT_EQ(FormatReal15(2.5), "2.5");
    EXPECT_EQ(FormatReal15(0.0001), "0.0001");
    EXPECT_EQ(FormatReal15(1e-5), "1E-5");
    EXPECT_EQ(FormatReal15(1e20), "1E20");
    EXPECT_EQ(FormatReal15(16383), "16383");
    EXPECT_EQ(FormatReal15(-32768), "-32768");
    EXPECT_EQ(FormatReal15(2000), "2000");
    EXPECT_EQ(FormatReal15(0.1), "0.1");
    EXPECT_EQ(FormatReal15(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(FormatReal15(123456789012345.0), "123456789012345");
    EXPECT_EQ(FormatReal15(1e15), "1E15");
    EXPECT_EQ(FormatReal15(-2.5e-7), "-2.5E-7");
    EXPECT_EQ(FormatReal15(0), "0");
}

TEST(FormatReadout, EightDigits) {
    EXPECT_EQ(FormatReadout(1e9), "1E9");
    EXPECT_EQ(FormatReadout(0.5), "0.5");
    EXPECT_EQ(FormatReadout(120), "120");
    EXPECT_EQ(FormatReadout(99999999), "99999999");
    EXPECT_EQ(FormatReadout(100000000), "1E8");
    EXPECT_EQ(FormatReadout(1234.56789), "1234.5679");
    EXPECT_EQ(FormatReadout(0.00001), "1E-5");
}

TEST(FormatStatistic, EightDigitsAndFourDigitExponent) {
    EXPECT_EQ(FormatStatistic(11.180339887), "11.18034");
    EXPECT_EQ(FormatStatistic(29.6), "29.6");
    EXPECT_EQ(FormatStatistic(25), "25");
    EXPECT_EQ(FormatStatistic(20000.6666666667), "20000.667");
    EXPECT_EQ(FormatStatistic(0.00001), "0.00001");
    EXPECT_EQ(FormatStatistic(0.000001), "1E-0006");
    EXPECT_EQ(FormatStatistic(1.5e10), "1.5E0010");
}

TEST(SizeText, ThreeDigitsWithADecimalCommaInOctetsKoAndMo) {
    const struct {
        uint64_t Bytes;
        const char* Text;
    } rows[] = {{1, "1 octet"},        {640, "640 octets"},  {999, "999 octets"},    {1000, "1 Ko"},
                {12345, "12,3 Ko"},    {850500, "850 Ko"},   {999499, "999 Ko"},     {999500, "1 Mo"},
                {12345678, "12,3 Mo"}, {1050000, "1,05 Mo"}, {2345678901, "2346 Mo"}};
    for (const auto& r : rows)
        EXPECT_EQ(SizeText(r.Bytes), r.Text) << r.Bytes;
    EXPECT_EQ(CommaNumber(0.06127), "0,0613");
    EXPECT_EQ(CommaNumber(-31.37), "-31,4");
    EXPECT_EQ(CommaNumber(0), "0");
}
