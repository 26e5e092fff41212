// FITS header units: the cards of one header read into the document's header record and
// card lists, the size of an HDU's data unit, finding the image (the primary one, or the
// first IMAGE extension after an empty primary), and the checks an image must pass before
// anything is allocated for it. Shared by the plain, gzip and tile-compressed readers.
// Never reads past the bytes it is given.
#pragma once

#include "core/image/image_document.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orv {

// The header cards of one HDU, as the reader keeps them.
struct TFitsHeaderUnit {
    TFitsHeader Header;
    std::vector<std::string> HistoryLines, CommentLines, OtherCards;
    size_t End = 0;     // bytes read, up to and including the last card read
    bool Ended = false; // the END card was reached
};

// Cards from the start of the bytes until END, a keyword that is not one, or fewer than 80
// bytes left. A card value that is not the number it should be raises EConvertError.
TFitsHeaderUnit ReadFitsHeader(std::span<const uint8_t> bytes);

// Bytes up to the end of the 2880-byte block that holds the END card or the first card whose
// keyword is not one: what a reader streaming the file must have before ReadFitsHeader. 0 when
// the bytes hold no such card yet.
size_t FitsHeaderLength(std::span<const uint8_t> bytes);

// Bytes of the data unit that follows a header, padding to 2880 included: |BITPIX| / 8 x
// GCOUNT x (PCOUNT + NAXIS1 x ... x NAXISn). Nothing when the header's sizes are unreadable or
// beyond any file.
std::optional<uint64_t> FitsPaddedDataBytes(std::span<const uint8_t> header);

// XTENSION = 'IMAGE   ' as the first card.
bool IsImageExtension(std::span<const uint8_t> header);

// What a reader walks through to find the image: the header of each HDU in turn, and the
// data units it passes over.
class TFitsHduWalk {
  public:
    virtual ~TFitsHduWalk() = default;
    // The next HDU's header bytes (at least FitsHeaderLength of them when the file has them),
    // empty at the end of the file.
    virtual std::span<const uint8_t> NextHeader() = 0;
    // Passes over the data unit of the HDU whose header was given last; false at the end.
    virtual bool SkipData(uint64_t paddedBytes) = 0;
};

// The image's header unit: the primary one, unless the primary has NAXIS = 0 and an IMAGE
// extension follows (BINTABLE and other extensions are passed over). An extension's header
// takes the primary's SIMPLE, and loses XTENSION, PCOUNT and GCOUNT, which a single-HDU file
// does not have. `fromExtension` says which it was.
TFitsHeaderUnit FindFitsImage(TFitsHduWalk& walk, bool& fromExtension);

// An extension's header as the header of a file of one HDU: SIMPLE is the primary's, and
// XTENSION, PCOUNT and GCOUNT are dropped.
void AsSingleHduHeader(TFitsHeaderUnit& unit, const TFitsHeader& primary);

// The header unit into the document's header record and card lists.
void AdoptFitsHeader(TImageDocument& doc, TFitsHeaderUnit&& unit);

// The checks of an image about to be read, in order: END reached, SIMPLE (a question), the
// axes, BITPIX, the sizes, and at most maxDataBytes of data (what the file could hold). A
// refusal shows its message and empties the document (false). A reader that reads the three
// planes of a colour image gives their count (FitsColourPlanes) as `planes`.
bool AcceptFitsImage(TImageDocument& doc, bool ended, const std::string& fileName, TDocumentHost& host,
                     uint64_t maxDataBytes, int32_t planes = 1);

// The document takes the image's kind, type, size and thresholds.
void AdoptFitsImage(TImageDocument& doc, const std::string& fileName);

// A refusal with its message ("...\nOuverture annulée").
TLoadResult RefuseFits(TImageDocument& doc, TDocumentHost& host, const std::string& text);

// The refusal of a colour image whose file does not hold its three planes.
TLoadResult RefuseColourPlanes(TImageDocument& doc, const std::string& fileName, TDocumentHost& host);

// Largest image accepted, in pixels.
inline constexpr uint64_t kFitsMaxPixels = uint64_t(1) << 31;

} // namespace orv
