// The animation written as its frames are made: frames are made and encoded on several
// threads (their LZW streams are independent), and written in order as soon as the frames
// before them are, so the file is the same whatever the number of threads. Only a few frames
// are in hand at any time, however long the animation.
#pragma once

#include "core/anim/frame_compose.h"
#include "core/base/bitmap.h"
#include "core/gif/frame_delta.h"
#include "core/gif/gif_stream_writer.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orv {

// A frame's table and its indices left in the levels they map: rows that stay for the whole
// save, since a lossless save compares the next frame with them.
struct TLevelFrame {
    TColorTable Table;
    TLevelRows Rows;
};

// Frame `index` made and encoded: its image, or nothing when it is left out (with the reason).
// A frame may also come made but not encoded (Indexed), for the writer to encode whole or as
// what it changes; a frame of a video file (WantsPictures in frame_sink.h) gives its picture.
struct TAnimFrameResult {
    std::optional<TEncodedImage> Image;
    std::optional<TFramePicture> Indexed;
    std::optional<TLevelFrame> Levels; // as Indexed, without a copy of the levels
    std::optional<TBitmap> Picture;
    uint16_t Delay = 0;
    std::string Time;   // the observation time, for the automatic delays
    std::string Report; // why the frame was left out, reported in frame order
};

using TFrameJob = std::function<TAnimFrameResult(size_t index)>;

struct TAnimWriteOptions {
    unsigned Jobs = 0;       // threads; 0: one per core
    bool Bounce = false;     // frames n-1 down to 2 again after frame n, each with its delay
    bool AutoDelays = false; // the delays BitAuto gives, from the frames' times
    // Encoded frames that may wait for the writer beyond one per thread, in bytes.
    size_t AheadBytes = 0;
    // GIF frames after the first written as what they change (the jobs give them Indexed or Levels),
    // within Tolerance display levels (0: exactly); the bounce's frames are then made again.
    bool Optimize = false;
    int32_t Tolerance = 0;
    // A GIF's frames share the first frame's table as the global one (colour frames whose one
    // table was chosen from them all) instead of each carrying it; optimised, their parts keep it.
    bool OneTable = false;
};

// What was written.
struct TAnimWritten {
    size_t Made = 0;              // frames, before the bounce
    std::vector<uint16_t> Delays; // of those frames, as written
    uint64_t Bytes = 0;           // the file's size
};

// After each frame written: how many are written out of how many there will be (the bounce's
// included, refusals not known yet counted).
using TWriteProgress = std::function<void(size_t written, size_t total)>;

// The number of threads `Jobs` stands for.
unsigned JobCount(unsigned jobs);

// Runs job(0) .. job(count - 1) and writes the frames to fileName, which is replaced only
// once the file is complete: an animated GIF, or a WebP or MP4 file by its extension (the
// bounce then makes its frames again). With no frame, EOrvanelError "Aucune image pour
// l'animation" and nothing is written. An error of a job (other than leaving its frame out) or
// of the writing stops the work and is raised.
TAnimWritten WriteAnimation(const std::string& fileName, size_t count, const TFrameJob& job,
                            const TAnimWriteOptions& options, const TWriteProgress& progress = {},
                            const std::function<void(const std::string&)>& report = {});

} // namespace orv
