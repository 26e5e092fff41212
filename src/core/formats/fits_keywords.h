// The FITS cards the program knows, one row each: the table drives both the reader (which
// card goes to which field of TFitsHeader) and the writer (which cards, in which order, and
// when). Cards of other keywords are not here: they are kept in the document's card lists.
#pragma once

#include "core/formats/fits_card.h"
#include "core/image/fits_header.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace orv {

// The field that holds a card's value; its type is the card's value type: bool a logical
// (T or F), int32_t an integer, double a real, std::string a quoted string.
using TFitsValueField = std::variant<bool TFitsHeader::*, int32_t TFitsHeader::*, double TFitsHeader::*,
                                     std::string TFitsHeader::*>;

// The field that holds a card's comment: a field of its own, or one of NaxisNComment.
class TFitsCommentField {
  public:
    constexpr TFitsCommentField(std::string TFitsHeader::*field) : field_(field) {}
    // NAXISn's comment, n from 1 to 4.
    static constexpr TFitsCommentField NaxisN(int n) { return TFitsCommentField(n); }

    std::string& Of(TFitsHeader& header) const {
        return field_ ? header.*field_ : header.NaxisNComment[size_t(naxisN_ - 1)];
    }
    const std::string& Of(const TFitsHeader& header) const {
        return field_ ? header.*field_ : header.NaxisNComment[size_t(naxisN_ - 1)];
    }

  private:
    constexpr explicit TFitsCommentField(int naxisN) : naxisN_(naxisN) {}
    std::string TFitsHeader::*field_ = nullptr;
    int naxisN_ = 0;
};

enum class TFitsWritten {
    Always,
    // Only when the value differs from a cleared header's (false, 0, BSCALE 1, empty text).
    UnlessDefault,
};

struct TFitsKeyword {
    std::string_view Keyword; // as written, without its padding
    TFitsValueField Value;
    TFitsCommentField Comment;
    TFitsWritten Written;
    std::string_view ReadAlso = {}; // an older name read into the same fields
    bool RealRounded = false;       // an integer field that takes a real value, rounded
};

// Every row, in the order the writer writes them.
std::span<const TFitsKeyword> FitsKeywords();

// The row of a card's 8-character keyword (its own or its older name); nullptr for others.
const TFitsKeyword* FindFitsKeyword(std::string_view cardKeyword);

// Stores the card's value and comment in the row's fields. A value that is not the number
// the field holds raises EConvertError. A logical card written only when true that reads
// F is not taken (false returned, nothing changed): it stays among the other cards.
bool ReadFitsKeyword(const TFitsKeyword& row, const TCardText& card, TFitsHeader& header);

// The row's card for the header's values; nothing when the row is not written for them.
std::optional<std::string> FitsKeywordCard(const TFitsKeyword& row, const TFitsHeader& header);

} // namespace orv
