// The in-memory form of a GIF file: header, logical screen, global colour table and the
// images in file order. Filled by the reader, or image by image by AddSubImage before writing.
#pragma once

#include "core/base/progress.h"
#include "core/gif/byte_array.h"
#include "core/gif/color_table.h"
#include "core/gif/gif_sub_image.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace orv {

class TGifFile {
  public:
    TGifFile();
    TGifFile(const TGifFile&) = delete;
    TGifFile& operator=(const TGifFile&) = delete;

    std::array<char, 3> Signature{'G', 'I', 'F'};
    std::array<char, 3> Version{'8', '9', 'a'};
    uint16_t ScreenWidth = 0;
    uint16_t ScreenHeight = 0;
    uint8_t Flags = 0;
    uint8_t BackgroundIndex = 0;
    uint8_t AspectRatio = 0;
    bool HasGlobalTable = true;
    TColorTable GlobalTable;
    uint8_t TableBits = 1;
    std::vector<std::unique_ptr<TGifSubImage>> SubImages;

    // Appends an image at the top-left corner with a graphic control extension of this
    // delay: the first image's table becomes the global table, later images carry theirs as
    // a local table. The matrix is copied. Raises the errors of TGifSubImage, EGifException
    // for a matrix wider or higher than 65535, and "Mauvais nombre de couleurs" from PackFlags
    // (the image is then already appended).
    void AddSubImage(const TColorTable& table, const TByteArray2D& matrix, uint16_t delay);

    // Flags from HasGlobalTable, the global table's count (2, 16 or 256, else EGifException
    // "Mauvais nombre de couleurs") and TableBits; and back.
    void PackFlags();
    void UnpackFlags();

    // Reading (gif_reader.cpp): the images held before are discarded; on failure the images
    // read before the failing one stay.
    void LoadFromFile(const std::string& fileName);
    void LoadFromMemory(std::span<const uint8_t> bytes);

    // Writing (gif_writer.cpp): a GIF89a file encoding every image, written through a
    // temporary file so that a failure leaves no half file. The progress label reads
    // "Compression de l'image numéro k" while image k is encoded.
    void SaveToFile(const std::string& fileName, TProgress& progress);
    void SaveToFile(const std::string& fileName);
    std::vector<uint8_t> SaveToMemory(TProgress& progress);
    std::vector<uint8_t> SaveToMemory();
};

} // namespace orv
