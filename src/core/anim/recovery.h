// Between the animation builder and its recovery file: what is recorded of each frame, and a
// frame made again from its record once its file has been opened anew.
#pragma once

#include "core/anim/anim_builder.h"
#include "core/anim/recovery_file.h"

namespace orv {

// The builder's frames and options as the recovery file keeps them; no frame when nothing is
// left to save (an animation saved, or never changed).
std::vector<TRecoveredFrame> RecordedFrames(const TAnimBuilder& builder);

// The frame of a record whose image file has been read into `doc`: the image displayed as it
// was when the frame was made (thresholds, function, palette), with the recorded delay.
TLoadedFrame RecoveredFrame(TImageDocument&& doc, const TRecoveredFrame& record);

} // namespace orv
