#include "core/formats/fits_card.h"

#include "core/text/number_text.h"

#include <utility>

namespace orv {

namespace {

bool IsBlank(char c) {
    return c == ' ';
}

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

} // namespace

bool IsFitsKeyword(std::string_view text) {
    for (char c : text)
        if (!(c == ' ' || c == '-' || c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')))
            return false;
    return true;
}

std::string TrimBlanks(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b]))
        ++b;
    while (e > b && IsBlank(text[e - 1]))
        --e;
    return std::string(text.substr(b, e - b));
}

TCardText ParseCardRest(std::string_view rest) {
    TCardText out;
    std::string r = TrimBlanks(rest);
    if (!r.empty() && r[0] == '=') r = TrimBlanks(std::string_view(r).substr(1));
    if (r.empty()) {
        out.Value = std::string(11, ' ');
        return out;
    }
    if (r[0] == '\'') {
        // A quoted string ends at the first quote that is not doubled.
        std::string text;
        size_t i = 1;
        bool closed = false;
        while (i < r.size()) {
            if (r[i] == '\'') {
                if (i + 1 < r.size() && r[i + 1] == '\'') {
                    text += '\'';
                    i += 2;
                    continue;
                }
                closed = true;
                break;
            }
            text += r[i++];
        }
        if (closed) {
            out.Value = TrimBlanks(text);
            const std::string_view after = std::string_view(r).substr(i + 1);
            const size_t slash = after.find('/');
            if (slash != std::string_view::npos) out.Comment = TrimBlanks(after.substr(slash + 1));
            return out;
        }
    }
    // Not a complete quoted string: the first "/" starts the comment.
    const size_t slash = r.find('/');
    if (slash != std::string::npos) {
        out.Comment = TrimBlanks(std::string_view(r).substr(slash + 1));
        r = TrimBlanks(std::string_view(r).substr(0, slash));
    }
    if (r.empty()) r = std::string(11, ' ');
    if (r[0] == '\'') r = TrimBlanks(std::string_view(r).substr(1));
    if (!r.empty() && r.back() == '\'') r = TrimBlanks(std::string_view(r).substr(0, r.size() - 1));
    out.Value = std::move(r);
    return out;
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
    std::string text;
    for (char c : value) {
        const size_t width = c == '\'' ? 2 : 1;
        if (text.size() + width > kFitsMaxStringText) break;
        text.append(width, c);
    }
    return WithComment(FitsKeyword(keyword) + "= '" + text + "'", comment);
}

} // namespace orv
