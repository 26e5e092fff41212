// FITS reader: the primary header into TFitsHeader and the card lists, the primary
// 2-D image into PixelStore, what follows the data into TrailingBytes.
// Never reads past the bytes it is given; the sizes a header announces are checked against
// the file before anything is allocated for them.
#pragma once

#include "core/base/errors.h"
#include "core/image/image_document.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

// Blanks, "-", digits, capitals and "_" only (the empty text too).
bool IsFitsKeyword(std::string_view text);

// Reads the file and decodes it; a refused file leaves the document empty. A card value that
// is not the number it should be raises EConvertError, and the document is left empty.
TLoadResult LoadFits(TImageDocument& doc, const std::string& fileName, TDocumentHost& host);

// The same on a file already in memory (fileName names it in messages and the caption).
TLoadResult LoadFitsFromBytes(TImageDocument& doc, std::span<const uint8_t> file, const std::string& fileName,
                              TDocumentHost& host);

// The same on a buffer the reader may take over: the values are converted in place and the
// buffer becomes PixelStore, so a large image needs no second copy.
TLoadResult LoadFitsFromBuffer(TImageDocument& doc, std::vector<uint8_t>&& file, const std::string& fileName,
                               TDocumentHost& host);

// Largest image accepted, in pixels (16384 x 16384).
inline constexpr uint64_t kFitsMaxPixels = uint64_t(1) << 28;

} // namespace orv
