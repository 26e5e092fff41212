#include "core/formats/fits_reader.h"

#include "core/base/file_io.h"
#include "core/formats/fits_card.h"
#include "core/formats/fits_data.h"
#include "core/formats/fits_keywords.h"
#include "core/text/path_text.h"

#include <algorithm>

namespace orv {

namespace {

// A data unit may be shorter than announced (it is completed with zeros), but not by so
// much that a few header bytes could make us allocate gigabytes.
constexpr uint64_t kFitsShortDataAllowance = uint64_t(64) << 20;

void ReadCard(TImageDocument& doc, const std::string& keyword, std::string_view rest) {
    if (keyword == "COMMENT ") {
        doc.CommentLines.emplace_back(rest);
        return;
    }
    if (keyword == "HISTORY ") {
        doc.HistoryLines.emplace_back(rest);
        return;
    }
    if (keyword == "END     ") return;
    const TFitsKeyword* row = FindFitsKeyword(keyword);
    if (row && ReadFitsKeyword(*row, ParseCardRest(rest), doc.Header)) return;
    doc.OtherCards.push_back(keyword + std::string(rest));
}

bool AllBlanks(std::span<const uint8_t> bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == ' '; });
}

TLoadResult Refuse(TImageDocument& doc, TDocumentHost& host, const std::string& text) {
    host.Message(TMsgKind::Warning, TButtons::Ok, text + "\nOuverture annulée");
    return RefuseLoad(doc, host);
}

// Converts the values in place when the file buffer is ours to take: the store then needs
// no buffer of its own. Chunks no longer than the header keep source and target apart.
std::vector<uint8_t> StoreInPlace(std::vector<uint8_t>&& buffer, size_t dataStart, size_t present,
                                  int32_t bitpix, size_t storeBytes) {
    const size_t bytesPerValue = size_t(FitsBytesPerValue(bitpix));
    const size_t presentBytes = present * bytesPerValue;
    uint8_t* base = buffer.data();
    for (size_t done = 0; done < presentBytes; done += kFitsBlockSize) {
        const size_t n = std::min(kFitsBlockSize, presentBytes - done);
        FitsValuesToStore(base + dataStart + done, n / bytesPerValue, bitpix, base + done);
    }
    // What the file did not hold is 0, not what was left of the file in the buffer.
    std::fill(base + presentBytes, base + std::min(storeBytes, buffer.size()), 0);
    buffer.resize(storeBytes, 0);
    // Do not keep much more memory than the store needs (a file with a large unit after the image).
    if (buffer.capacity() - storeBytes > storeBytes / 4 + (size_t(1) << 20)) buffer.shrink_to_fit();
    return std::move(buffer);
}

