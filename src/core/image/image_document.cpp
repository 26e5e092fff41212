#include "core/image/image_document.h"

#include "core/image/display.h"
#include "core/image/sky_coordinates.h"
#include "core/text/path_text.h"

namespace orv {

int BytesPerPixel(uint8_t pixelType) {
    switch (pixelType) {
    case kPixelInt16:
        return 2;
    case kPixelInt32:
        return 4;
    case kPixelReal32:
        return 4;
    case kPixelReal64:
        return 8;
    default:
        return 0;
    }
}

TImageDocument::TImageDocument() {
    InitGreyPalette(*this);
}

const std::string& TImageDocument::UpdateCaption(const std::string& fileName, int32_t width, int32_t height) {
    std::string type;
    switch (PixelType) {
    case kPixelInt16:
        type = "Entier 16 bits";
        break;
    case kPixelInt32:
        type = "Entier 32 bits";
        break;
    case kPixelReal32:
        type = "Réel 32 bits";
        break;
    case kPixelReal64:
        type = "Réel 64 bits";
        break;
    default:
        break;
    }
    Caption = "Image : " + ExtractFileName(fileName) + " (" + std::to_string(width) + "x" +
              std::to_string(height) + ") " + type;
    return Caption;
}

void TImageDocument::Clear() {
    TImageDocument fresh;
    *this = fresh;
}

TLoadResult FinishLoad(TImageDocument& doc) {
    doc.Sky = doc.Kind == kKindFits ? SkyCoordinatesOf(doc) : nullptr;
    Render(doc);
    doc.UpdateCaption(doc.FileName, doc.ImageWidth, doc.ImageHeight);
    return TLoadResult::Loaded;
}

TLoadResult RefuseLoad(TImageDocument& doc) {
    doc.Clear();
    return TLoadResult::Refused;
}

} // namespace orv
