// PNG files of pictures (thumbnails) through libpng: 8-bit grey when every pixel is grey,
// else 8-bit RGB. Written through a temporary file like every save.
#pragma once

#include "core/base/bitmap.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orv {

// The PNG file image of the picture (8-bit with its palette, or 24-bit).
std::vector<uint8_t> EncodePng(const TBitmap& picture);

// Throws EFileError "Ne peut écrire le fichier <path>" when it cannot be written.
void SavePng(const TBitmap& picture, const std::string& path);

} // namespace orv
