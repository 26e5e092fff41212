// libFuzzer target for gzip-compressed FITS files. Whatever the bytes, the reader must not read
// out of bounds, crash or leak; a corrupt stream is refused, and an image it accepts gives the
// same document as the plain reader given the inflated bytes.
#include "core/formats/fits_gzip_reader.h"
#include "core/formats/fits_reader.h"
#include "core/formats/gzip_stream.h"
#include "fuzz_host.h"

#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orv::fuzz::TYesHost host;
    orv::TImageDocument doc;
    const std::span<const uint8_t> bytes(data, size);
    try {
        if (orv::LoadFitsGzipFromBytes(doc, bytes, "fuzz.fit.gz", host) != orv::TLoadResult::Loaded) return 0;
    } catch (const orv::EOrvanelError&) {
        return 0; // a bad number in a card
    }
    if (doc.Kind != orv::kKindFits) std::abort();
    // The whole stream inflated at once, read by the plain reader: the same pixels. The reader
    // stops once it has the image, so a stream cut after the data is accepted although inflating
    // it whole fails: nothing to compare then.
    std::vector<uint8_t> inflated(std::min<uint64_t>(orv::MaxInflatedBytes(size), uint64_t(256) << 20));
    try {
        inflated.resize(orv::TGzipInflater(bytes).Read(inflated.data(), inflated.size()));
    } catch (const orv::EGzipError&) {
        return 0;
    }
    // Where the stream's recorded size is not the whole size (members one after the other), an
    // old blank block after the header may be judged otherwise; and the plain reader allows
    // less missing data: compare only where both judge alike.
    const uint8_t* end = data + size - 4;
    const uint32_t recorded =
        uint32_t(end[0]) | uint32_t(end[1]) << 8 | uint32_t(end[2]) << 16 | uint32_t(end[3]) << 24;
    orv::TImageDocument plain;
    if (recorded == uint32_t(inflated.size()) &&
        orv::LoadFitsFromBytes(plain, inflated, "fuzz.fit", host) == orv::TLoadResult::Loaded &&
        plain.PixelStore != doc.PixelStore)
        std::abort();
    return 0;
}
