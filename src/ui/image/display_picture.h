// The picture Qt paints for a document: its display bitmap (a Windows bitmap file image)
// as a 32-bit QImage, top row first, built once each time the document is shown.
#pragma once

#include "core/base/bitmap.h"

#include <QImage>

#include <cstdint>
#include <vector>

namespace orv::ui {

// A null image when the stream holds no valid bitmap.
QImage DisplayPicture(const std::vector<uint8_t>& stream);

// A 24-bit picture (a colour image's) as it is, top row first.
QImage TrueColourPicture(const TBitmap& bitmap);

} // namespace orv::ui
