// Observation times as text, and the scale that fits a picture into a box: the two small
// numeric helpers of the animation builder. No state.
#pragma once

#include <cstdint>
#include <string>

namespace orv {

// True when every character is one of + - . 0-9 E e (the empty text included). Order and
// count do not matter: "1-2" and "E" pass, and only the conversion finds them wrong.
bool IsNumericText(const std::string& text);

// hours:minutes:seconds to seconds. No colon gives 0; a single colon counts the hours only.
// Each piece is trimmed of blanks and control characters; a piece that fails IsNumericText
// counts 0, one that passes but is no number throws EConvertError
// "'<piece>' n'est pas une valeur flottante correcte".
double TimeToSeconds(const std::string& text);

// The factor that fits width x height into maxWidth x maxHeight without enlarging: 1 when
// both fit, else the smaller ratio of the dimensions that do not fit. A zero (or negative)
// dimension always fits, so it is never a divisor.
long double FitRatio(int32_t width, int32_t height, int32_t maxWidth, int32_t maxHeight);

} // namespace orv
