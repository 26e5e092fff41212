// FITS header cards: splitting a card rest into its value and comment texts, and
// building the 80-character cards the writer emits. Everything here is pure text work.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orv {

inline constexpr size_t kFitsCardSize = 80;
inline constexpr size_t kFitsKeywordSize = 8;
inline constexpr size_t kFitsBlockSize = 2880;
inline constexpr size_t kFitsCardsPerBlock = kFitsBlockSize / kFitsCardSize;
// Longest string value text a card holds (columns 12..79, the closing quote in 80).
inline constexpr size_t kFitsMaxStringText = 68;

// Blanks, "-", digits, capitals and "_" only (the empty text too).
bool IsFitsKeyword(std::string_view text);

// The text without its leading and trailing blanks.
std::string TrimBlanks(std::string_view text);

struct TCardText {
    std::string Value;   // trimmed; a quoted string without its quotes, doubled quotes undone
    std::string Comment; // trimmed text after the "/" that follows the value
};

// Value and comment of a card rest (the 72 characters after the keyword). A "/" inside a
// quoted string belongs to the value. An empty value is eleven blanks, as it always was.
TCardText ParseCardRest(std::string_view rest);

// The keyword blank-padded (or cut) to 8 characters.
std::string FitsKeyword(std::string_view keyword);

// The text blank-padded (or cut) to 80 characters.
std::string FitsPaddedCard(std::string_view text);

// Valued cards: "=" in column 9, the value right-justified to column 30 (a longer value
// runs on from column 11), the comment after "/" in column 32, or after the value when the
// value reaches that far; comments are cut at column 80.
std::string FitsLogicalCard(std::string_view keyword, bool value, std::string_view comment);
std::string FitsIntegerCard(std::string_view keyword, int64_t value, std::string_view comment);
std::string FitsRealCard(std::string_view keyword, double value, std::string_view comment);

// String card: a quote in column 11, the text with its quotes doubled from column 12 (cut to
// 68 characters, never inside a doubled quote), then the closing quote.
std::string FitsStringCard(std::string_view keyword, std::string_view value, std::string_view comment);

} // namespace orv
