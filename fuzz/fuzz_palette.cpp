// Palette files applied to a small 16-bit document.
#include "core/formats/palette_file.h"
#include "fuzz_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orv::fuzz::TYesHost host;
    orv::TImageDocument doc;
    doc.Kind = orv::kKindPic;
    doc.PixelType = orv::kPixelInt16;
    doc.ImageWidth = 3;
    doc.ImageHeight = 2;
    doc.PixelStore.assign(12, 0x40);
    doc.HighThreshold = 20000;
    orv::ApplyPaletteBytes(doc, std::span<const uint8_t>(data, size), "fuzz.pal", host);
    return 0;
}
