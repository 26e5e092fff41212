// TGifFile::SaveToFile: the model as a GIF89a file. The whole file is built in memory and
// written through a temporary file renamed at the end.
#include "core/gif/gif_blocks.h"
#include "core/gif/gif_errors.h"
#include "core/gif/gif_file.h"

#include "core/base/file_io.h"

#include <string_view>

namespace orv {

std::vector<uint8_t> TGifFile::SaveToMemory(TProgress& progress) {
    TGifOut out;
    // Always 89a: every file written carries graphic control and application extensions,
    // whatever version a model read from a file had (or a failed read left behind).
    for (char c : std::string_view("GIF89a"))
        out.push_back(static_cast<uint8_t>(c));
    PackFlags();
    AppendWord(out, ScreenWidth);
    AppendWord(out, ScreenHeight);
    out.insert(out.end(), {Flags, BackgroundIndex, AspectRatio});
    if (HasGlobalTable) AppendTable(out, GlobalTable, TableBits);
    for (size_t k = 0; k < SubImages.size(); ++k) {
        TGifSubImage& image = *SubImages[k];
        for (const TExtension& e : image.Extensions)
            if (e.ExtensionKind == ekGraphicControl)
                AppendGraphicControl(out, e.Flags, e.Delay, e.TransparentIndex);
        if (k == 0) AppendLooping(out);
        progress.SetLabel("Compression de l'image numéro " + std::to_string(k + 1));
        image.Encode(progress);
        image.PackFlags();
        AppendImage(out, image.Descriptor, image.HasLocalTable ? &image.LocalTable : nullptr,
                    image.BitsPerPixel, image.CodeSize, image.Data);
    }
    out.push_back(0x3B);
    return out;
}

std::vector<uint8_t> TGifFile::SaveToMemory() {
    TProgress none;
    return SaveToMemory(none);
}

void TGifFile::SaveToFile(const std::string& fileName, TProgress& progress) {
    WriteFileAtomically(fileName, SaveToMemory(progress));
}

void TGifFile::SaveToFile(const std::string& fileName) {
    TProgress none;
    SaveToFile(fileName, none);
}

} // namespace orv
