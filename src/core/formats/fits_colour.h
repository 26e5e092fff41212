// Colour in a FITS header: the three planes of an RGB cube, a colour-filter mosaic named by
// BAYERPAT (or COLORTYP) with XBAYROFF and YBAYROFF, and ROWORDER = 'TOP-DOWN', a file that
// stores its top row first. The document holds its rows bottom first whatever the file did, so
// the readers reverse such a file's rows and the writer reverses them back: the file saved is
// the file read. A card that names no pattern the program knows never becomes a guess: the
// image opens grey and the holder is told which card it was.
#pragma once

#include "core/image/image_document.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orv {

// 3 for an RGB cube (NAXIS = 3, or 4 with NAXIS4 = 1; NAXIS3 = 3; CTYPE3 absent or 'RGB'),
// else 1.
int32_t FitsColourPlanes(const TFitsHeader& header, const std::vector<std::string>& otherCards);

struct TFitsColour {
    TColourLayout Layout;
    std::string Warning; // why a mosaic's cards were not taken; empty when they were
};

// The layout the cards give an image of `height` rows and `planes` planes, the pattern's
// offsets turned to the document's bottom-first rows.
TFitsColour FitsColourOf(const std::vector<std::string>& otherCards, int32_t height, int32_t planes,
                         const std::string& fileName);

// Reverses the order of the rows of each whole plane of width x height values in place.
void ReverseRows(std::span<uint8_t> store, int32_t width, int32_t height, int bytesPerValue);

// What the readers do once PixelStore holds the values as the file stored them: the layout
// into the document, a top-first file's rows reversed, the warning (one Ok box) shown.
void AdoptFitsColour(TImageDocument& doc, TDocumentHost& host, int32_t planes);

} // namespace orv
