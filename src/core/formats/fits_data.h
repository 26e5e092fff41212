// FITS data units: big-endian file values to and from the machine-order values of
// PixelStore. Callers give buffers of the right sizes; nothing here allocates.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orv {

// Bytes per value in the file for a BITPIX (8, 16, 32, -32, -64); 0 for any other.
int FitsBytesPerValue(int32_t bitpix);

// Pixel type code stored for a BITPIX (8 and 16 both give 16-bit integers); 0 for any other.
uint8_t FitsPixelType(int32_t bitpix);

// BITPIX written for a pixel type; 0 for none.
int32_t FitsBitpixFor(uint8_t pixelType);

// count file values of the BITPIX at src into dst (count * bytes of the stored type).
// 8-bit values widen to 16 bits; the others have their bytes reversed.
void FitsValuesToStore(const uint8_t* src, size_t count, int32_t bitpix, uint8_t* dst);

// count stored values of bytesPerValue bytes at src into big-endian at dst.
void StoreValuesToFits(const uint8_t* src, size_t count, int bytesPerValue, uint8_t* dst);

} // namespace orv
