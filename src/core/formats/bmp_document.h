// Documents without raw values: a Windows bitmap file, or the first image of a GIF file,
// shown as it is.
#pragma once

#include "core/image/image_document.h"
#include "core/text/errors.h"

#include <string>

namespace orv {

TLoadResult LoadBmp(TImageDocument& doc, const std::string& fileName, TDocumentHost& host);

// Takes its picture from host.FirstGifImage(fileName).
TLoadResult LoadGif(TImageDocument& doc, const std::string& fileName, TDocumentHost& host);

// Writes DisplayStream as it is; Kind becomes bitmap, FileName and caption follow.
void SaveBmp(TImageDocument& doc, const std::string& fileName);

} // namespace orv
