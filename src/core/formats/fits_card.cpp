#include "core/formats/fits_card.h"

#include "core/text/number_text.h"

#include <algorithm>
#include <utility>

namespace orv {

namespace {

// The comment goes to column 32 ("/" there, its text from 34) unless the value is in the
// way; then it follows the value after one blank. A comment with no room left is dropped.
std::string WithComment(std::string card, std::string_view comment) {
    const size_t slash = card.size() <= 31 ? 31 : card.size() + 1; // 0-based column of "/"
    if (!comment.empty() && slash + 2 < kFitsCardSize) {
        card.resize(slash, ' ');
        card += "/ ";
        card.append(comment.substr(0, kFitsCardSize - card.size()));
    }
    return FitsPaddedCard(card);
}

// Keyword, "= ", the value field right-justified to column 30, then the comment.
std::string ValuedCard(std::string_view keyword, std::string_view field, std::string_view comment) {
    std::string card = FitsKeyword(keyword) + "= ";
    if (field.size() < 20) card.append(20 - field.size(), ' ');
    card.append(field);
    return WithComment(std::move(card), comment);
}

// The value's text between quotes: its quotes doubled, cut to `room` characters, never
// inside a doubled quote.
std::string QuotedText(std::string_view value, size_t room) {
    std::string text;
    for (char c : value) {
        const size_t width = c == '\'' ? 2 : 1;
        if (text.size() + width > room) break;
        text.append(width, c);
    }
    return "'" + text + "'";
}

} // namespace

bool IsFitsKeyword(std::string_view text) {
    for (char c : text)
        if (!(c == ' ' || c == '-' || c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')))
            return false;
    return true;
}

std::string FitsKeyword(std::string_view keyword) {
    std::string k(keyword.substr(0, kFitsKeywordSize));
    k.resize(kFitsKeywordSize, ' ');
    return k;
}

std::string FitsPaddedCard(std::string_view text) {
    std::string card(text.substr(0, kFitsCardSize));
    card.resize(kFitsCardSize, ' ');
    return card;
}

std::string FitsLogicalCard(std::string_view keyword, bool value, std::string_view comment) {
    return ValuedCard(keyword, value ? "T" : "F", comment);
}

std::string FitsIntegerCard(std::string_view keyword, int64_t value, std::string_view comment) {
    return ValuedCard(keyword, std::to_string(value), comment);
}

std::string FitsRealCard(std::string_view keyword, double value, std::string_view comment) {
    return ValuedCard(keyword, FormatReal15(value), comment);
}

std::string FitsStringCard(std::string_view keyword, std::string_view value, std::string_view comment) {
    return WithComment(FitsKeyword(keyword) + "= " + QuotedText(value, kFitsMaxStringText), comment);
}

std::string FitsKeptCard(std::string_view text) {
    const std::string card = FitsPaddedCard(text);
    const std::string_view rest = std::string_view(card).substr(kFitsKeywordSize);
    // COMMENT, HISTORY and blank keywords hold text, whatever it looks like.
    const bool commentary = card.starts_with("COMMENT ") || card.starts_with("HISTORY ") ||
                            card.find_first_not_of(' ') >= kFitsKeywordSize;
    const bool valued = card.starts_with("CONTINUE") || (!commentary && TrimBlanks(rest).starts_with('='));
    if (!valued) return card;
    const TCardText t = ParseCardRest(rest);
    if (!t.Open) return card;
    // The opening quote stays where it was (column 79 at the latest, the blank before it
    // dropped); the closing one takes column 80 at the latest.
    const size_t quote = std::min(card.find('\'', kFitsKeywordSize), kFitsCardSize - 2);
    return FitsPaddedCard(card.substr(0, quote) + QuotedText(t.Value, kFitsCardSize - quote - 2));
}

} // namespace orv
