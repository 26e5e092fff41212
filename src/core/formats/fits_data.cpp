#include "core/formats/fits_data.h"

#include "core/image/image_document.h"

#include <cstring>

namespace orv {

namespace {

// Reverses the bytes of each N-byte value. Written as plain loops over fixed-size values so
// that the compiler turns them into vector shuffles.
template <typename T, T (*Swap)(T)> void SwapValues(const uint8_t* src, size_t count, uint8_t* dst) {
    for (size_t i = 0; i < count; ++i) {
        T v;
        std::memcpy(&v, src + i * sizeof(T), sizeof(T));
        v = Swap(v);
        std::memcpy(dst + i * sizeof(T), &v, sizeof(T));
    }
}

uint16_t Swap16(uint16_t v) {
    return __builtin_bswap16(v);
}
uint32_t Swap32(uint32_t v) {
    return __builtin_bswap32(v);
}
uint64_t Swap64(uint64_t v) {
    return __builtin_bswap64(v);
}

} // namespace

int FitsBytesPerValue(int32_t bitpix) {
    switch (bitpix) {
    case 8:
        return 1;
    case 16:
        return 2;
    case 32:
    case -32:
        return 4;
    case -64:
        return 8;
    default:
        return 0;
    }
}

uint8_t FitsPixelType(int32_t bitpix) {
    switch (bitpix) {
    case 8:
    case 16:
        return kPixelInt16;
    case 32:
        return kPixelInt32;
    case -32:
        return kPixelReal32;
    case -64:
        return kPixelReal64;
    default:
        return kPixelNone;
    }
}

int32_t FitsBitpixFor(uint8_t pixelType) {
    switch (pixelType) {
    case kPixelInt16:
        return 16;
    case kPixelInt32:
        return 32;
    case kPixelReal32:
        return -32;
    case kPixelReal64:
        return -64;
    default:
        return 0;
    }
}

void FitsValuesToStore(const uint8_t* src, size_t count, int32_t bitpix, uint8_t* dst) {
    const int bytes = FitsBytesPerValue(bitpix);
    if (bytes == 1) {
        for (size_t i = 0; i < count; ++i) {
            dst[2 * i] = src[i];
            dst[2 * i + 1] = 0;
        }
        return;
    }
    StoreValuesToFits(src, count, bytes, dst); // reversing the bytes goes both ways
}

void StoreValuesToFits(const uint8_t* src, size_t count, int bytesPerValue, uint8_t* dst) {
    switch (bytesPerValue) {
    case 2:
        SwapValues<uint16_t, Swap16>(src, count, dst);
        break;
    case 4:
        SwapValues<uint32_t, Swap32>(src, count, dst);
        break;
    case 8:
        SwapValues<uint64_t, Swap64>(src, count, dst);
        break;
    default:
        break;
    }
}

} // namespace orv
