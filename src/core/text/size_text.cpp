#include "core/text/size_text.h"

#include "core/text/rounding.h"

#include <cmath>
#include <cstdio>

namespace orv {

std::string CommaNumber(double v) {
    if (!std::isfinite(v)) return "0";
    int decimals = 0;
    // Three significant digits: as many decimals as the whole part leaves.
    for (double magnitude = std::fabs(v); decimals < 9 && magnitude != 0 && magnitude < 99.95;
         magnitude *= 10)
        ++decimals;
    const double scale = std::pow(10.0, decimals);
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, RoundHalfEven(v * scale) / scale);
    std::string out(text);
    if (out.find('.') != std::string::npos) {
        while (out.back() == '0')
            out.pop_back();
        if (out.back() == '.') out.pop_back();
    }
    for (char& c : out)
        if (c == '.') c = ',';
    return out == "-0" ? "0" : out;
}

std::string SizeText(uint64_t bytes) {
    if (bytes < 1000) return std::to_string(bytes) + (bytes > 1 ? " octets" : " octet");
    if (bytes < 999500) return CommaNumber(double(bytes) / 1e3) + " Ko";
    return CommaNumber(double(bytes) / 1e6) + " Mo";
}

} // namespace orv
