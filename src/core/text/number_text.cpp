#include "core/text/number_text.h"

#include "core/base/errors.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace orv {

std::string TrimText(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ')
        --e;
    return s.substr(b, e - b);
}

int32_t StrToInt(const std::string& text) {
    const std::string t = TrimText(text);
    const char* first = t.data();
    const char* last = t.data() + t.size();
    if (first != last && *first == '+') ++first;
    int32_t value = 0;
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (t.empty() || ec != std::errc() || ptr != last || first == last)
        throw EConvertError("'" + text + "' n'est pas une valeur entière correcte");
    return value;
}

double StrToFloat(const std::string& text) {
    const std::string t = TrimText(text);
    // Only sign, digits, one point and an exponent: no hex, no "inf", no "nan".
    size_t i = 0;
    bool ok = !t.empty();
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    size_t digits = 0;
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])))
        ++i, ++digits;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])))
            ++i, ++digits;
    }
    if (digits == 0) ok = false;
    if (ok && i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        size_t expDigits = 0;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])))
            ++i, ++expDigits;
        if (expDigits == 0) ok = false;
    }
    if (i != t.size()) ok = false;
    if (!ok) throw EConvertError("'" + text + "' n'est pas une valeur flottante correcte");
    const char* first = t.data();
    if (*first == '+') ++first;
    double value = 0;
    auto [ptr, ec] = std::from_chars(first, t.data() + t.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Underflow gives 0; overflow is not a number we can hold.
        if (std::fabs(std::strtod(t.c_str(), nullptr)) < 1.0) return 0.0;
        throw EConvertError("'" + text + "' n'est pas une valeur flottante correcte");
    }
    (void)ptr;
    return value;
}

std::string FormatGeneral(double v, int precision, double minFixed, int expDigits) {
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v > 0 ? "INF" : "-INF";
    if (v == 0) return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", precision - 1, v);
    // buf: [-]d.ddddde[+-]xx
    std::string s(buf);
    size_t ePos = s.find('e');
    int exponent = std::atoi(s.c_str() + ePos + 1);
    std::string mantissa = s.substr(0, ePos);
    bool negative = mantissa[0] == '-';
    std::string digits;
    for (char c : mantissa)
        if (std::isdigit(static_cast<unsigned char>(c))) digits += c;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    // Rounded to `precision` digits; strtod, unlike stod, does not throw on subnormals.
    const double magnitude = std::fabs(std::strtod(s.c_str(), nullptr));
    std::string out = negative ? "-" : "";
    if (magnitude >= minFixed && exponent < precision) {
        if (exponent >= 0) {
            if (static_cast<int>(digits.size()) <= exponent + 1) {
                out += digits + std::string(exponent + 1 - digits.size(), '0');
            } else {
                out.append(digits, 0, exponent + 1);
                out += '.';
                out.append(digits, exponent + 1);
            }
        } else {
            out += "0.";
            out.append(static_cast<size_t>(-exponent - 1), '0');
            out += digits;
        }
        return out;
    }
    out += digits[0];
    if (digits.size() > 1) {
        out += '.';
        out.append(digits, 1);
    }
    out += "E";
    if (exponent < 0) out += "-";
    std::string e = std::to_string(std::abs(exponent));
    if (static_cast<int>(e.size()) < expDigits) out.append(expDigits - e.size(), '0');
    return out + e;
}

std::string FormatReal15(double v) {
    return FormatGeneral(v, 15, 0.0001, 0);
}

std::string FormatReadout(double v) {
    return FormatGeneral(v, 8, 0.0001, 0);
}

std::string FormatStatistic(double v) {
    return FormatGeneral(v, 8, 0.00001, 4);
}

} // namespace orv
