#include "core/formats/fits_keywords.h"

#include "core/base/errors.h"

#include <gtest/gtest.h>

using namespace orv;

TEST(FitsKeywords, EveryRowReadsBackTheCardItWrites) {
    for (const TFitsKeyword& row : FitsKeywords()) {
        SCOPED_TRACE(row.Keyword);
        TFitsHeader written;
        std::visit(
            [&](auto field) {
                using T = std::decay_t<decltype(written.*field)>;
                if constexpr (std::is_same_v<T, bool>)
                    written.*field = true;
                else if constexpr (std::is_same_v<T, std::string>)
                    written.*field = "a/b ''c''";
                else
                    written.*field = T(-1234);
            },
            row.Value);
        row.Comment.Of(written) = "its comment";
        const std::optional<std::string> card = FitsKeywordCard(row, written);
        ASSERT_TRUE(card);
        ASSERT_EQ(FindFitsKeyword(std::string_view(*card).substr(0, 8)), &row);
        TFitsHeader read;
        ASSERT_TRUE(ReadFitsKeyword(row, ParseCardRest(std::string_view(*card).substr(8)), read));
        std::visit([&](auto field) { EXPECT_EQ(read.*field, written.*field); }, row.Value);
        EXPECT_EQ(row.Comment.Of(read), "its comment");
        // A cleared header writes only the cards written always.
        EXPECT_EQ(FitsKeywordCard(row, TFitsHeader{}).has_value(), row.Written == TFitsWritten::Always);
    }
}

TEST(FitsKeywords, ThresholdsTakeRealsRoundedAndOtherIntegersDoNot) {
    const struct {
        const char* keyword;
        const char* value;
        int32_t read; // 0: refused with the integer message
    } cases[] = {
        {"THRESH", "12.5", 12},  {"THRESH", "13.5", 14}, {"THRESL", "-3.7", -4}, {"THRESH", "900", 900},
        {"THRESL", "1E3", 1000}, {"THRESH", "12a", 0},   {"NAXIS1", "12.5", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.keyword) + " = " + c.value);
        const TFitsKeyword& row = *FindFitsKeyword(c.keyword);
        TFitsHeader header;
        const TCardText card = ParseCardRest(std::string("= ") + c.value);
        if (!c.read) {
            try {
                ReadFitsKeyword(row, card, header);
                ADD_FAILURE() << "taken";
            } catch (const EConvertError& e) {
                EXPECT_EQ(e.what(), "'" + std::string(c.value) + "' n'est pas une valeur entière correcte");
            }
            continue;
        }
        ReadFitsKeyword(row, card, header);
        EXPECT_EQ(c.keyword[5] == 'H' ? header.ThreshHigh : header.ThreshLow, c.read);
    }
}
