// A duplicated image: the document, and the file name its window takes ("Image" and a number in
// the source's folder). Nothing is written until the duplicate is saved, and saving asks nothing,
// so the name never points at a file that already exists or that another open window holds.
#pragma once

#include "core/image/image_document.h"

#include <cstdint>
#include <functional>
#include <string>

namespace orv {

// The source's folder, then "Image", then the first number from `windowCount` (the image
// windows open, the duplicate included) whose name `taken` refuses, then ".Pic" for a PIC
// source, ".Fit" for a FITS source and nothing for the other kinds.
std::string DuplicateFileName(const std::string& sourceFileName, uint8_t sourceKind, int windowCount,
                              const std::function<bool(const std::string&)>& taken);

// A copy of source named fileName that shows what the source shows: its pixels, the headers its
// kind saves, its whole display (thresholds, function, midtones balance, palette) and its bitmap.
// It is a new image: not marked modified, with no source file and no series.
TImageDocument DuplicateDocument(const TImageDocument& source, const std::string& fileName);

} // namespace orv
