// Documents without raw values: a Windows bitmap file, or any picture given as a bitmap
// file image (the first image of a GIF file), shown as it is.
#pragma once

#include "core/base/errors.h"
#include "core/image/image_document.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orv {

// A file that is no valid bitmap is refused without a message; one that cannot be read throws
// EFileError.
TLoadResult LoadBmp(TImageDocument& doc, const std::string& fileName);

// The steps of LoadBmp on a bitmap file image already in memory; kind is 4 (bitmap) or 1 (GIF).
TLoadResult LoadBitmapFromBytes(TImageDocument& doc, std::vector<uint8_t> bytes, const std::string& fileName,
                                uint8_t kind);

// Writes DisplayStream as it is (the old file is replaced only once the new one is
// written); Kind becomes bitmap, FileName and caption follow.
void SaveBmp(TImageDocument& doc, const std::string& fileName);

} // namespace orv
