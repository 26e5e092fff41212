// Texts read from a binary header or an XML attribute made fit for a FITS card: printable
// ASCII only (any other byte becomes "?"), blanks trimmed, at most what a card's string holds.
// What other readers than the FITS one put in the header goes through here first.
#pragma once

#include <string>
#include <string_view>

namespace orv {

// Up to the first NUL (fixed-size fields are NUL-padded), then as above.
std::string CardSafeText(std::string_view raw);

} // namespace orv
