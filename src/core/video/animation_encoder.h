// Animations written as video files, frame after frame, each shown for its delay: an animated
// WebP (lossless, libwebp's animation encoder) or an H.264 MP4 (FFmpeg's libavcodec with x264,
// and libavformat). The first frame's size is the picture's size; a later frame of another size
// is drawn in its top-left corner, cut or completed with black. Nothing is written at the file's
// name until Commit: the file appears whole or not at all.
#pragma once

#include "core/base/bitmap.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace orv {

enum class TVideoKind { WebP, Mp4 };

// By the file's extension (.webp, .mp4, any letter case); nothing for another.
std::optional<TVideoKind> VideoKindOf(const std::string& fileName);

class TAnimationEncoder {
  public:
    virtual ~TAnimationEncoder() = default;
    // The next frame (8-bit with its palette, or 24-bit), shown for `delay` hundredths of a second.
    virtual void Add(const TBitmap& picture, uint16_t delay) = 0;
    // Frames added so far.
    virtual size_t Count() const = 0;
    // Writes what is left and puts the file in place. Errors raise EOrvanelError (the file's
    // message, or the encoder's).
    virtual void Commit() = 0;
};

// An encoder writing fileName in the kind given.
std::unique_ptr<TAnimationEncoder> OpenAnimationEncoder(const std::string& fileName, TVideoKind kind);

} // namespace orv
