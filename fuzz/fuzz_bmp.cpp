// Windows bitmap files opened as bitmap documents.
#include "core/formats/bmp_document.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orv::TImageDocument doc;
    orv::LoadBitmapFromBytes(doc, std::vector<uint8_t>(data, data + size), "fuzz.bmp", orv::kKindBmp);
    return 0;
}
