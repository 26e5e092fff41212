#include "core/formats/fits_hdu.h"

#include "core/formats/fits_card.h"
#include "core/formats/fits_data.h"
#include "core/formats/fits_keywords.h"
#include "core/text/path_text.h"

#include <algorithm>
#include <charconv>

namespace orv {

namespace {

void ReadCard(TFitsHeaderUnit& unit, const std::string& keyword, std::string_view rest) {
    if (keyword == "COMMENT ") {
        unit.CommentLines.emplace_back(rest);
        return;
    }
    if (keyword == "HISTORY ") {
        unit.HistoryLines.emplace_back(rest);
        return;
    }
    if (keyword == "END     ") return;
    const TFitsKeyword* row = FindFitsKeyword(keyword);
    if (row && ReadFitsKeyword(*row, ParseCardRest(rest), unit.Header)) return;
    unit.OtherCards.push_back(FitsKeptCard(keyword + std::string(rest)));
}

std::string_view CardAt(std::span<const uint8_t> bytes, size_t at) {
    return std::string_view(reinterpret_cast<const char*>(bytes.data() + at), kFitsCardSize);
}

// A whole number card value, or nothing.
std::optional<int64_t> IntegerValue(std::string_view card) {
    const std::string v = ParseCardRest(card.substr(kFitsKeywordSize)).Value;
    int64_t n = 0;
    const auto [end, error] = std::from_chars(v.data(), v.data() + v.size(), n);
    if (error != std::errc() || end != v.data() + v.size()) return std::nullopt;
    return n;
}

// Structural cards of an extension, which a single-HDU file must not have.
bool IsExtensionCard(const std::string& card) {
    return card.starts_with("XTENSION") || card.starts_with("PCOUNT  ") || card.starts_with("GCOUNT  ");
}

} // namespace

TFitsHeaderUnit ReadFitsHeader(std::span<const uint8_t> bytes) {
    TFitsHeaderUnit unit;
    std::string keyword(kFitsKeywordSize, ' ');
    size_t p = 0;
    for (;;) {
        if (keyword == "END     ") {
            unit.Ended = true;
            break;
        }
        if (!IsFitsKeyword(keyword) || bytes.size() - p < kFitsCardSize) break;
        const std::string_view card = CardAt(bytes, p);
        keyword.assign(card.substr(0, kFitsKeywordSize));
        ReadCard(unit, keyword, card.substr(kFitsKeywordSize));
        p += kFitsCardSize;
    }
    unit.End = p;
    return unit;
}

size_t FitsHeaderLength(std::span<const uint8_t> bytes) {
    for (size_t p = 0; bytes.size() - p >= kFitsCardSize; p += kFitsCardSize) {
        const std::string_view keyword = CardAt(bytes, p).substr(0, kFitsKeywordSize);
        if (keyword == "END     " || !IsFitsKeyword(keyword))
            return (p / kFitsBlockSize + 1) * kFitsBlockSize;
    }
    return 0;
}

std::optional<uint64_t> FitsPaddedDataBytes(std::span<const uint8_t> header) {
    int64_t bitpix = 0, naxis = 0, pcount = 0, gcount = 1;
    std::vector<int64_t> axes;
    for (size_t p = 0; header.size() - p >= kFitsCardSize; p += kFitsCardSize) {
        const std::string_view card = CardAt(header, p);
        const std::string_view keyword = card.substr(0, kFitsKeywordSize);
        if (keyword == "END     " || !IsFitsKeyword(keyword)) break;
        const std::string name = TrimBlanks(keyword);
        int64_t* target = nullptr;
        if (name == "BITPIX")
            target = &bitpix;
        else if (name == "NAXIS")
            target = &naxis;
        else if (name == "PCOUNT")
            target = &pcount;
        else if (name == "GCOUNT")
            target = &gcount;
        else if (name.size() > 5 && name.starts_with("NAXIS")) {
            size_t index = 0;
            const auto [end, error] = std::from_chars(name.data() + 5, name.data() + name.size(), index);
            if (error != std::errc() || end != name.data() + name.size() || index < 1 || index > 999)
                continue;
            if (axes.size() < index) axes.resize(index, 0);
            const auto value = IntegerValue(card);
            if (!value || *value < 0) return std::nullopt;
            axes[index - 1] = *value;
            continue;
        }
        if (!target) continue;
        const auto value = IntegerValue(card);
        if (!value) return std::nullopt;
        *target = *value;
    }
    if (naxis == 0) return 0; // no data unit, whatever else the header says
    if (naxis < 0 || naxis > 999 || pcount < 0 || gcount < 0 || bitpix == 0 || bitpix % 8 != 0)
        return std::nullopt;
    if (axes.size() < size_t(naxis)) return std::nullopt;
    uint64_t values = 1;
    for (int64_t i = 0; i < naxis; ++i)
        if (__builtin_mul_overflow(values, uint64_t(axes[size_t(i)]), &values)) return std::nullopt;
    uint64_t bytes = 0;
    if (__builtin_add_overflow(values, uint64_t(pcount), &values) ||
        __builtin_mul_overflow(values, uint64_t(gcount), &values) ||
        __builtin_mul_overflow(values, uint64_t(bitpix < 0 ? -bitpix : bitpix) / 8, &bytes) ||
        bytes > (uint64_t(1) << 60))
        return std::nullopt;
    return (bytes + kFitsBlockSize - 1) / kFitsBlockSize * kFitsBlockSize;
}

bool IsImageExtension(std::span<const uint8_t> header) {
    if (header.size() < kFitsCardSize) return false;
    const std::string_view card = CardAt(header, 0);
    return card.substr(0, kFitsKeywordSize) == "XTENSION" &&
           ParseCardRest(card.substr(kFitsKeywordSize)).Value == "IMAGE";
}

TFitsHeaderUnit FindFitsImage(TFitsHduWalk& walk, bool& fromExtension) {
    fromExtension = false;
    std::span<const uint8_t> header = walk.NextHeader();
    TFitsHeaderUnit primary = ReadFitsHeader(header);
    if (!primary.Ended || primary.Header.Naxis != 0) return primary;
    std::optional<uint64_t> skip = FitsPaddedDataBytes(header);
    while (skip && walk.SkipData(*skip)) {
        header = walk.NextHeader();
        if (FitsHeaderLength(header) == 0) break;
        if (IsImageExtension(header)) {
            TFitsHeaderUnit unit = ReadFitsHeader(header);
            if (unit.Ended && unit.Header.Naxis >= 1) {
                AsSingleHduHeader(unit, primary.Header);
                fromExtension = true;
                return unit;
            }
        }
        skip = FitsPaddedDataBytes(header);
    }
    return primary;
}

void AsSingleHduHeader(TFitsHeaderUnit& unit, const TFitsHeader& primary) {
    unit.Header.Simple = primary.Simple;
    unit.Header.SimpleComment = primary.SimpleComment;
    std::erase_if(unit.OtherCards, IsExtensionCard);
}

void AdoptFitsHeader(TImageDocument& doc, TFitsHeaderUnit&& unit) {
    doc.Header = std::move(unit.Header);
    doc.HistoryLines = std::move(unit.HistoryLines);
    doc.CommentLines = std::move(unit.CommentLines);
    doc.OtherCards = std::move(unit.OtherCards);
}

TLoadResult RefuseFits(TImageDocument& doc, TDocumentHost& host, const std::string& text) {
    host.Message(TMsgKind::Warning, TButtons::Ok, text + "\nOuverture annulée");
    return RefuseLoad(doc);
}

TLoadResult RefuseColourPlanes(TImageDocument& doc, const std::string& fileName, TDocumentHost& host) {
    return RefuseFits(doc, host,
                      "Le fichier " + ExtractFileName(fileName) +
                          " ne contient pas les trois plans de son image couleur !");
}

bool AcceptFitsImage(TImageDocument& doc, bool ended, const std::string& fileName, TDocumentHost& host,
                     uint64_t maxDataBytes, int32_t planes) {
    const TFitsHeader& h = doc.Header;
    const std::string name = "Le fichier " + ExtractFileName(fileName);
    auto refuse = [&](const std::string& text) {
        RefuseFits(doc, host, text);
        return false;
    };
    if (!ended) return refuse(name + " est corrompu !");
    if (!h.Simple) {
        const TAnswer a =
            host.Message(TMsgKind::Warning, TButtons::YesNo,
                         name + " n'est pas conforme à la norme FITS !\nVoulez vous essayer de l'ouvrir ?");
        if (a != TAnswer::Yes) {
            RefuseLoad(doc);
            return false;
        }
    }
    if (h.Naxis < 1) return refuse(name + " ne contient aucune image !");
    if (h.Naxis == 1) return refuse(name + " ne contient qu'une ligne !");
    if (planes == 1 && (h.Naxis > 4 || (h.Naxis == 3 && h.Naxis3 != 1) ||
                        (h.Naxis == 4 && (h.Naxis3 != 1 || h.Naxis4 != 1))))
        return refuse(name + " contient plusieurs images !");
    const int bytesPerValue = FitsBytesPerValue(h.Bitpix);
    if (bytesPerValue == 0)
        return refuse(name + " a un type de données inconnu (BITPIX = " + std::to_string(h.Bitpix) + ") !");
    const std::string size = std::to_string(h.Naxis1) + "x" + std::to_string(h.Naxis2);
    if (h.Naxis1 < 0 || h.Naxis2 < 0)
        return refuse(name + " a des dimensions d'image incorrectes (" + size + ") !");
    if (h.Naxis1 == 0 || h.Naxis2 == 0) return refuse(name + " ne contient aucune image !");
    const uint64_t count = uint64_t(h.Naxis1) * uint64_t(h.Naxis2);
    if (count > kFitsMaxPixels || count * uint64_t(planes) * uint64_t(bytesPerValue) > maxDataBytes)
        return refuse(name + " annonce une image trop grande pour lui (" + size + ") !");
    return true;
}

void AdoptFitsImage(TImageDocument& doc, const std::string& fileName) {
    const TFitsHeader& h = doc.Header;
    doc.Kind = kKindFits;
    doc.PixelType = FitsPixelType(h.Bitpix);
    doc.FileName = fileName;
    doc.ImageWidth = h.Naxis1;
    doc.ImageHeight = h.Naxis2;
    doc.LowThreshold = h.ThreshLow;
    doc.HighThreshold = h.ThreshHigh;
}

} // namespace orv
