// FITS reader for files held in memory: the image's header (the primary one, or the first
// IMAGE extension after an empty primary) into TFitsHeader and the card lists, its 2-D image
// into PixelStore, and, for a primary image, what follows the data into TrailingBytes.
// Never reads past the bytes it is given; the sizes a header announces are checked against
// the file before anything is allocated for them.
#pragma once

#include "core/base/errors.h"
#include "core/formats/fits_card.h"
#include "core/image/image_document.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orv {

// Reads the file and decodes it; a refused file leaves the document empty. A card value that
// is not the number it should be raises EConvertError, and the document is left empty. A cube
// opens its plane `frame` (fits_cube.h).
TLoadResult LoadFits(TImageDocument& doc, const std::string& fileName, TDocumentHost& host,
                     uint32_t frame = 0);

// The same on a file already in memory (fileName names it in messages and the caption).
TLoadResult LoadFitsFromBytes(TImageDocument& doc, std::span<const uint8_t> file, const std::string& fileName,
                              TDocumentHost& host);

// The same on a buffer the reader may take over: the values are converted in place and the
// buffer becomes PixelStore, so a large image needs no second copy.
TLoadResult LoadFitsFromBuffer(TImageDocument& doc, std::vector<uint8_t>&& file, const std::string& fileName,
                               TDocumentHost& host);

} // namespace orv
