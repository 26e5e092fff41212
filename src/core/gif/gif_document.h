// The GIF side of image documents: the first image of a GIF file as a bitmap file image,
// and a document's displayed picture written as a one-image GIF file.
#pragma once

#include "core/image/image_document.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orv {

// Reads the GIF file and returns its first image as a Windows bitmap file image
// (empty when the file holds no image). Throws the reader's errors.
std::vector<uint8_t> ReadFirstGifImageAsBmp(const std::string& fileName);

// Writes the picture the document displays as a GIF file holding one image with delay 0
// (progress through the host). FileName and caption are not changed here.
void WriteDisplayedPictureAsGif(const TImageDocument& doc, const std::string& fileName, TDocumentHost& host);

} // namespace orv
