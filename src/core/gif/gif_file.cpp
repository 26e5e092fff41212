#include "core/gif/gif_file.h"

#include "core/gif/gif_errors.h"

#include <algorithm>

namespace orv {

TGifFile::TGifFile() {
    InitColorTable(GlobalTable, 2);
}

void TGifFile::AddSubImage(const TColorTable& table, const TByteArray2D& matrix, uint16_t delay) {
    // Descriptor sizes are 16-bit: a larger matrix would be written wrong.
    if (matrix.Cols() > 0xFFFF || matrix.Rows() > 0xFFFF)
        throw EGifException("Image trop grande pour un fichier GIF");
    auto image = std::make_unique<TGifSubImage>(uint16_t(table.Count), this);
    image->AddGraphicControl(delay);
    if (SubImages.empty()) {
        GlobalTable = table;
    } else {
        image->HasLocalTable = true;
        image->LocalTable = table;
    }
    while ((int64_t(1) << TableBits) < GlobalTable.Count)
        ++TableBits;
    image->PackFlags();
    image->Pixels = matrix.Clone();
    image->Descriptor.Width = uint16_t(matrix.Cols());
    image->Descriptor.Height = uint16_t(matrix.Rows());
    SubImages.push_back(std::move(image));
    ScreenWidth = std::max<uint16_t>(ScreenWidth, uint16_t(matrix.Cols()));
    ScreenHeight = std::max<uint16_t>(ScreenHeight, uint16_t(matrix.Rows()));
    PackFlags();
}

void TGifFile::PackFlags() {
    int resolution;
    switch (GlobalTable.Count) {
    case 2:
        resolution = 1;
        break;
    case 16:
        resolution = 4;
        break;
    case 256:
        resolution = 8;
        break;
    default:
        throw EGifException("Mauvais nombre de couleurs");
    }
    Flags = uint8_t((HasGlobalTable ? 0x80 : 0) + (resolution - 1) * 16 + (TableBits - 1));
}

void TGifFile::UnpackFlags() {
    HasGlobalTable = (Flags & 0x80) != 0;
    TableBits = uint8_t((Flags & 7) + 1);
    GlobalTable.Count = 1 << TableBits;
}

} // namespace orv
