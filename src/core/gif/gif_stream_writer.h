// An animated GIF written image by image, for animations too long to hold: each image is
// encoded on its own (on any thread) and written as soon as the images before it are. The
// bytes are those the GIF model writes for the same images: the first image's table is the
// global table, later images carry a local one, the screen holds every image.
#pragma once

#include "core/base/file_io.h"
#include "core/base/progress.h"
#include "core/gif/byte_array.h"
#include "core/gif/byte_buffer.h"
#include "core/gif/color_table.h"
#include "core/gif/frame_delta.h"
#include "core/gif/lzw_encoder.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orv {

// An image compressed and ready to be written.
struct TEncodedImage {
    TColorTable Table; // Count 2, 4, ..., 256
    uint16_t Width = 0;
    uint16_t Height = 0;
    uint8_t BitsPerPixel = 1;
    uint8_t CodeSize = 2;
    TPackedBytes Data;
    // Where on the screen, and how it covers what is there (a frame's changed part).
    uint16_t Left = 0;
    uint16_t Top = 0;
    bool Keep = false;                  // disposal "do not dispose": the next image goes over it
    std::optional<uint8_t> Transparent; // the index that leaves the screen as it is
};

// The matrix compressed with the code size its table calls for. Raises EGifException for a
// matrix wider or higher than 65535 or a table of another count.
TEncodedImage EncodeImage(const TColorTable& table, const TByteArray2D& matrix,
                          const TProgress& progress = TProgress());
// The same for width x height indices that `put` hands to the encoder (rows from the top), so
// that they need not be held all at once.
TEncodedImage EncodeImage(const TColorTable& table, int32_t width, int32_t height,
                          const std::function<void(TLzwEncoder&)>& put,
                          const TProgress& progress = TProgress());
// A frame's changed part, shown over the picture before it.
TEncodedImage EncodeImage(const TFramePart& part);

class TGifStreamWriter {
  public:
    // Nothing replaces fileName until Commit.
    explicit TGifStreamWriter(const std::string& fileName);

    // The next image, shown for delay hundredths of a second. The first image's table must
    // hold 2, 16 or 256 entries ("Mauvais nombre de couleurs").
    void Write(const TEncodedImage& image, uint16_t delay);
    // From now on, a later image whose table is the first image's takes the global table
    // instead of carrying a copy (an animation of one colour table).
    void ShareGlobalTable() { shareGlobal_ = true; }
    // Image `index` (0-based, written before, a whole image) once more, with its own delay.
    void Repeat(size_t index, uint16_t delay);
    size_t Count() const { return images_.size(); }
    // The bytes of the file so far (all of them once committed).
    uint64_t Size() const { return file_.Size() + pending_.size(); }

    // The trailer and the screen size; the file then replaces fileName.
    void Commit();

  private:
    struct TWritten {
        uint64_t Offset = 0; // the image separator
        uint64_t Length = 0; // up to and including the block terminator
    };
    void Flush();

    TAtomicFile file_;
    std::vector<uint8_t> pending_; // bytes not handed to the file yet
    std::vector<TWritten> images_;
    uint16_t screenWidth_ = 0;
    uint16_t screenHeight_ = 0;
    bool shareGlobal_ = false;
    TColorTable global_;
};

} // namespace orv
