// An animation written as an animated GIF: every frame converted anew, in order, with its delay.
#pragma once

#include "core/anim/anim_frame.h"
#include "core/base/progress.h"
#include "core/gif/gif_file.h"

#include <string>
#include <vector>

namespace orv {

// The name the file is saved under: ".gif" appended when the name part has no ".".
std::string AnimationFileName(const std::string& chosen);

// The question asked before overwriting an existing file.
std::string OverwriteQuestion(const std::string& fileName);

// Every frame's bitmap through BitmapToMatrix and AddSubImage with its delay: the first frame's
// colours become the global table, later frames carry local ones. The progress label reads
// "Conversion de l'image : <name>" while a frame is converted. The GIF errors propagate.
void FillAnimationGif(TGifFile& gif, const std::vector<TAnimImg>& frames, TProgress& progress);

// FillAnimationGif into a new GIF file object, then SaveToFile: nothing is written when a frame
// fails, and an existing file is replaced only by a complete one.
void SaveAnimation(const std::vector<TAnimImg>& frames, const std::string& fileName, TProgress& progress);

} // namespace orv
