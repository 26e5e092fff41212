// TGifFile::SaveToFile: the model as a GIF89a file. The whole file is built in memory and
// written through a temporary file renamed at the end.
#include "core/gif/gif_errors.h"
#include "core/gif/gif_file.h"

#include "core/base/file_io.h"

namespace orv {

namespace {

class TGifBytes {
  public:
    void Byte(uint8_t b) { Out.push_back(b); }
    void Word(uint16_t w) {
        Out.push_back(uint8_t(w));
        Out.push_back(uint8_t(w >> 8));
    }
    void Text(const char* s, size_t n) { Out.insert(Out.end(), s, s + n); }
    // The table's first 2^bits entries: exactly as many as the flags announce.
    void Table(const TColorTable& table, int bits) {
        for (int i = 0; i < (1 << bits); ++i)
            for (uint8_t c : table.Entries[size_t(i)])
                Out.push_back(c);
    }
    std::vector<uint8_t> Out;
};

void WriteGraphicControl(TGifBytes& out, const TExtension& e) {
    out.Byte(0x21);
    out.Byte(0xF9);
    out.Byte(4); // the four bytes that follow, whatever size the block had when read
    out.Byte(e.Flags);
    out.Word(e.Delay);
    out.Byte(e.TransparentIndex);
    out.Byte(0);
}

void WriteLooping(TGifBytes& out) {
    out.Byte(0x21);
    out.Byte(0xFF);
    out.Byte(0x0B);
    out.Text("NETSCAPE2.0", 11);
    const uint8_t loop[] = {0x03, 0x01, 0x00, 0x00, 0x00};
    for (uint8_t b : loop)
        out.Byte(b);
}

} // namespace

std::vector<uint8_t> TGifFile::SaveToMemory(TProgress& progress) {
    TGifBytes out;
    // Always 89a: every file written carries graphic control and application extensions,
    // whatever version a model read from a file had (or a failed read left behind).
    out.Text("GIF89a", 6);
    PackFlags();
    out.Word(ScreenWidth);
    out.Word(ScreenHeight);
    out.Byte(Flags);
    out.Byte(BackgroundIndex);
    out.Byte(AspectRatio);
    if (HasGlobalTable) out.Table(GlobalTable, TableBits);
    for (size_t k = 0; k < SubImages.size(); ++k) {
        TGifSubImage& image = *SubImages[k];
        for (const TExtension& e : image.Extensions)
            if (e.ExtensionKind == ekGraphicControl) WriteGraphicControl(out, e);
        if (k == 0) WriteLooping(out);
        out.Byte(0x2C);
        progress.SetLabel("Compression de l'image numéro " + std::to_string(k + 1));
        image.Encode(progress);
        image.PackFlags();
        out.Word(image.Descriptor.Left);
        out.Word(image.Descriptor.Top);
        out.Word(image.Descriptor.Width);
        out.Word(image.Descriptor.Height);
        out.Byte(image.Descriptor.Flags);
        if (image.HasLocalTable) out.Table(image.LocalTable, image.BitsPerPixel);
        out.Byte(image.CodeSize);
        for (int32_t b = 1; b <= image.Data.BlockCount(); ++b) {
            const auto block = image.Data.GetBlock(b);
            out.Byte(uint8_t(block.size()));
            out.Out.insert(out.Out.end(), block.begin(), block.end());
        }
        out.Byte(0);
    }
    out.Byte(0x3B);
    return std::move(out.Out);
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
