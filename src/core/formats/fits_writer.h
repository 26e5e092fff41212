// FITS writer: a primary header from the document's header record, size, pixel type,
// thresholds and kept cards, then the big-endian data, padded to the 2880-byte grid, and
// the kept trailing bytes. Building a file changes nothing in the document: only a save
// that has written its file updates it.
#pragma once

#include "core/base/errors.h"
#include "core/image/image_document.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orv {

// The header record as saving writes it: SIMPLE true, BITPIX from the pixel type, NAXIS1
// and NAXIS2 from the image size, THRESH and THRESL from the current thresholds.
TFitsHeader FitsHeaderToWrite(const TImageDocument& doc);

// The bytes kept after the data unit as they follow the data written: when the data unit
// changes size (8-bit data written as 16-bit), the old unit's padding gives way to the new
// unit's own, so that what followed it follows the new one.
std::vector<uint8_t> TrailingBytesToWrite(const TImageDocument& doc);

// The header cards that saving would write now, 80 characters each, up to END (no blank
// padding cards).
std::vector<std::string> BuildFitsHeaderCards(const TImageDocument& doc);

// The whole file image.
std::vector<uint8_t> BuildFitsFile(const TImageDocument& doc);

// Writes the file (".Fit" appended to a name without extension), gzip-compressed when the
// name ends in ".gz" after a FITS extension. Once it is written, the
// document takes what was written (Header.Bitpix, ThreshHigh, ThreshLow, TrailingBytes),
// and FileName and caption follow; a failed save leaves the document as it was.
void SaveFits(TImageDocument& doc, const std::string& fileName);

} // namespace orv
