#include "core/gif/gif_stream_writer.h"

#include "core/gif/gif_blocks.h"
#include "core/gif/gif_errors.h"
#include "core/gif/gif_sub_image.h"
#include "core/gif/lzw_encoder.h"

#include <algorithm>

namespace orv {

namespace {

// Writes reach the file in pieces of about this size: large enough for few system calls, small
// beside a frame, which is never copied whole.
constexpr size_t kFlushSize = size_t(1) << 16;
// What may be added past kFlushSize before a flush (an image's head with a local table and a
// block): the pending bytes are reserved once and never moved.
constexpr size_t kFlushSlack = 4096;

uint8_t BitsOfCount(int32_t count) {
    for (uint8_t bits = 1; bits <= 8; ++bits)
        if ((1 << bits) == count) return bits;
    throw EGifException("Le nombre de couleurs doit être 2, 4, 8, 16 or 256");
}

} // namespace

TEncodedImage EncodeImage(const TColorTable& table, const TByteArray2D& matrix, const TProgress& progress) {
    return EncodeImage(
        table, matrix.Cols(), matrix.Rows(),
        [&](TLzwEncoder& encoder) {
            encoder.Put({matrix.Cells().Memory(), size_t(matrix.Cells().Size())});
        },
        progress);
}

TEncodedImage EncodeImage(const TColorTable& table, int32_t width, int32_t height,
                          const std::function<void(TLzwEncoder&)>& put, const TProgress& progress) {
    if (width > 0xFFFF || height > 0xFFFF) throw EGifException("Image trop grande pour un fichier GIF");
    TEncodedImage image;
    image.Table = table;
    image.BitsPerPixel = BitsOfCount(table.Count);
    image.CodeSize = image.BitsPerPixel == 1 ? 2 : image.BitsPerPixel;
    image.Width = uint16_t(width);
    image.Height = uint16_t(height);
    TLzwEncoder encoder(image.CodeSize, size_t(width) * size_t(height), progress);
    put(encoder);
    image.Data = encoder.Finish();
    return image;
}

namespace {

// The indices of a part read from its frame's levels, a row at a time: mapped, then its kept
// pixels made transparent.
void PutLevelRows(const TFramePart& part, TLzwEncoder& encoder) {
    const TLevelRows& rows = *part.Source;
    const size_t width = size_t(part.Width);
    const uint8_t transparent = part.Transparent.value_or(0);
    std::vector<uint8_t> row(width);
    for (int32_t y = 0; y < part.Height; ++y) {
        const uint8_t* level = rows.Pixels + size_t(part.Top + y) * size_t(rows.Width) + part.Left;
        for (size_t x = 0; x < width; ++x)
            row[x] = part.IndexOf[level[x]];
        const size_t at = size_t(y) * width;
        for (size_t x = 0; !part.Kept.empty() && x < width; ++x) {
            const uint8_t keep = uint8_t(0 - ((part.Kept[(at + x) / 64] >> ((at + x) % 64)) & 1));
            row[x] = uint8_t((transparent & keep) | (row[x] & ~keep));
        }
        encoder.Put(row);
    }
}

} // namespace

TEncodedImage EncodeImage(const TFramePart& part) {
    TEncodedImage image = part.Source
                              ? EncodeImage(part.Table, part.Width, part.Height,
                                            [&](TLzwEncoder& encoder) { PutLevelRows(part, encoder); })
                              : EncodeImage(part.Table, part.Matrix);
    image.Left = part.Left;
    image.Top = part.Top;
    image.Keep = true;
    image.Transparent = part.Transparent;
    return image;
}

TGifStreamWriter::TGifStreamWriter(const std::string& fileName) : file_(fileName) {
    pending_.reserve(kFlushSize + kFlushSlack);
}

void TGifStreamWriter::Write(const TEncodedImage& image, uint16_t delay) {
    const bool first = images_.empty();
    if (first) {
        const int32_t count = image.Table.Count;
        if (count != 2 && count != 16 && count != 256) throw EGifException("Mauvais nombre de couleurs");
        const char* header = "GIF89a";
        pending_.insert(pending_.end(), header, header + 6);
        AppendWord(pending_, 0); // the screen, set by Commit
        AppendWord(pending_, 0);
        const uint8_t bits = image.BitsPerPixel;
        pending_.insert(pending_.end(), {uint8_t(0x80 + (bits - 1) * 16 + (bits - 1)), 0, 0});
        AppendTable(pending_, image.Table, bits);
        global_ = image.Table;
    }
    const bool local = !first && !(shareGlobal_ && image.Table == global_);
    const uint8_t disposal = image.Keep ? 1 : 0;
    AppendGraphicControl(pending_, uint8_t(disposal << 2 | (image.Transparent ? 1 : 0)), delay,
                         image.Transparent.value_or(0));
    if (first) AppendLooping(pending_);
    TImageDescriptor d;
    d.Left = image.Left;
    d.Top = image.Top;
    d.Width = image.Width;
    d.Height = image.Height;
    d.Flags = local ? uint8_t(0x80 + image.BitsPerPixel - 1) : 0;
    const uint64_t offset = file_.Size() + pending_.size();
    AppendImageHead(pending_, d, local ? &image.Table : nullptr, image.BitsPerPixel, image.CodeSize);
    image.Data.ForEachBlock([&](std::span<const uint8_t> block) {
        pending_.push_back(uint8_t(block.size()));
        pending_.insert(pending_.end(), block.begin(), block.end());
        if (pending_.size() >= kFlushSize) Flush();
    });
    pending_.push_back(0);
    images_.push_back({offset, file_.Size() + pending_.size() - offset});
    screenWidth_ = uint16_t(std::clamp(image.Left + image.Width, int(screenWidth_), 0xFFFF));
    screenHeight_ = uint16_t(std::clamp(image.Top + image.Height, int(screenHeight_), 0xFFFF));
    if (pending_.size() >= kFlushSize) Flush();
}

void TGifStreamWriter::Repeat(size_t index, uint16_t delay) {
    const TWritten written = images_.at(index);
    AppendGraphicControl(pending_, 0, delay, 0);
    Flush();
    images_.push_back({file_.Size(), written.Length});
    // Copied from the file through a piece of the flush size.
    for (uint64_t done = 0; done < written.Length;) {
        const size_t piece = size_t(std::min<uint64_t>(kFlushSize, written.Length - done));
        pending_.resize(piece);
        file_.ReadAt(written.Offset + done, pending_);
        Flush();
        done += piece;
    }
}

void TGifStreamWriter::Flush() {
    file_.Append(pending_);
    pending_.clear();
}

void TGifStreamWriter::Commit() {
    if (images_.empty()) throw EGifException("Aucune image à écrire");
    pending_.push_back(0x3B);
    Flush();
    std::vector<uint8_t> screen;
    AppendWord(screen, screenWidth_);
    AppendWord(screen, screenHeight_);
    file_.WriteAt(6, screen);
    file_.Commit();
}

} // namespace orv
