// FITS writer: a primary header from the document's header record, size, pixel type,
// thresholds and kept cards, then the big-endian data, padded to the 2880-byte grid, and
// the kept trailing bytes.
#pragma once

#include "core/base/errors.h"
#include "core/image/image_document.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orv {

// The header cards that saving would write now, 80 characters each, up to END (no
// blank padding cards). Sets Header.Bitpix, ThreshHigh and ThreshLow as saving does.
std::vector<std::string> BuildFitsHeaderCards(TImageDocument& doc);

// The whole file image. When the data unit changes size (8-bit data written as 16-bit),
// TrailingBytes loses the old data unit's padding so that what followed it follows the new one.
std::vector<uint8_t> BuildFitsFile(TImageDocument& doc);

// Writes the file (".Fit" appended to a name without extension); FileName and caption follow.
void SaveFits(TImageDocument& doc, const std::string& fileName);

} // namespace orv
