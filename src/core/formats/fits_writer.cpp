#include "core/formats/fits_writer.h"

#include "core/base/file_io.h"
#include "core/formats/fits_card.h"
#include "core/formats/fits_data.h"
#include "core/formats/fits_keywords.h"
#include "core/formats/gzip_stream.h"
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

// Every plane's values.
uint64_t PixelCount(const TImageDocument& doc) {
    return uint64_t(std::max(doc.ImageWidth, 0)) * uint64_t(std::max(doc.ImageHeight, 0)) *
           uint64_t(std::max(doc.Colour.Planes, 1));
}

std::vector<std::string> HeaderCards(const TImageDocument& doc, const TFitsHeader& header) {
    std::vector<std::string> cards;
    for (const TFitsKeyword& row : FitsKeywords())
        if (std::optional<std::string> card = FitsKeywordCard(row, header)) cards.push_back(std::move(*card));
    for (const std::string& card : doc.OtherCards)
        cards.push_back(FitsKeptCard(card));
    for (const std::string& line : doc.CommentLines)
        cards.push_back(FitsPaddedCard("COMMENT " + line));
    for (const std::string& line : doc.HistoryLines)
        cards.push_back(FitsPaddedCard("HISTORY " + line));
    cards.push_back(FitsPaddedCard("END"));
    return cards;
}

std::vector<uint8_t> FileImage(const TImageDocument& doc, const TFitsHeader& header,
                               const std::vector<uint8_t>& trailing) {
    const std::vector<std::string> cards = HeaderCards(doc, header);
    const int bytesPerValue = BytesPerPixel(doc.PixelType);
    const uint64_t count = PixelCount(doc);
    const uint64_t dataBytes = count * uint64_t(bytesPerValue);

    const size_t headerCards =
        (cards.size() + kFitsCardsPerBlock - 1) / kFitsCardsPerBlock * kFitsCardsPerBlock;
    const size_t headerBytes = headerCards * kFitsCardSize;
    // Kept bytes shorter than the padding (a file that ended early) are completed with zeros.
    const size_t tail = std::max(trailing.size(), PaddingAfter(dataBytes));
    std::vector<uint8_t> file(headerBytes + static_cast<size_t>(dataBytes) + tail, 0);
    std::memset(file.data(), ' ', headerBytes);
    for (size_t i = 0; i < cards.size(); ++i)
        std::memcpy(file.data() + i * kFitsCardSize, cards[i].data(), kFitsCardSize);

    uint8_t* data = file.data() + headerBytes;
    const size_t stored = std::min<size_t>(static_cast<size_t>(count),
                                           bytesPerValue ? doc.PixelStore.size() / bytesPerValue : 0);
    if (!doc.Colour.TopDown || doc.ImageWidth <= 0) {
        StoreValuesToFits(doc.PixelStore.data(), stored, bytesPerValue, data);
    } else {
        // The file stores its top row first, as it was read.
        const size_t width = size_t(doc.ImageWidth), height = size_t(std::max(doc.ImageHeight, 1));
        for (size_t row = 0; row * width < stored; ++row) {
            const size_t plane = row / height, from = plane * height + (height - 1 - row % height);
            const size_t n = std::min(width, stored - row * width);
            if (from * width + n <= stored)
                StoreValuesToFits(doc.PixelStore.data() + from * width * size_t(bytesPerValue), n,
                                  bytesPerValue, data + row * width * size_t(bytesPerValue));
        }
    }
    if (!trailing.empty()) std::memcpy(data + dataBytes, trailing.data(), trailing.size());
    return file;
}

} // namespace

TFitsHeader FitsHeaderToWrite(const TImageDocument& doc) {
    TFitsHeader h = doc.Header;
    h.Simple = true;
    h.Bitpix = FitsBitpixFor(doc.PixelType);
    h.Naxis1 = doc.ImageWidth;
    h.Naxis2 = doc.ImageHeight;
    constexpr int32_t lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
    h.ThreshHigh = RoundClamped(doc.HighThreshold, lo, hi);
    h.ThreshLow = RoundClamped(doc.LowThreshold, lo, hi);
    return h;
}

std::vector<uint8_t> TrailingBytesToWrite(const TImageDocument& doc) {
    // The kept bytes begin with the padding of the data unit read. If the data unit changes
    // size that padding no longer fits: drop it, and pad the new data unit on its own.
    const int bytesPerValue = BytesPerPixel(doc.PixelType);
    const int oldBytesPerValue = FitsBytesPerValue(doc.Header.Bitpix);
    if (doc.TrailingBytes.empty() || oldBytesPerValue == 0 || oldBytesPerValue == bytesPerValue)
        return doc.TrailingBytes;
    const uint64_t count = PixelCount(doc);
    const size_t oldPadding =
        std::min(PaddingAfter(count * uint64_t(oldBytesPerValue)), doc.TrailingBytes.size());
    std::vector<uint8_t> kept(PaddingAfter(count * uint64_t(bytesPerValue)), 0);
    kept.insert(kept.end(), doc.TrailingBytes.begin() + static_cast<ptrdiff_t>(oldPadding),
                doc.TrailingBytes.end());
    return kept;
}

std::vector<std::string> BuildFitsHeaderCards(const TImageDocument& doc) {
    return HeaderCards(doc, FitsHeaderToWrite(doc));
}

std::vector<uint8_t> BuildFitsFile(const TImageDocument& doc) {
    return FileImage(doc, FitsHeaderToWrite(doc), TrailingBytesToWrite(doc));
}

void SaveFits(TImageDocument& doc, const std::string& fileName) {
    const std::string name = WithDefaultExtension(fileName, ".Fit");
    const TFitsHeader written = FitsHeaderToWrite(doc);
    std::vector<uint8_t> trailing = TrailingBytesToWrite(doc);
    std::vector<uint8_t> file = FileImage(doc, written, trailing);
    if (IsGzipFitsName(name)) file = GzipCompress(file);
    WriteFileAtomically(name, file);
    doc.Header.Bitpix = written.Bitpix;
    doc.Header.ThreshHigh = written.ThreshHigh;
    doc.Header.ThreshLow = written.ThreshLow;
    doc.TrailingBytes = std::move(trailing);
    doc.UpdateCaption(name, doc.ImageWidth, doc.ImageHeight);
    doc.FileName = name;
}

} // namespace orv
