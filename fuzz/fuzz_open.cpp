// libFuzzer target for opening a file by name, as the windows and the command-line tool do:
// the first byte chooses the name (every kind OpenImage reads, .gz and .fz included), the rest
// is the file. Whatever the bytes, the file is read or refused, an error being one of the
// program's own; an image read gives its readout, sky coordinates included, at its corners
// and centre, and a FITS image is written back with no string left open.
#include "core/document/open_image.h"
#include "core/formats/fits_card.h"
#include "core/formats/fits_writer.h"
#include "core/image/readout.h"
#include "fuzz_host.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

const char* const kNames[] = {"f.fit", "f.fit.gz", "f.fits.fz", "f.pic", "f.cpa",
                              "f.bmp", "f.gif",    "f.FTS",     "f.ser", "f.xisf"};

void CheckSavedHeader(const orv::TImageDocument& doc) {
    const std::vector<uint8_t> file = orv::BuildFitsFile(doc);
    for (size_t at = 0; at + orv::kFitsCardSize <= file.size(); at += orv::kFitsCardSize) {
        const std::string card(reinterpret_cast<const char*>(file.data() + at), orv::kFitsCardSize);
        if (card.starts_with("END     ")) return;
        if (orv::FitsKeptCard(card) != card) std::abort(); // a string left open
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const orv::fuzz::TScratchFolder folder;
    if (size < 1) return 0;
    const std::string name = folder.Path + "/" + kNames[data[0] % std::size(kNames)];
    std::ofstream(name, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data + 1), std::streamsize(size - 1));
    orv::fuzz::TYesHost host;
    orv::TImageDocument doc;
    try {
        if (orv::OpenImage(doc, name, host) != orv::TLoadResult::Loaded) return 0;
    } catch (const orv::EOrvanelError&) {
        return 0;
    }
    const int32_t w = doc.ImageWidth, h = doc.ImageHeight;
    for (const auto& [x, y] : {std::pair{0, 0}, {w - 1, h - 1}, {w / 2, h / 2}, {0, h - 1}})
        (void)orv::PixelReadout(doc, x, y);
    if (doc.Kind == orv::kKindFits) CheckSavedHeader(doc);
    return 0;
}
