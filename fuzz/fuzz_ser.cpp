// libFuzzer target for the SER reader: the header checked against the bytes, any frame read on
// demand, the trailer's times. Whatever the bytes, nothing is read out of bounds and no
// allocation follows a header alone; a file it accepts gives every frame it announces, a
// statistics run and a readout, and saves as FITS.
#include "core/formats/fits_writer.h"
#include "core/formats/ser_reader.h"
#include "core/image/frame_series.h"
#include "core/image/readout.h"
#include "core/image/statistics.h"
#include "fuzz_host.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orv::fuzz::TYesHost host;
    orv::TImageDocument doc;
    const auto source = orv::MemorySource(std::span<const uint8_t>(data, size));
    const auto count = orv::SerFrameCount(*source);
    if (orv::LoadSerFromSource(doc, source, "fuzz.ser", host, 1) != orv::TLoadResult::Loaded) {
        if (count) std::abort(); // a file counted is a file opened
        return 0;
    }
    if (!count || *count != doc.Series->Count()) std::abort();
    const uint32_t last = doc.Series->Count() - 1;
    orv::SelectFrame(doc, last);
    doc.Series->TimeOf(last);
    orv::ComputeStatistics(doc);
    orv::PixelReadout(doc, doc.ImageWidth - 1, 0);
    orv::BuildFitsFile(doc);
    return 0;
}
