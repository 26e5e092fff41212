// Conversions between numbers and text. The decimal separator is always ".", whatever
// the locale; failures carry the French messages users know.
#pragma once

#include <cstdint>
#include <string>

namespace orv {

// The text without the blanks and control characters at either end.
std::string TrimText(const std::string& text);

// Whole number; blanks around it are allowed. Throws EConvertError
// "'<text>' n'est pas une valeur entière correcte".
int32_t StrToInt(const std::string& text);

// Real with "." and an optional exponent; blanks around it are allowed. Throws EConvertError
// "'<text>' n'est pas une valeur flottante correcte".
double StrToFloat(const std::string& text);

// Shortest general form with at most `precision` significant digits: fixed notation when
// minFixed <= |v| < 10^precision, otherwise mantissa, "E", exponent (a "-" when negative,
// no "+", zero-padded to expDigits digits).
std::string FormatGeneral(double v, int precision, double minFixed, int expDigits);

// The form of FITS values and threshold texts: 15 digits (2.5, 1E-5, 1E20, 16383).
std::string FormatReal15(double v);

// The form of the pixel readout: 8 digits (0.5, 1E9).
std::string FormatReadout(double v);

// The form of the statistics window: 8 digits, exponent of at least 4 digits.
std::string FormatStatistic(double v);

} // namespace orv
