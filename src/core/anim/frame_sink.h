// Where the animation writer puts its frames, in order: an animated GIF (each frame encoded by
// its job) or a video file, WebP or MP4 by the name's extension (each frame's picture encoded as
// it comes). A frame repeated by the bounce is the GIF's written image copied, or, for a video,
// the picture made again.
#pragma once

#include "core/anim/anim_writer.h"

#include <functional>
#include <memory>
#include <string>

namespace orv {

class TFrameSink {
  public:
    virtual ~TFrameSink() = default;
    virtual void Write(const TAnimFrameResult& frame, uint16_t delay) = 0;
    // Frame `index` (0-based, among those written) once more, with the delay given.
    virtual void Repeat(size_t index, uint16_t delay) = 0;
    virtual size_t Count() const = 0;
    // Completes the file, which then replaces fileName.
    virtual void Commit() = 0;
};

// Whether frames for fileName are pictures (a video file) rather than encoded GIF images.
bool WantsPictures(const std::string& fileName);

// The sink for fileName; `remake` makes the picture of written frame k again (videos only).
// oneTable: a GIF's frames whose table is the first frame's take the global table.
std::unique_ptr<TFrameSink> OpenFrameSink(const std::string& fileName,
                                          const std::function<TBitmap(size_t index)>& remake,
                                          bool oneTable = false);

} // namespace orv
