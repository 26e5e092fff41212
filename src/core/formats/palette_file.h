// Palette files ("*.Pal"): an 18-byte header beginning with "PAL", then 256 entries of
// red, green, blue and one unused byte. Applying one colours a document's display levels.
#pragma once

#include "core/image/image_document.h"

#include <cstdint>
#include <span>
#include <string>

namespace orv {

// Applies the palette file to the document as the palette tool does: PaletteHeader takes
// the file's first 18 bytes, then either the entries replace Palette and the document is
// rendered, or the warning box refuses the file; the host shows the picture in both cases.
// Nothing happens for a bitmap document. A file that cannot be read throws EFileError
// "Ne peut ouvrir le fichier <path>" and changes nothing. Returns whether the palette was applied.
bool ApplyPaletteFile(TImageDocument& doc, const std::string& path, TDocumentHost& host);

// The same on the file's bytes; fileName is what the warning names.
bool ApplyPaletteBytes(TImageDocument& doc, std::span<const uint8_t> bytes, const std::string& fileName,
                       TDocumentHost& host);

} // namespace orv
