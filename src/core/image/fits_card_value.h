// The value and comment of a FITS header card, read the same way by the FITS readers and by
// the sky coordinates, which must not see a card the reader would read otherwise.
#pragma once

#include <string>
#include <string_view>

namespace orv {

// The text without its leading and trailing blanks.
std::string TrimBlanks(std::string_view text);

struct TCardText {
    std::string Value;   // trimmed; a quoted string without its quotes, doubled quotes undone
    std::string Comment; // trimmed text after the "/" that follows the value
    bool Quoted = false; // the value is a quoted string
    bool Open = false;   // a quoted string whose closing quote is missing
};

// Value and comment of a card rest (the 72 characters after the keyword). A "/" inside a
// quoted string belongs to the value. An empty value is eleven blanks, as it always was.
// A string whose closing quote is missing runs to the end of the card and is read as closed
// there: the card holds nothing after it that could be a comment.
TCardText ParseCardRest(std::string_view rest);

} // namespace orv
