// A builder frame encoded straight from what the builder holds: an 8-bit picture is read in
// place, raw values are displayed (and stamped) a band of rows at a time, and the colours are
// mapped to table indices on the way to the encoder. No copy of the whole frame is made, so a
// save holds little more than the encoded frames on their way to the file. The bytes are those
// of EncodeImage over ComposeFrame's picture.
#pragma once

#include "core/anim/anim_frame.h"
#include "core/anim/anim_options.h"
#include "core/gif/gif_stream_writer.h"
#include "core/image/display_settings.h"
#include "core/image/robust_level.h"

namespace orv {

struct TReferenceLevel; // core/anim/frame_compose.h

// The frame as saving writes it (see ComposeFrame); ERegionError when it does not hold the
// region.
TEncodedImage EncodeFrame(const TAnimImg& frame, const TAnimOptions& options, const TDisplaySettings* shared,
                          const TReferenceLevel* reference = nullptr);

} // namespace orv
