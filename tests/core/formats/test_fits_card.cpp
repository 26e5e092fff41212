#include "core/formats/fits_card.h"
#include "core/formats/fits_reader.h"

#include <gtest/gtest.h>

using namespace orv;

namespace {

// Columns are 1-based in FITS texts; this gives the text from column `from` to `to`.
std::string Columns(const std::string& card, size_t from, size_t to) {
    return card.substr(from - 1, to - from + 1);
}

} // namespace

TEST(FitsCardParse, ValueAndCommentOfCardRests) {
    const std::string eleven(11, ' ');
    struct Case {
        const char* rest;
        const char* value;
        const char* comment;
    } cases[] = {
        {"=                   16 / array data type", "16", "array data type"},
        {"=                    T", "T", ""},
        {"= 'M31/NGC224'         / the object", "M31/NGC224", "the object"},
        {"= 'M31/NGC224'", "M31/NGC224", ""},
        {"= 'O''Hara / obs'      / who / when", "O'Hara / obs", "who / when"},
        {"= ''''", "'", ""},
        {"= '  padded   '", "padded", ""},
        {"= ''  / empty string", "", "empty string"},
        {"= 1.5E3/no blank", "1.5E3", "no blank"},
        // A string left open runs to the end of the card: no comment can follow it.
        {"= 'unterminated / rest", "unterminated / rest", ""},
        {"= 'unterminated'' quote", "unterminated' quote", ""},
        {"", eleven.c_str(), ""},
        {"=", eleven.c_str(), ""},
        {"=          / only a comment", eleven.c_str(), "only a comment"},
        {"  'no equals sign'", "no equals sign", ""},
        {"= = 5", "= 5", ""},
    };
    for (const Case& c : cases) {
        std::string rest = c.rest;
        rest.resize(72, ' ');
        const TCardText t = ParseCardRest(rest);
        EXPECT_EQ(t.Value, c.value) << c.rest;
        EXPECT_EQ(t.Comment, c.comment) << c.rest;
    }
}

TEST(FitsCardParse, KeywordCharacters) {
    struct Case {
        const char* text;
        bool valid;
    } cases[] = {{"", true},           {"        ", true},      {"DATE-OBS", true},  {"TIME_BEG", true},
                 {"NAXIS1  ", true},   {"Object  ", false},     {"A.B     ", false}, {"A=      ", false},
                 {"\tTAB    ", false}, {"\xC9T\xC9    ", false}};
    for (const Case& c : cases)
        EXPECT_EQ(IsFitsKeyword(c.text), c.valid) << c.text;
}

