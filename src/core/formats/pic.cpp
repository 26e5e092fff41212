#include "core/formats/pic.h"

#include "core/base/bitmap.h"
#include "core/base/file_io.h"
#include "core/formats/pixel_data.h"
#include "core/image/display.h"
#include "core/text/path_text.h"
#include "core/text/rounding.h"

#include <cstring>

namespace orv {

namespace {

constexpr size_t kHeaderSize = 290;
constexpr uint8_t kPlainRows = 252;
constexpr uint8_t kCompressedRows = 251;
constexpr int16_t kTypeInt16 = 3;
constexpr int16_t kTypeReal32 = 6;

void Put16(std::array<uint8_t, kHeaderSize>& h, size_t at, uint16_t v) {
    h[at] = static_cast<uint8_t>(v);
    h[at + 1] = static_cast<uint8_t>(v >> 8);
}

TLoadResult Refuse(TImageDocument& doc, TDocumentHost& host, const std::string& message) {
    host.Message(TMsgKind::Error, TButtons::Ok, message);
    return RefuseLoad(doc);
}

} // namespace

TLoadResult LoadPicFromBytes(TImageDocument& doc, std::vector<uint8_t> bytes, const std::string& fileName,
                             TDocumentHost& host) {
    std::array<uint8_t, kHeaderSize> header{};
    ReadField(bytes, 0, header.data(), kHeaderSize); // a shorter file leaves zeros
    const uint8_t format = header[0];
    if (format != kPlainRows && format != kCompressedRows) {
        const TAnswer answer = host.Message(
            TMsgKind::Error, TButtons::YesNo,
            "Ce fichier n'est certainement pas une image PIC !\nVoulez vous essayer de l'ouvrir ?");
        if (answer != TAnswer::Yes) return RefuseLoad(doc);
    }
    const int16_t type = ReadI16(header, 74);
    const bool plain = format == kPlainRows;
    // Compressed rows only ever hold 16-bit values: they cannot fill a real image.
    if ((type != kTypeInt16 && type != kTypeReal32) || (!plain && type == kTypeReal32))
        return Refuse(doc, host, "Type de données incorrect !");
    const int32_t width = ReadU16(header, 68);
    const int32_t height = ReadU16(header, 70);
    const uint8_t pixelType = type == kTypeInt16 ? kPixelInt16 : kPixelReal32;
    const uint64_t dataBytes = uint64_t(width) * uint64_t(height) * uint64_t(BytesPerPixel(pixelType));
    const uint64_t fileData = bytes.size() > kHeaderSize ? bytes.size() - kHeaderSize : 0;
    if (!AnnouncedSizeIsSane(dataBytes, fileData)) return Refuse(doc, host, kBadImageSize);

    doc.PicHeader = header;
    doc.Kind = kKindPic;
    doc.PixelType = pixelType;
    doc.ImageWidth = width;
    doc.ImageHeight = height;
    doc.LowThreshold = ReadI16(header, 120);
    doc.HighThreshold = ReadI16(header, 118);
    doc.FileName = fileName;

    if (plain) {
        // The file buffer becomes the pixel store: no second copy of the data.
        bytes.erase(bytes.begin(),
                    bytes.begin() + static_cast<std::ptrdiff_t>(std::min(bytes.size(), kHeaderSize)));
        bytes.resize(static_cast<size_t>(dataBytes), 0);
        doc.PixelStore = std::move(bytes);
    } else {
        ResizeLargeBuffer(doc.PixelStore, static_cast<size_t>(dataBytes));
        const std::span<const uint8_t> data =
            std::span<const uint8_t>(bytes).subspan(std::min(bytes.size(), kHeaderSize));
        DecodeCompressedRows(data, width, height, doc.PixelStore.data(), TRowCoding::Pic);
    }
    ReserveLargeBuffer(doc.DisplayStream,
                       kPalettedBmpDataOffset + size_t(BitmapStride(width)) * size_t(height));
    return FinishLoad(doc);
}

TLoadResult LoadPic(TImageDocument& doc, const std::string& fileName, TDocumentHost& host) {
    return LoadPicFromBytes(doc, ReadWholeFile(fileName), fileName, host);
}

std::vector<uint8_t> BuildPicFile(TImageDocument& doc) {
    if (doc.PixelType != kPixelInt16 && doc.PixelType != kPixelReal32)
        throw EOrvanelError("Type de données incorrect !");
    auto& h = doc.PicHeader;
    Put16(h, 68, static_cast<uint16_t>(doc.ImageWidth));
    Put16(h, 70, static_cast<uint16_t>(doc.ImageHeight));
    // Thresholds beyond the 16-bit words are stored at the nearest end of their range.
    Put16(h, 118, static_cast<uint16_t>(RoundClamped(doc.HighThreshold, -32768, 32767)));
    Put16(h, 120, static_cast<uint16_t>(RoundClamped(doc.LowThreshold, -32768, 32767)));
    h[0] = kPlainRows;
    h[1] = 49;
    Put16(h, 2, kHeaderSize);
    Put16(h, 92, 1);
    if (doc.PixelType == kPixelInt16) {
        Put16(h, 72, 16);
        Put16(h, 74, kTypeInt16);
    } else {
        Put16(h, 72, 32);
        Put16(h, 74, kTypeReal32);
    }
    const size_t dataBytes = size_t(std::max(doc.ImageWidth, 0)) * size_t(std::max(doc.ImageHeight, 0)) *
                             size_t(BytesPerPixel(doc.PixelType));
    std::vector<uint8_t> file(kHeaderSize + dataBytes, 0);
    std::memcpy(file.data(), h.data(), kHeaderSize);
    const size_t stored = std::min(dataBytes, doc.PixelStore.size());
    if (stored > 0) std::memcpy(file.data() + kHeaderSize, doc.PixelStore.data(), stored);
    return file;
}

void SavePic(TImageDocument& doc, const std::string& fileName) {
    const std::string name = WithDefaultExtension(fileName, ".Pic");
    const std::vector<uint8_t> file = BuildPicFile(doc);
    WriteFileAtomically(name, file);
    doc.UpdateCaption(name, doc.ImageWidth, doc.ImageHeight);
    doc.FileName = name;
}

} // namespace orv
