#include "core/formats/fits_keywords.h"

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
