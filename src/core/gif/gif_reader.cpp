// TGifFile::LoadFromFile: a GIF87a or GIF89a file into the model, decoding every image.
// Every read is checked against the bytes of the file; an image size is allocated only when
// its data could fill it, or within a small allowance per file for images whose data stops
// early, so that no header alone can make a huge allocation. A file cut inside a block is
// refused; one that only lacks its trailer byte after whole images opens.
#include "core/gif/gif_errors.h"
#include "core/gif/gif_file.h"
#include "core/gif/lzw_decoder.h"

#include "core/base/file_io.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace orv {

namespace {

constexpr uint8_t kTrailer = 0x3B;

// Pixels a file may hold beyond what its image data can describe.
constexpr int64_t kShortDataAllowance = int64_t(1) << 24;

class TGifInput {
  public:
    explicit TGifInput(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    uint8_t Byte() {
        Need(1);
        return bytes_[pos_++];
    }
    uint16_t Word() {
        Need(2);
        const uint16_t w = uint16_t(bytes_[pos_] | (bytes_[pos_ + 1] << 8));
        pos_ += 2;
        return w;
    }
    bool AtEnd() const { return pos_ == bytes_.size(); }
    std::span<const uint8_t> Take(size_t n) {
        Need(n);
        const auto run = bytes_.subspan(pos_, n);
        pos_ += n;
        return run;
    }
    void Table(TColorTable& table, int count) {
        const auto run = Take(size_t(count) * 3);
        for (int i = 0; i < count; ++i)
            for (int c = 0; c < 3; ++c)
                table.Entries[size_t(i)][size_t(c)] = run[size_t(3 * i + c)];
    }
    // Data sub-blocks up to the zero length, each handed to `block`.
    template <class F> void SubBlocks(F&& block) {
        for (uint8_t n = Byte(); n != 0; n = Byte())
            block(Take(n));
    }

  private:
    void Need(size_t n) const {
        if (n > bytes_.size() - pos_) throw EGifException("Fichier GIF tronqué");
    }
    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
};

std::string HexByte(uint8_t b) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", b);
    return text;
}

TExtension ReadExtension(TGifInput& in) {
    const uint8_t label = in.Byte();
    const auto kind = TExtension::KindOfLabel(label);
    if (!kind) throw EGifException("Bloc d'extension inconnu.\nCode = $" + HexByte(label));
    TExtension e;
    e.ExtensionKind = *kind;
    const auto keep = [&e](std::span<const uint8_t> b) { e.SubBlocks.emplace_back(b.begin(), b.end()); };
    switch (*kind) {
    case ekGraphicControl: {
        // Read by its size byte: the fields are the first four bytes of the block, and any
        // further sub-blocks up to the terminator are passed over.
        e.BlockSize = in.Byte();
        const auto body = in.Take(e.BlockSize);
        if (body.size() >= 1) e.Flags = body[0];
        if (body.size() >= 3) e.Delay = uint16_t(body[1] | (body[2] << 8));
        if (body.size() >= 4) e.TransparentIndex = body[3];
        in.SubBlocks([](std::span<const uint8_t>) {});
        e.Terminator = 0;
        break;
    }
    case ekPlainText:
    case ekApplication: {
        const uint8_t size = in.Byte();
        const auto header = in.Take(size);
        e.HeaderBytes.resize(size_t(size) + 1);
        e.HeaderBytes[0] = size;
        std::copy(header.begin(), header.end(), e.HeaderBytes.begin() + 1);
        in.SubBlocks(keep);
        break;
    }
    case ekComment:
        in.SubBlocks(keep);
        break;
    }
    return e;
}

} // namespace

void TGifFile::LoadFromFile(const std::string& fileName) {
    LoadFromMemory(ReadWholeFile(fileName));
}

void TGifFile::LoadFromMemory(std::span<const uint8_t> bytes) {
    SubImages.clear();
    TGifInput in(bytes);
    const auto header = in.Take(6);
    std::memcpy(Signature.data(), header.data(), 3);
    std::memcpy(Version.data(), header.data() + 3, 3);
    const std::string version(Version.data(), 3);
    if (version != "87a" && version != "89a" && version != "87A" && version != "89A")
        throw EGifException("Version inconue");
    ScreenWidth = in.Word();
    ScreenHeight = in.Word();
    Flags = in.Byte();
    BackgroundIndex = in.Byte();
    AspectRatio = in.Byte();
    UnpackFlags();
    if (HasGlobalTable) in.Table(GlobalTable, GlobalTable.Count);

    // The introducer of the next block. A file that ends where it should stand, after at
    // least one whole image, has only lost its trailer: other readers open it, so do we.
    const auto nextIntroducer = [&] { return in.AtEnd() && !SubImages.empty() ? kTrailer : in.Byte(); };
    int64_t allowance = kShortDataAllowance;
    for (uint8_t introducer = in.Byte(); introducer != kTrailer;) {
        std::vector<TExtension> extensions;
        while (introducer == 0x21) {
            extensions.push_back(ReadExtension(in));
            introducer = nextIntroducer();
        }
        if (introducer == kTrailer) break; // extensions after the last image are dropped
        if (introducer != 0x2C) throw EGifException("Bloc inconnu.\nCode = $" + HexByte(introducer));

        auto image = std::make_unique<TGifSubImage>(uint16_t(GlobalTable.Count), this);
        image->Extensions = std::move(extensions);
        image->Descriptor.Left = in.Word();
        image->Descriptor.Top = in.Word();
        image->Descriptor.Width = in.Word();
        image->Descriptor.Height = in.Word();
        image->Descriptor.Flags = in.Byte();
        image->UnpackFlags();
        if (image->HasLocalTable) {
            const int count = 1 << image->BitsPerPixel;
            in.Table(image->LocalTable, count);
            image->LocalTable.Count = count;
        }
        image->CodeSize = in.Byte();
        in.SubBlocks([&image](std::span<const uint8_t> b) { image->Data.AddBlock(b); });

        const int64_t pixels = int64_t(image->Descriptor.Width) * image->Descriptor.Height;
        const int64_t fillable = MaxDecodablePixels(image->Data.ByteCount());
        if (pixels > fillable) {
            if (pixels - fillable > allowance)
                throw EGifException("Données d'image trop courtes pour une image de " +
                                    std::to_string(image->Descriptor.Width) + "x" +
                                    std::to_string(image->Descriptor.Height));
            allowance -= pixels - fillable;
        }
        image->Pixels = TByteArray2D(image->Descriptor.Width, image->Descriptor.Height);
        image->Decode();
        SubImages.push_back(std::move(image));
        introducer = nextIntroducer();
    }
}

} // namespace orv
