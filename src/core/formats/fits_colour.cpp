#include "core/formats/fits_colour.h"

#include "core/formats/fits_card.h"
#include "core/image/fits_card_value.h"
#include "core/text/path_text.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace orv {

namespace {

std::optional<TCardText> CardOf(const std::vector<std::string>& cards, std::string_view keyword) {
    for (const std::string& card : cards)
        if (card.size() >= kFitsKeywordSize &&
            TrimBlanks(std::string_view(card).substr(0, kFitsKeywordSize)) == keyword)
            return ParseCardRest(std::string_view(card).substr(kFitsKeywordSize));
    return std::nullopt;
}

// The card as the warning names it: KEYWORD = value, a string in its quotes.
std::string Quoted(std::string_view keyword, const TCardText& card) {
    return std::string(keyword) + " = " + (card.Quoted ? "'" + card.Value + "'" : card.Value);
}

// A whole number, written as an integer or as a real without a fraction (1, -3, 1.0).
std::optional<int64_t> WholeNumber(const TCardText& card) {
    if (card.Quoted) return std::nullopt;
    const std::string& t = card.Value;
    const bool shape = !t.empty() && t.find_first_not_of("+-0123456789.Ee") == std::string::npos;
    if (!shape) return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(t.c_str(), &end);
    if (end != t.c_str() + t.size() || !std::isfinite(v) || v != std::floor(v) || std::fabs(v) > 1e15)
        return std::nullopt;
    return static_cast<int64_t>(v);
}

} // namespace

int32_t FitsColourPlanes(const TFitsHeader& h, const std::vector<std::string>& otherCards) {
    if (h.Naxis3 != 3 || !(h.Naxis == 3 || (h.Naxis == 4 && h.Naxis4 == 1))) return 1;
    const std::optional<TCardText> ctype3 = CardOf(otherCards, "CTYPE3");
    return !ctype3 || ctype3->Value.empty() || ctype3->Value == "RGB" ? 3 : 1;
}

TFitsColour FitsColourOf(const std::vector<std::string>& cards, int32_t height, int32_t planes,
                         const std::string& fileName) {
    TFitsColour colour;
    TColourLayout& layout = colour.Layout;
    layout.Planes = planes;
    const std::optional<TCardText> rowOrder = CardOf(cards, "ROWORDER");
    layout.TopDown = rowOrder && UpperCase(rowOrder->Value) == "TOP-DOWN";
    if (planes != 1) return colour;
    std::string_view patternKey = "BAYERPAT";
    std::optional<TCardText> pattern = CardOf(cards, patternKey);
    if (!pattern) pattern = CardOf(cards, patternKey = "COLORTYP");
    if (!pattern) return colour;
    const std::string grey = "Le fichier " + ExtractFileName(fileName) + " est affiché en gris : ";
    const std::optional<TBayerPattern> named = BayerPatternNamed(pattern->Value);
    if (!named) {
        colour.Warning = grey + "motif de Bayer inconnu (" + Quoted(patternKey, *pattern) + ").";
        return colour;
    }
    int64_t offsets[2] = {0, 0};
    const char* const keys[2] = {"XBAYROFF", "YBAYROFF"};
    for (int i = 0; i < 2; ++i) {
        const std::optional<TCardText> card = CardOf(cards, keys[i]);
        if (!card) continue;
        const std::optional<int64_t> whole = WholeNumber(*card);
        if (!whole) {
            colour.Warning = grey + "décalage du motif de Bayer qui n'est pas un nombre entier (" +
                             Quoted(keys[i], *card) + ").";
            return colour;
        }
        offsets[i] = ((*whole % 2) + 2) % 2;
    }
    layout.Pattern = named;
    layout.XOffset = int32_t(offsets[0]);
    // Stored row s is document row height - 1 - s when the file stores its top row first.
    layout.YOffset = int32_t((offsets[1] + (layout.TopDown ? int64_t(height) - 1 : 0)) % 2);
    return colour;
}

void ReverseRows(std::span<uint8_t> store, int32_t width, int32_t height, int bytesPerValue) {
    const size_t row = size_t(std::max(width, 0)) * size_t(std::max(bytesPerValue, 0));
    const size_t plane = row * size_t(std::max(height, 0));
    if (row == 0 || height < 2) return;
    for (size_t start = 0; start + plane <= store.size(); start += plane)
        for (int32_t y = 0; y < height / 2; ++y)
            std::swap_ranges(store.begin() + ptrdiff_t(start + size_t(y) * row),
                             store.begin() + ptrdiff_t(start + size_t(y + 1) * row),
                             store.begin() + ptrdiff_t(start + size_t(height - 1 - y) * row));
}

void AdoptFitsColour(TImageDocument& doc, TDocumentHost& host, int32_t planes) {
    TFitsColour colour = FitsColourOf(doc.OtherCards, doc.ImageHeight, planes, doc.FileName);
    doc.Colour = colour.Layout;
    if (doc.Colour.TopDown)
        ReverseRows(doc.PixelStore, doc.ImageWidth, doc.ImageHeight, BytesPerPixel(doc.PixelType));
    if (!colour.Warning.empty()) host.Message(TMsgKind::Warning, TButtons::Ok, colour.Warning);
}

} // namespace orv
