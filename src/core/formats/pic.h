// PIC files of the Mips software: a 290-byte header, then plain or row-compressed data.
#pragma once

#include "core/base/errors.h"
#include "core/image/image_document.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orv {

TLoadResult LoadPic(TImageDocument& doc, const std::string& fileName, TDocumentHost& host);

// LoadPic on the bytes of a file already read (fileName names the document).
TLoadResult LoadPicFromBytes(TImageDocument& doc, std::vector<uint8_t> bytes, const std::string& fileName,
                             TDocumentHost& host);

// The file image SavePic writes (always plain rows); updates PicHeader as saving does.
std::vector<uint8_t> BuildPicFile(TImageDocument& doc);

// Writes the file (".Pic" appended to a name without extension); FileName and caption follow.
void SavePic(TImageDocument& doc, const std::string& fileName);

} // namespace orv
