#include "core/formats/header_text.h"

#include "core/formats/fits_card.h"

namespace orv {

std::string CardSafeText(std::string_view raw) {
    raw = raw.substr(0, raw.find('\0'));
    std::string text;
    for (const char c : raw)
        text += (c >= 0x20 && c <= 0x7E) ? c : '?';
    text = TrimBlanks(text);
    if (text.size() > kFitsMaxStringText) text = TrimBlanks(text.substr(0, kFitsMaxStringText));
    return text;
}

} // namespace orv
