// FITS reader: the primary header into TFitsHeader and the card lists, the primary
// 2-D image into PixelStore, what follows the data into TrailingBytes.
#pragma once

#include "core/image/image_document.h"
#include "core/text/errors.h"

#include <string>
#include <string_view>

namespace orv {

// Blanks, "-", digits, capitals and "_" only (the empty text too).
bool IsFitsKeyword(std::string_view text);

TLoadResult LoadFits(TImageDocument& doc, const std::string& fileName, TDocumentHost& host);

} // namespace orv
