// CPA reader, then statistics and readout of the document it makes.
#include "core/formats/cpa.h"
#include "core/image/readout.h"
#include "core/image/statistics.h"
#include "fuzz_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orv::fuzz::TYesHost host;
    orv::TImageDocument doc;
    if (orv::LoadCpaFromBytes(doc, std::vector<uint8_t>(data, data + size), "fuzz.cpa", host) !=
        orv::TLoadResult::Loaded)
        return 0;
    orv::ComputeStatistics(doc);
    orv::PixelReadout(doc, 0, 0);
    orv::PixelReadout(doc, doc.ImageWidth - 1, doc.ImageHeight - 1);
    return 0;
}