TEST(FitsCardFormat, ValuesEndInColumn30AndCommentsStartInColumn32) {
    struct Case {
        std::string card;
        const char* field; // columns 11..30
    } cases[] = {
        {FitsLogicalCard("SIMPLE", true, ""), "                   T"},
        {FitsIntegerCard("BITPIX", -32, ""), "                 -32"},
        {FitsIntegerCard("NAXIS1", 768, ""), "                 768"},
        {FitsRealCard("EQUINOX", 2000, ""), "                2000"},
        {FitsRealCard("BSCALE", 2.5, ""), "                 2.5"},
        {FitsRealCard("DATAMIN", 1e-5, ""), "                1E-5"},
        {FitsRealCard("DATAMAX", 1e20, ""), "                1E20"},
        {FitsRealCard("BZERO", 0.0001, ""), "              0.0001"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(c.card.size(), 80u);
        EXPECT_EQ(Columns(c.card, 9, 10), "= ");
        EXPECT_EQ(Columns(c.card, 11, 30), c.field);
        EXPECT_EQ(Columns(c.card, 31, 80), std::string(50, ' '));
    }
    const std::string withComment = FitsIntegerCard("NAXIS", 2, "number of axes");
    EXPECT_EQ(withComment, "NAXIS   =                    2 / number of axes" + std::string(33, ' '));
}

TEST(FitsCardFormat, LongValuesAndCommentsStayOnTheCard) {
    const std::string longComment(60, 'c');
    const std::string cut = FitsIntegerCard("NAXIS", 2, longComment);
    EXPECT_EQ(Columns(cut, 32, 33), "/ ");
    EXPECT_EQ(Columns(cut, 34, 80), std::string(47, 'c'));

    // A real too wide for columns 11..30 runs on instead of covering the "=".
    const std::string wide = FitsRealCard("DATAMIN", -1.23456789012345e-300, "min");
    EXPECT_EQ(Columns(wide, 1, 10), "DATAMIN = ");
    EXPECT_EQ(TrimBlanks(Columns(wide, 11, 32)), "-1.23456789012345E-300");
    EXPECT_EQ(ParseCardRest(wide.substr(8)).Comment, "min");
}

TEST(FitsCardFormat, StringCards) {
    struct Case {
        std::string card;
        std::string expected; // trailing blanks not shown
    } cases[] = {
        {FitsStringCard("OBJECT", "M31", "the object"), "OBJECT  = 'M31'                / the object"},
        {FitsStringCard("OBJECT", "M31/NGC224", ""), "OBJECT  = 'M31/NGC224'"},
        {FitsStringCard("OBSERVER", "O'Hara", ""), "OBSERVER= 'O''Hara'"},
        // The closing quote in column 31: the comment still has column 32.
        {FitsStringCard("ORIGIN", std::string(19, 'a'), "c"), "ORIGIN  = '" + std::string(19, 'a') + "'/ c"},
        // Reaching column 32: the comment follows the value instead of overwriting it.
        {FitsStringCard("ORIGIN", std::string(30, 'b'), "kept"),
         "ORIGIN  = '" + std::string(30, 'b') + "' / kept"},
        // Too long: cut to 68 characters, closing quote in column 80, no room for a comment.
        {FitsStringCard("REFERENC", std::string(90, 'r'), "lost"),
         "REFERENC= '" + std::string(68, 'r') + "'"},
        // A cut never splits a doubled quote.
        {FitsStringCard("AUTHOR", std::string(67, 'x') + "'y", ""),
         "AUTHOR  = '" + std::string(67, 'x') + "'"},
        // Kept cards: a string left open is closed where its text ends, or cut to close it.
        {FitsKeptCard("DATE-OBS= '2020-01-01T00:00 / x"), "DATE-OBS= '2020-01-01T00:00 / x'"},
        {FitsKeptCard("REFERENC= '" + std::string(69, 'r')), "REFERENC= '" + std::string(68, 'r') + "'"},
        {FitsKeptCard("CONTINUE  'more"), "CONTINUE  'more'"},
        {FitsKeptCard("FILTER  =" + std::string(70, ' ') + "'"), "FILTER  =" + std::string(69, ' ') + "''"},
        {FitsKeptCard("NOTE      'loose text"), "NOTE      'loose text"},
        {FitsKeptCard("HISTORY = 'text"), "HISTORY = 'text"},
        {FitsKeptCard("GAIN    = 2.5 / e-"), "GAIN    = 2.5 / e-"},
        {FitsKeptCard("OBJECT  = 'M31' / it's"), "OBJECT  = 'M31' / it's"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(c.card.size(), 80u);
        EXPECT_EQ(TrimBlanks(c.card), c.expected);
    }
}

TEST(FitsCardFormat, StringsReadBackAsWritten) {
    for (const std::string value : {"M31/NGC224", "O'Hara", "''", "a / b ' c", "2001-02-03T04:05:06"}) {
        const std::string card = FitsStringCard("OBJECT", value, "comment / with slash");
        const TCardText t = ParseCardRest(std::string_view(card).substr(8));
        EXPECT_EQ(t.Value, value);
        EXPECT_EQ(t.Comment, "comment / with slash");
    }
}
