// FITS files compressed with gzip (.fit.gz, .fits.gz, .fts.gz): the stream is inflated a
// piece at a time straight into the pixel store, so the image is never held twice. The
// sizes a header announces are checked against what the compressed file could inflate to
// before anything is allocated; a corrupt or truncated stream refuses the file.
#pragma once

#include "core/image/image_document.h"

#include <cstdint>
#include <span>
#include <string>

namespace orv {

TLoadResult LoadFitsGzip(TImageDocument& doc, const std::string& fileName, TDocumentHost& host);

// The same on the compressed bytes (fileName names the file in messages and the caption).
TLoadResult LoadFitsGzipFromBytes(TImageDocument& doc, std::span<const uint8_t> compressed,
                                  const std::string& fileName, TDocumentHost& host);

} // namespace orv
