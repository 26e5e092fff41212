#include "core/text/time_text.h"

#include "core/text/number_text.h"

#include <algorithm>

namespace orv {

namespace {

double PieceValue(const std::string& raw) {
    const std::string piece = TrimText(raw);
    return IsNumericText(piece) ? StrToFloat(piece) : 0.0;
}

} // namespace

bool IsNumericText(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'E' || c == 'e';
    });
}

double TimeToSeconds(const std::string& text) {
    const size_t first = text.find(':');
    if (first == std::string::npos) return 0.0;
    const double hours = PieceValue(text.substr(0, first));
    const std::string rest = text.substr(first + 1);
    const size_t second = rest.find(':');
    if (second == std::string::npos) return hours * 3600;
    const double minutes = PieceValue(rest.substr(0, second));
    const double seconds = PieceValue(rest.substr(second + 1));
    return hours * 3600 + minutes * 60 + seconds;
}

long double FitRatio(int32_t width, int32_t height, int32_t maxWidth, int32_t maxHeight) {
    const bool widthFits = width <= 0 || maxWidth >= width;
    const bool heightFits = height <= 0 || maxHeight >= height;
    const long double byWidth = widthFits ? 1.0L : static_cast<long double>(maxWidth) / width;
    const long double byHeight = heightFits ? 1.0L : static_cast<long double>(maxHeight) / height;
    if (widthFits && heightFits) return 1.0L;
    if (widthFits) return byHeight;
    if (heightFits) return byWidth;
    return std::min(byWidth, byHeight);
}

} // namespace orv
