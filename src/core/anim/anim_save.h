// An animation written as an animated GIF (or a WebP or MP4 file): every frame made as the
// options say and encoded anew, on several threads, written in order with its delay.
#pragma once

#include "core/anim/anim_frame.h"
#include "core/anim/anim_options.h"
#include "core/base/progress.h"

#include <string>
#include <vector>

namespace orv {

// The name the file is saved under: ".gif" appended when the name part has no ".".
std::string AnimationFileName(const std::string& chosen);

// The question asked before overwriting an existing file.
std::string OverwriteQuestion(const std::string& fileName);

// The frames as they are, or held steady, cropped, binned, displayed alike and stamped as the
// options say, and with the bounce; the first frame's colours become the global table, later frames
// carry local ones. A name ending in .webp or .mp4 writes that kind of video instead
// (core/video). The frames are read, never copied, so nothing may change them meanwhile.
// The progress label reads "Compression de l'image numéro k" as frame k is written, the
// fraction counting the frames written. A frame that does not hold the region or cannot be
// placed is left out and its "name : reason" added to leftOut. Nothing is written when no frame is left or an
// error is raised, and an existing file is replaced only by a complete one.
void SaveAnimation(const std::vector<TAnimImg>& frames, const std::string& fileName, TProgress& progress,
                   const TAnimOptions& options = {}, unsigned jobs = 0,
                   std::vector<std::string>* leftOut = nullptr);

} // namespace orv
