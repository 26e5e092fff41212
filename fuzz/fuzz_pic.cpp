// PIC reader, then what a loaded document goes through: statistics, readout, saving.
#include "core/formats/pic.h"
#include "core/image/readout.h"
#include "core/image/statistics.h"
#include "fuzz_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orv::fuzz::TYesHost host;
    orv::TImageDocument doc;
    if (orv::LoadPicFromBytes(doc, std::vector<uint8_t>(data, data + size), "fuzz.pic", host) !=
        orv::TLoadResult::Loaded)
        return 0;
    orv::ComputeStatistics(doc);
    orv::PixelReadout(doc, 0, 0);
    orv::PixelReadout(doc, doc.ImageWidth - 1, doc.ImageHeight - 1);
    orv::BuildPicFile(doc);
    return 0;
}
