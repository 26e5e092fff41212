#include "core/image/fits_card_value.h"

#include <utility>

namespace orv {

std::string TrimBlanks(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && text[b] == ' ')
        ++b;
    while (e > b && text[e - 1] == ' ')
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
        // A quoted string ends at the first quote that is not doubled. One left open (a writer
        // that forgot the quote, or 69 characters) is read to the end of the card and closed:
        // its text is all there, and refusing the image for a label card would lose more than
        // it protects. Every string card, known or kept, is read so; the writer closes them.
        out.Quoted = true;
        std::string text;
        size_t i = 1;
        out.Open = true;
        while (i < r.size()) {
            if (r[i] == '\'') {
                if (i + 1 < r.size() && r[i + 1] == '\'') {
                    text += '\'';
                    i += 2;
                    continue;
                }
                out.Open = false;
                break;
            }
            text += r[i++];
        }
        out.Value = TrimBlanks(text);
        if (!out.Open) {
            const std::string_view after = std::string_view(r).substr(i + 1);
            const size_t slash = after.find('/');
            if (slash != std::string_view::npos) out.Comment = TrimBlanks(after.substr(slash + 1));
        }
        return out;
    }
    // Not a quoted string: the first "/" starts the comment.
    const size_t slash = r.find('/');
    if (slash != std::string::npos) {
        out.Comment = TrimBlanks(std::string_view(r).substr(slash + 1));
        r = TrimBlanks(std::string_view(r).substr(0, slash));
    }
    if (r.empty()) r = std::string(11, ' ');
    out.Value = std::move(r);
    return out;
}

} // namespace orv
