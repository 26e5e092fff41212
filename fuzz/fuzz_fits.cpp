// libFuzzer target for the FITS reader. Whatever the bytes, the reader must not read out of
// bounds, crash or leak; an image it accepts must be written and read back again, and a colour
// image's pictures made by every debayering.
#include "core/formats/fits_reader.h"
#include "core/formats/fits_writer.h"
#include "core/image/colour_picture.h"
#include "core/image/debayer.h"
#include "core/image/display_settings.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

struct TYesHost : orv::TDocumentHost {
    orv::TAnswer Message(orv::TMsgKind, orv::TButtons buttons, const std::string&) override {
        return buttons == orv::TButtons::Ok ? orv::TAnswer::Ok : orv::TAnswer::Yes;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TYesHost host;
    orv::TImageDocument doc;
    try {
        if (orv::LoadFitsFromBytes(doc, std::span<const uint8_t>(data, size), "fuzz.fit", host) !=
            orv::TLoadResult::Loaded)
            return 0;
    } catch (const orv::EOrvanelError&) {
        return 0; // a bad number in a card
    }
    // Reading from a buffer the reader takes over gives the same document.
    orv::TImageDocument taken;
    if (orv::LoadFitsFromBuffer(taken, std::vector<uint8_t>(data, data + size), "fuzz.fit", host) !=
            orv::TLoadResult::Loaded ||
        taken.PixelStore != doc.PixelStore || taken.TrailingBytes != doc.TrailingBytes)
        std::abort();
    const std::vector<uint8_t> written = orv::BuildFitsFile(doc);
    if (written.size() % 2880 != 0 && doc.TrailingBytes.empty()) std::abort();
    orv::TImageDocument again;
    if (orv::LoadFitsFromBytes(again, written, "again.fit", host) != orv::TLoadResult::Loaded) std::abort();
    if (again.PixelStore != doc.PixelStore || again.Colour != doc.Colour) std::abort();
    for (const orv::TDebayer method : {orv::TDebayer::Bilinear, orv::TDebayer::Superpixel}) {
        const auto planes = orv::ColourPlanesOf(doc, method);
        if (planes.has_value() != doc.Colour.IsColour()) std::abort();
        if (!planes) continue;
        const orv::TBitmap picture = orv::ColourPicture(doc, *planes);
        // A 16-bit mosaic's picture made straight from the mosaic is the one made from its planes.
        const orv::TDisplaySettings shown = orv::DisplaySettingsOf(doc);
        const std::array<orv::TDisplaySettings, 3> channels{shown, shown, shown};
        if (const auto straight = orv::MosaicPicture(doc, method, channels))
            if (*straight != orv::ColourPicture(*planes, channels)) std::abort();
        const orv::TSize size = orv::ColourPictureSize(doc, method);
        if (picture.Width != size.Width || picture.Height != size.Height) std::abort();
        if (size.Width > 0 && size.Height > 0) orv::ColourPixel(doc, method, size.Width - 1, size.Height - 1);
    }
    return 0;
}
