#include "core/image/celestial_cards.h"

#include "core/image/fits_card_value.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>

namespace orv {

namespace {

enum class TValueKind { None, Number, String };

constexpr size_t kKeywordSize = 8;
constexpr size_t kMaxString = 68;

bool IsAxis(char c) {
    return c == '1' || c == '2';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// "a_b" with both in the given sets.
bool IsIndexPair(std::string_view s, bool (*first)(char), bool (*second)(char), size_t secondDigits) {
    if (s.size() < 3 || !first(s[0]) || s[1] != '_') return false;
    const std::string_view rest = s.substr(2);
    if (rest.empty() || rest.size() > secondDigits) return false;
    for (char c : rest)
        if (!second(c)) return false;
    return true;
}

// The kind of value a keyword of the description takes, and the name written for it.
TValueKind KindOf(std::string_view name, std::string_view& written) {
    written = name;
    if (name == "RADECSYS") written = "RADESYS"; // the older name
    if (written == "RADESYS") return TValueKind::String;
    if (name == "LONPOLE" || name == "LATPOLE" || name == "EQUINOX" || name == "EPOCH")
        return TValueKind::Number;
    if (name.size() == 6 && IsAxis(name[5])) {
        const std::string_view stem = name.substr(0, 5);
        if (stem == "CTYPE" || stem == "CUNIT") return TValueKind::String;
        if (stem == "CRPIX" || stem == "CRVAL" || stem == "CDELT" || stem == "CROTA")
            return TValueKind::Number;
    }
    if ((name.starts_with("PC") || name.starts_with("CD")) && IsIndexPair(name.substr(2), IsAxis, IsAxis, 1))
        return TValueKind::Number;
    if (name.starts_with("PV") && IsIndexPair(name.substr(2), IsAxis, IsDigit, 2)) return TValueKind::Number;
    // The SIP distortion polynomial: A_p_q, B_p_q, AP_p_q, BP_p_q and their orders.
    for (std::string_view stem : {"A_", "B_", "AP_", "BP_"}) {
        if (!name.starts_with(stem)) continue;
        const std::string_view rest = name.substr(stem.size());
        if (rest == "ORDER" || IsIndexPair(rest, IsDigit, IsDigit, 1)) return TValueKind::Number;
    }
    return TValueKind::None;
}

// A FITS number: an optional sign, digits, a fraction, an exponent with E or D.
std::optional<double> Number(const TCardText& card) {
    if (card.Quoted) return std::nullopt;
    std::string text = card.Value;
    if (!text.empty() && text[0] == '+') text.erase(0, 1);
    for (char& c : text)
        if (c == 'D' || c == 'd') c = 'E';
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool IsPlainString(const TCardText& card) {
    if (!card.Quoted || card.Value.size() > kMaxString) return false;
    for (char c : card.Value)
        if (c < ' ' || c > '~') return false;
    return true;
}

std::string NumberCard(std::string_view keyword, double value) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "%-8.*s= %.17G", int(keyword.size()), keyword.data(), value);
    return buf;
}

std::string StringCard(std::string_view keyword, const std::string& value) {
    std::string quoted;
    for (char c : value)
        quoted.append(c == '\'' ? 2 : 1, c);
    std::string card(keyword);
    card.resize(kKeywordSize, ' ');
    return card + "= '" + quoted + "'";
}

} // namespace

std::optional<std::vector<std::string>> CelestialCards(const std::vector<std::string>& header, int width,
                                                       int height) {
    std::vector<std::string> cards{NumberCard("NAXIS", 2), NumberCard("NAXIS1", width),
                                   NumberCard("NAXIS2", height)};
    for (const std::string& card : header) {
        if (card.size() <= kKeywordSize) continue;
        std::string_view name = std::string_view(card).substr(0, kKeywordSize);
        name = name.substr(0, name.find_last_not_of(' ') + 1);
        std::string_view written;
        const TValueKind kind = KindOf(name, written);
        if (kind == TValueKind::None) continue;
        const TCardText value = ParseCardRest(std::string_view(card).substr(kKeywordSize));
        if (kind == TValueKind::String) {
            if (!IsPlainString(value)) return std::nullopt;
            // Doubled quotes may make the card too long: such a text is no celestial keyword's.
            std::string text = StringCard(written, value.Value);
            if (text.size() > 80) return std::nullopt;
            cards.push_back(std::move(text));
        } else {
            const std::optional<double> number = Number(value);
            if (!number) return std::nullopt;
            cards.push_back(NumberCard(written, *number));
        }
    }
    return cards;
}

} // namespace orv
