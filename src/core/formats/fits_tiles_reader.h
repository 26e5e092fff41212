// Tile-compressed FITS files (.fz, as fpack writes them: Rice, GZIP or HCOMPRESS tiles),
// read through CFITSIO from the bytes we read (CFITSIO never opens the file). The document is a plain FITS
// image named without ".fz", so saving it never writes over the compressed file.
#pragma once

#include "core/image/image_document.h"

#include <string>

namespace orv {

TLoadResult LoadFitsTiles(TImageDocument& doc, const std::string& fileName, TDocumentHost& host);

// The name without ".fz"; ".fit" added when what remains has no FITS extension.
std::string TilesSaveName(const std::string& fileName);

} // namespace orv
