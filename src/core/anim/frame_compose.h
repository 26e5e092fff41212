// A frame made ready to encode: the region, the binning, the display and the time stamp
// applied in that order, and the colours turned into a GIF table and a matrix of indices. The
// work runs on any thread: nothing here touches shared state.
#pragma once

#include "core/anim/anim_frame.h"
#include "core/anim/anim_options.h"
#include "core/anim/colour_frame.h"
#include "core/anim/frame_region.h"
#include "core/base/bitmap.h"
#include "core/gif/byte_array.h"
#include "core/gif/color_table.h"
#include "core/image/display_settings.h"
#include "core/image/robust_level.h"

#include <span>
#include <string>

namespace orv {

struct TFramePlan; // core/anim/steady_series.h

// What "normalise" maps the frames onto: the first frame's level, and for the channels of colour
// frames each of its channels' (a grey first frame's level for all three; a grey frame after a
// colour first frame is mapped onto its green channel).
struct TReferenceLevel {
    TRobustLevel Grey;
    TChannelLevels Channels;
};

struct TFramePicture {
    TColorTable Table;
    TByteArray2D Matrix; // rows from the top
};

// The raw values the options leave: the source itself, or its region and binning put in `made`.
// ERegionError when the region is not inside.
const TRawImage& ReducedRaw(const TRawImage& source, const TAnimOptions& options, TRawImage& made);

// Raw values cropped and binned as the options say, displayed with `display`, stamped with
// `stamp` when the options ask for stamps. ERegionError when the region is not inside.
TFramePicture ComposeRaw(const TRawImage& raw, const TDisplaySettings& display, const std::string& stamp,
                         const TAnimOptions& options);

// The values of a document with raw values replaced by their region and binning, so that
// what follows (thresholds, presets, display) sees only them. Nothing for other documents.
void ReduceDocument(TImageDocument& doc, const TAnimOptions& options);

// A picture without raw values, cropped and binned; it gets no display and no stamp.
TFramePicture ComposePicture(const TBitmap& picture, const TAnimOptions& options);

// The same for a picture still in its Windows bitmap file (the display stream of a document
// without raw values), read without a decoded copy when nothing is cut.
TFramePicture ComposeBmpFile(std::span<const uint8_t> file, const TAnimOptions& options);

// The display a builder frame with raw values is written with: `shared` when it is given, else
// its own; with a reference level, mapped so that the frame's values (after region and binning)
// read on the reference's median and spread (core/image/normalization.h).
TDisplaySettings FrameDisplay(const TAnimImg& frame, const TAnimOptions& options,
                              const TDisplaySettings* shared, const TReferenceLevel* reference);

// A 24-bit copy of a picture (a paletted one through its palette).
TBitmap TrueColour(const TBitmap& picture);

// A colour builder frame as it is written: its channels cut and binned, shown with the shared
// display or its own (each channel normalised on the reference's same channel when one is
// given) and stamped; nothing for a grey frame.
std::optional<TBitmap> ColourFrame(const TAnimImg& frame, const TAnimOptions& options,
                                   const TDisplaySettings* shared,
                                   const TReferenceLevel* reference = nullptr);

// A builder frame as it is written: in colour for a colour frame, else from its raw values when the options
// need them (with the display FrameDisplay gives), else from its picture.
TFramePicture ComposeFrame(const TAnimImg& frame, const TAnimOptions& options, const TDisplaySettings* shared,
                           const TReferenceLevel* reference = nullptr);

// The display every frame takes with "same display": that of the first frame that has raw
// values; nothing when the option is off or no frame has any.
std::optional<TDisplaySettings> SharedDisplay(const std::vector<TAnimImg>& frames,
                                              const TAnimOptions& options);

// What "normalise" maps every frame onto: the level of the first frame with raw values that is
// kept (each frame made with its plan's options when plans are given, else with `options`);
// nothing when the option is off or no frame has any.
std::optional<TReferenceLevel> ReferenceLevel(const std::vector<TAnimImg>& frames,
                                              const TAnimOptions& options,
                                              const std::vector<TFramePlan>* plans = nullptr);

// The picture of a composed frame, for the screen.
TBitmap PictureBitmap(const TFramePicture& picture);

// The frames as saving writes them, in the order it writes them (the bounce included), for a
// player to show; frames that do not hold the region or cannot be placed in the steadied
// series are left out, their "name : reason" added to leftOut.
std::vector<TAnimImg> ComposedFrames(const std::vector<TAnimImg>& frames, const TAnimOptions& options,
                                     std::vector<std::string>* leftOut = nullptr);

} // namespace orv
