// FITS header cards: the 80-character cards the writer emits, and the cards a reader keeps as
// the writer will write them. Everything here is pure text work; reading a card's value is
// core/image/fits_card_value.h, shared with the sky coordinates.
#pragma once

#include "core/image/fits_card_value.h"

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

// A card the document keeps as it was read, 80 columns: unchanged, except that a valued card
// (or a CONTINUE card) whose string is left open is closed as ParseCardRest reads it, its
// text cut to fit before the closing quote; commentary cards (COMMENT, HISTORY, a blank
// keyword) are text. No file is ever written with an open string.
std::string FitsKeptCard(std::string_view card);

} // namespace orv
