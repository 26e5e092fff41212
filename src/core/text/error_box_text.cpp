#include "core/text/error_box_text.h"

namespace orv {

std::string WithFullStop(const std::string& text) {
    // Byte order: the last byte of a UTF-8 accented letter is above "." too.
    if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.'))
        return text + ".";
    return text;
}

} // namespace orv
