// One image of a GIF file: its descriptor, optional local colour table, the extensions that
// precede it, its matrix of colour indices and its compressed data.
#pragma once

#include "core/base/bitmap.h"
#include "core/base/progress.h"
#include "core/gif/byte_array.h"
#include "core/gif/byte_buffer.h"
#include "core/gif/color_table.h"
#include "core/gif/extension.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace orv {

class TGifFile;

// The nine bytes after the image separator, little-endian in the file.
struct TImageDescriptor {
    uint16_t Left = 0;
    uint16_t Top = 0;
    uint16_t Width = 0;
    uint16_t Height = 0;
    uint8_t Flags = 0;
};

class TGifSubImage {
  public:
    // colorCount 2, 4, 8, 16, 32, 64, 128 or 256, else EGifException
    // "Le nombre de couleurs doit être 2, 4, 8, 16 or 256".
    TGifSubImage(uint16_t colorCount, TGifFile* owner);

    TGifFile* Owner;                       // not owned
    std::unique_ptr<TBitmap> CachedBitmap; // built by GetBitmap on first request
    uint8_t CodeSize;                      // LZW minimum code size
    TByteBuffer Data;                      // compressed image data
    TImageDescriptor Descriptor;
    bool Interlaced = false;
    bool HasLocalTable = false;
    std::vector<TExtension> Extensions;
    uint8_t BitsPerPixel;
    TByteArray2D Pixels; // Width x Height colour indices
    TColorTable LocalTable;

    // Descriptor.Flags from HasLocalTable, Interlaced and BitsPerPixel, and back.
    void PackFlags();
    void UnpackFlags();

    // Appends a graphic control extension with this delay, no flags, no transparency.
    void AddGraphicControl(uint16_t delay);
    // The delay of the last graphic control extension; 0 when there is none.
    uint16_t GetDelay() const;

    // The picture as an 8-bit bitmap: the whole 256-entry table in use (local, else the
    // owner's global one) and the matrix rows. Built once, then kept.
    const TBitmap& GetBitmap();

    // Data := Pixels compressed (interlaced row order when Interlaced), with CodeSize.
    void Encode(const TProgress& progress = TProgress());
    // Pixels (already Width x Height) := Data decoded.
    void Decode();
};

} // namespace orv
