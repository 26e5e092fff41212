#include "core/formats/bmp_document.h"

#include "core/base/bitmap.h"
#include "core/base/file_io.h"

#include <algorithm>
#include <cstring>

namespace orv {

TLoadResult LoadBitmapFromBytes(TImageDocument& doc, std::vector<uint8_t> bytes, const std::string& fileName,
                                uint8_t kind) {
    TBmpLayout bitmap; // the pixels are decoded by whoever shows them
    try {
        bitmap = ReadBmpLayout(bytes);
    } catch (const EOrvanelError&) {
        return RefuseLoad(doc); // an invalid bitmap is refused silently
    }
    doc.Kind = kind;
    doc.PixelType = kPixelNone;
    // The window sizes its picture from these, as from the info header.
    doc.ImageWidth = bitmap.Width;
    doc.ImageHeight = bitmap.Height;
    doc.BitmapHeader.fill(0);
    std::memcpy(doc.BitmapHeader.data(), bytes.data(), std::min(bytes.size(), doc.BitmapHeader.size()));
    doc.DisplayStream = std::move(bytes);
    doc.FileName = fileName;
    return FinishLoad(doc); // no raw values: nothing to render, the caption has no pixel type
}

TLoadResult LoadBmp(TImageDocument& doc, const std::string& fileName) {
    // A file that cannot be read is an error as for every other format; only what is no bitmap
    // is refused in silence.
    return LoadBitmapFromBytes(doc, ReadWholeFile(fileName), fileName, kKindBmp);
}

void SaveBmp(TImageDocument& doc, const std::string& fileName) {
    WriteFileAtomically(fileName, doc.DisplayStream);
    doc.Kind = kKindBmp;
    doc.FileName = fileName;
    doc.UpdateCaption(fileName, doc.ImageWidth, doc.ImageHeight);
}

} // namespace orv