TLoadResult Decode(TImageDocument& doc, std::span<const uint8_t> file, const std::string& fileName,
                   TDocumentHost& host, std::vector<uint8_t>* owned) {
    const size_t size = file.size();
    doc.Header.ClearHeader();
    doc.HistoryLines.clear();
    doc.CommentLines.clear();
    doc.OtherCards.clear();

    // The header: cards until END, a keyword we cannot read, or the end of the bytes.
    std::string keyword(kFitsKeywordSize, ' ');
    size_t p = 0;
    bool ended = false;
    for (;;) {
        if (keyword == "END     ") {
            ended = true;
            break;
        }
        if (!IsFitsKeyword(keyword) || size - p < kFitsCardSize) break;
        const char* card = reinterpret_cast<const char*>(file.data() + p);
        keyword.assign(card, kFitsKeywordSize);
        ReadCard(doc, keyword, std::string_view(card + kFitsKeywordSize, kFitsCardSize - kFitsKeywordSize));
        p += kFitsCardSize;
    }

    const TFitsHeader& h = doc.Header;
    const std::string name = "Le fichier " + ExtractFileName(fileName);
    if (!ended) return Refuse(doc, host, name + " est corrompu !");
    if (!h.Simple) {
        const TAnswer a =
            host.Message(TMsgKind::Warning, TButtons::YesNo,
                         name + " n'est pas conforme à la norme FITS !\nVoulez vous essayer de l'ouvrir ?");
        if (a != TAnswer::Yes) return RefuseLoad(doc, host);
    }
    if (h.Naxis < 1) return Refuse(doc, host, name + " ne contient aucune image !");
    if (h.Naxis == 1) return Refuse(doc, host, name + " ne contient qu'une ligne !");
    if (h.Naxis > 4 || (h.Naxis == 3 && h.Naxis3 != 1) || (h.Naxis == 4 && (h.Naxis3 != 1 || h.Naxis4 != 1)))
        return Refuse(doc, host, name + " contient plusieurs images !");
    const int bytesPerValue = FitsBytesPerValue(h.Bitpix);
    if (bytesPerValue == 0)
        return Refuse(doc, host,
                      name + " a un type de données inconnu (BITPIX = " + std::to_string(h.Bitpix) + ") !");
    if (h.Naxis1 < 0 || h.Naxis2 < 0)
        return Refuse(doc, host,
                      name + " a des dimensions d'image incorrectes (" + std::to_string(h.Naxis1) + "x" +
                          std::to_string(h.Naxis2) + ") !");
    if (h.Naxis1 == 0 || h.Naxis2 == 0) return Refuse(doc, host, name + " ne contient aucune image !");
    const uint64_t count = uint64_t(h.Naxis1) * uint64_t(h.Naxis2);
    const uint64_t dataBytes = count * uint64_t(bytesPerValue);
    if (count > kFitsMaxPixels || dataBytes > 2 * uint64_t(size) + kFitsShortDataAllowance)
        return Refuse(doc, host,
                      name + " annonce une image trop grande pour lui (" + std::to_string(h.Naxis1) + "x" +
                          std::to_string(h.Naxis2) + ") !");

    // The data start on the block after END. A whole block of blanks right after an END
    // that closes a block is skipped when the data still fit after it: older files have it.
    uint64_t dataStart = (p + kFitsBlockSize - 1) / kFitsBlockSize * kFitsBlockSize;
    if (p % kFitsBlockSize == 0 && uint64_t(size) >= p + kFitsBlockSize + dataBytes &&
        AllBlanks(file.subspan(p, kFitsBlockSize)))
        dataStart += kFitsBlockSize;

    doc.Kind = kKindFits;
    doc.PixelType = FitsPixelType(h.Bitpix);
    doc.FileName = fileName;
    doc.ImageWidth = h.Naxis1;
    doc.ImageHeight = h.Naxis2;
    doc.LowThreshold = h.ThreshLow;
    doc.HighThreshold = h.ThreshHigh;
    AnnounceLoad(doc, host);

    // Values past the end of a short file stay 0.
    const size_t storeBytes = static_cast<size_t>(count) * static_cast<size_t>(BytesPerPixel(doc.PixelType));
    const uint64_t available = dataStart < size ? size - dataStart : 0;
    const size_t present =
        static_cast<size_t>(std::min<uint64_t>(count, available / uint64_t(bytesPerValue)));
    doc.TrailingBytes.clear();
    const uint64_t dataEnd = dataStart + dataBytes;
    if (dataEnd < size) doc.TrailingBytes.assign(file.begin() + static_cast<ptrdiff_t>(dataEnd), file.end());

    doc.PixelStore.clear();
    if (owned && present > 0 && bytesPerValue == BytesPerPixel(doc.PixelType)) {
        doc.PixelStore =
            StoreInPlace(std::move(*owned), static_cast<size_t>(dataStart), present, h.Bitpix, storeBytes);
    } else {
        doc.PixelStore.resize(storeBytes);
        if (present > 0) FitsValuesToStore(file.data() + dataStart, present, h.Bitpix, doc.PixelStore.data());
    }
    return FinishLoad(doc, host);
}

} // namespace

bool IsFitsKeyword(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        return c == ' ' || c == '-' || c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z');
    });
}

namespace {

TLoadResult DecodeOrClear(TImageDocument& doc, std::span<const uint8_t> file, const std::string& fileName,
                          TDocumentHost& host, std::vector<uint8_t>* owned) {
    try {
        return Decode(doc, file, fileName, host, owned);
    } catch (...) {
        doc.Clear(); // a bad card value leaves the window open and empty
        throw;
    }
}

} // namespace

TLoadResult LoadFitsFromBytes(TImageDocument& doc, std::span<const uint8_t> file, const std::string& fileName,
                              TDocumentHost& host) {
    return DecodeOrClear(doc, file, fileName, host, nullptr);
}

TLoadResult LoadFitsFromBuffer(TImageDocument& doc, std::vector<uint8_t>&& file, const std::string& fileName,
                               TDocumentHost& host) {
    std::vector<uint8_t> owned = std::move(file);
    const std::span<const uint8_t> bytes(owned);
    return DecodeOrClear(doc, bytes, fileName, host, &owned);
}

TLoadResult LoadFits(TImageDocument& doc, const std::string& fileName, TDocumentHost& host) {
    return LoadFitsFromBuffer(doc, ReadWholeFile(fileName), fileName, host);
}

} // namespace orv
