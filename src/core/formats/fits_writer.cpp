#include "core/formats/fits_writer.h"

#include "core/base/file_io.h"
#include "core/formats/fits_card.h"
#include "core/formats/fits_data.h"
#include "core/text/path_text.h"
#include "core/text/rounding.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace orv {

namespace {

size_t PaddingAfter(uint64_t bytes) {
    return static_cast<size_t>((kFitsBlockSize - bytes % kFitsBlockSize) % kFitsBlockSize);
}

} // namespace

std::vector<std::string> BuildFitsHeaderCards(TImageDocument& doc) {
    TFitsHeader& h = doc.Header;
    std::vector<std::string> cards;
    cards.push_back(FitsLogicalCard("SIMPLE", true, h.SimpleComment));
    h.Bitpix = FitsBitpixFor(doc.PixelType);
    cards.push_back(FitsIntegerCard("BITPIX", h.Bitpix, h.BitpixComment));
    cards.push_back(FitsIntegerCard("NAXIS", h.Naxis, h.NaxisComment));
    cards.push_back(FitsIntegerCard("NAXIS1", doc.ImageWidth, h.NaxisNComment[0]));
    cards.push_back(FitsIntegerCard("NAXIS2", doc.ImageHeight, h.NaxisNComment[1]));
    if (h.Naxis3 != 0) cards.push_back(FitsIntegerCard("NAXIS3", h.Naxis3, h.NaxisNComment[2]));
    if (h.Naxis4 != 0) cards.push_back(FitsIntegerCard("NAXIS4", h.Naxis4, h.NaxisNComment[3]));
    if (h.Extend) cards.push_back(FitsLogicalCard("EXTEND", true, h.ExtendComment));

    const struct {
        const char* keyword;
        const std::string& value;
        const std::string& comment;
    } strings[] = {
        {"DATE", h.Date, h.DateComment},
        {"DATE-OBS", h.DateObs, h.DateObsComment},
        {"ORIGIN", h.Origin, h.OriginComment},
        {"TELESCOP", h.Telescop, h.TelescopComment},
        {"INSTRUME", h.Instrume, h.InstrumeComment},
        {"OBSERVER", h.Observer, h.ObserverComment},
        {"OBJECT", h.Object, h.ObjectComment},
        {"TIME_BEG", h.TimeBeg, h.TimeBegComment},
        {"TIME_EXP", h.TimeExp, h.TimeExpComment},
        {"TIME_END", h.TimeEnd, h.TimeEndComment},
        {"AUTHOR", h.Author, h.AuthorComment},
        {"REFERENC", h.Referenc, h.ReferencComment},
    };
    for (const auto& s : strings)
        if (!s.value.empty()) cards.push_back(FitsStringCard(s.keyword, s.value, s.comment));

    if (h.DataMin != 0) cards.push_back(FitsRealCard("DATAMIN", h.DataMin, h.DataMinComment));
    if (h.DataMax != 0) cards.push_back(FitsRealCard("DATAMAX", h.DataMax, h.DataMaxComment));
    if (h.BZero != 0) cards.push_back(FitsRealCard("BZERO", h.BZero, h.BZeroComment));
    if (h.BScale != 1) cards.push_back(FitsRealCard("BSCALE", h.BScale, h.BScaleComment));
    if (h.Equinox != 0) cards.push_back(FitsRealCard("EQUINOX", h.Equinox, h.EquinoxComment));

    constexpr int32_t lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
    h.ThreshHigh = RoundClamped(doc.HighThreshold, lo, hi);
    h.ThreshLow = RoundClamped(doc.LowThreshold, lo, hi);
    cards.push_back(FitsIntegerCard("THRESH", h.ThreshHigh, h.ThreshHighComment));
    cards.push_back(FitsIntegerCard("THRESL", h.ThreshLow, h.ThreshLowComment));

    for (const std::string& card : doc.OtherCards)
        cards.push_back(FitsPaddedCard(card));
    for (const std::string& line : doc.CommentLines)
        cards.push_back(FitsPaddedCard("COMMENT " + line));
    for (const std::string& line : doc.HistoryLines)
        cards.push_back(FitsPaddedCard("HISTORY " + line));
    cards.push_back(FitsPaddedCard("END"));
    return cards;
}

std::vector<uint8_t> BuildFitsFile(TImageDocument& doc) {
    const int32_t oldBitpix = doc.Header.Bitpix;
    const std::vector<std::string> cards = BuildFitsHeaderCards(doc);
    const int bytesPerValue = BytesPerPixel(doc.PixelType);
    const uint64_t count = uint64_t(std::max(doc.ImageWidth, 0)) * uint64_t(std::max(doc.ImageHeight, 0));
    const uint64_t dataBytes = count * uint64_t(bytesPerValue);

    // The kept bytes begin with the padding of the data unit read. If the data unit changes
    // size that padding no longer fits: drop it, and pad the new data unit on its own.
    const int oldBytesPerValue = FitsBytesPerValue(oldBitpix);
    if (!doc.TrailingBytes.empty() && oldBytesPerValue != 0 && oldBytesPerValue != bytesPerValue) {
        const size_t oldPadding =
            std::min(PaddingAfter(count * uint64_t(oldBytesPerValue)), doc.TrailingBytes.size());
        std::vector<uint8_t> kept(PaddingAfter(dataBytes), 0);
        kept.insert(kept.end(), doc.TrailingBytes.begin() + static_cast<ptrdiff_t>(oldPadding),
                    doc.TrailingBytes.end());
        doc.TrailingBytes = std::move(kept);
    }

    const size_t headerCards =
        (cards.size() + kFitsCardsPerBlock - 1) / kFitsCardsPerBlock * kFitsCardsPerBlock;
    const size_t headerBytes = headerCards * kFitsCardSize;
    // Kept bytes shorter than the padding (a file that ended early) are completed with zeros.
    const size_t tail = std::max(doc.TrailingBytes.size(), PaddingAfter(dataBytes));
    std::vector<uint8_t> file(headerBytes + static_cast<size_t>(dataBytes) + tail, 0);
    std::memset(file.data(), ' ', headerBytes);
    for (size_t i = 0; i < cards.size(); ++i)
        std::memcpy(file.data() + i * kFitsCardSize, cards[i].data(), kFitsCardSize);

    uint8_t* data = file.data() + headerBytes;
    const size_t stored = std::min<size_t>(static_cast<size_t>(count),
                                           bytesPerValue ? doc.PixelStore.size() / bytesPerValue : 0);
    StoreValuesToFits(doc.PixelStore.data(), stored, bytesPerValue, data);
    if (!doc.TrailingBytes.empty())
        std::memcpy(data + dataBytes, doc.TrailingBytes.data(), doc.TrailingBytes.size());
    return file;
}

void SaveFits(TImageDocument& doc, const std::string& fileName) {
    const std::string name = WithDefaultExtension(fileName, ".Fit");
    const std::vector<uint8_t> file = BuildFitsFile(doc);
    WriteFileAtomically(name, file);
    doc.UpdateCaption(name, doc.ImageWidth, doc.ImageHeight);
    doc.FileName = name;
}

} // namespace orv
