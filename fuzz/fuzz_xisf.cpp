// libFuzzer target for the XISF reader: the preamble, the XML header, the image element's
// attributes and its block, stored or compressed (zlib, lz4, zstd) and shuffled. Whatever the
// bytes, nothing is read out of bounds, no codec is handed unchecked sizes and no allocation
// follows a header alone; an image it accepts gives statistics and saves as FITS.
#include "core/formats/fits_writer.h"
#include "core/formats/xisf_reader.h"
#include "core/image/statistics.h"
#include "fuzz_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orv::fuzz::TYesHost host;
    orv::TImageDocument doc;
    const auto source = orv::MemorySource(std::span<const uint8_t>(data, size));
    try {
        if (orv::LoadXisfFromSource(doc, *source, "fuzz.xisf", host) != orv::TLoadResult::Loaded) return 0;
    } catch (const orv::EConvertError&) {
        return 0; // a keyword value that is not its number, as in a FITS card
    }
    orv::ComputeStatistics(doc);
    orv::BuildFitsFile(doc);
    return 0;
}
