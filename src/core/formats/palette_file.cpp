#include "core/formats/palette_file.h"

#include "core/base/file_io.h"
#include "core/image/display.h"
#include "core/text/path_text.h"

#include <algorithm>
#include <cstring>

namespace orv {

namespace {
constexpr size_t kHeaderSize = 18;
}

bool ApplyPaletteBytes(TImageDocument& doc, std::span<const uint8_t> bytes, const std::string& fileName,
                       TDocumentHost& host) {
    if (doc.Kind == kKindBmp) return false;
    // The header is kept even when the file is refused; a short file leaves the rest as it was.
    const size_t head = std::min(bytes.size(), kHeaderSize);
    if (head > 0) std::memcpy(doc.PaletteHeader.data(), bytes.data(), head);
    const bool isPalette = bytes.size() >= 3 && bytes[0] == 'P' && bytes[1] == 'A' && bytes[2] == 'L';
    if (isPalette) {
        // Entries are red, green, blue, unused; Palette holds blue, green, red. What the
        // file does not reach keeps its earlier value.
        for (size_t i = 0; i < 256; ++i) {
            for (size_t c = 0; c < 3; ++c) {
                const size_t at = kHeaderSize + 4 * i + c;
                if (at >= bytes.size()) break;
                doc.Palette[i][2 - c] = bytes[at];
            }
        }
        Render(doc);
    } else {
        host.Message(TMsgKind::Warning, TButtons::Ok,
                     "Le fichier " + ExtractFileName(fileName) +
                         "\nn'est pas une palette couleur d'Quenno !\nopen aborted");
    }
    return isPalette;
}

bool ApplyPaletteFile(TImageDocument& doc, const std::string& path, TDocumentHost& host) {
    if (doc.Kind == kKindBmp) return false;
    const std::vector<uint8_t> bytes = ReadWholeFile(path);
    return ApplyPaletteBytes(doc, bytes, path, host);
}

} // namespace orv
