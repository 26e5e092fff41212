// A series held steady: each frame moved by whole pixels so that its stars (or its sky
// coordinates) fall where the first frame's do, and a moving object, followed in observation
// time, stays where it is in the first frame; then every frame cut to the rectangle they all
// cover. Pixels are only moved, never interpolated. A frame that cannot be placed is left out
// with its reason, never moved at random.
#pragma once

#include "core/align/star_finder.h"
#include "core/align/star_match.h"
#include "core/anim/anim_frame.h"
#include "core/anim/anim_options.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orv {

// When a frame was taken: the day of its DATE-OBS when it has one, and the time of day of its
// time text.
struct TObservationTime {
    bool Known = false; // a time text with hours and minutes
    bool Dated = false;
    int64_t Day = 0; // days since 1970-01-01
    double Seconds = 0;
};

// From the date part of DATE-OBS ("2024-03-09", what precedes a "T"; another form is no date)
// and the frame's time text ("22:10:05.5"); unknown without a readable time.
TObservationTime ObservationTime(const std::string& dateObs, const std::string& time);

// Seconds from one time to the other: by dates when both have one, else the times of day taken
// across midnight as the automatic delays take them (a step back of more than twelve hours is
// the next day).
double ObservationGap(const TObservationTime& from, const TObservationTime& to);

// What steadying needs of one frame; the image itself can go once this is taken.
struct TSteadySample {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<TStar> Stars;                   // with alignment on the stars
    std::shared_ptr<const TSkyCoordinates> Sky; // with alignment on the sky
    TObservationTime Time;                      // with a track
    std::string Refusal;                        // why the frame takes no part (it did not open), or empty
    // Pixels of the sky coordinates per pixel of the picture across: 2 for a mosaic debayered by
    // superpixel, whose cells are the picture's pixels.
    int32_t SkyScale = 1;
};

// The sample of an opened document: stars from its raw values (from its picture without
// any), its sky coordinates and its observation time, as far as the options need them. A
// document shown in colour (its mosaic debayered with `debayer`) is measured on the picture:
// its size, and the stars of its green channel, which holds most of the light.
TSteadySample SteadySampleOf(const TImageDocument& doc, const TAnimOptions& options,
                             TDebayer debayer = TDebayer::None);
// The same for a builder frame, from its source when it has one.
TSteadySample SteadySampleOf(const TAnimImg& frame, const TAnimOptions& options);

// How one frame is placed.
struct TFramePlace {
    bool Kept = false;
    std::string Reason; // why it is left out
    TOffset Aligned;    // the alignment's move, (0, 0) for the first frame
    TOffset Move;       // the alignment and the track together
    TCropRect Cut;      // its part that every kept frame covers, in its own readout coordinates
};

struct TSteadySeries {
    std::vector<TFramePlace> Frames;
    int32_t Width = 0; // the common rectangle
    int32_t Height = 0;
};

// Every frame placed: aligned on the first frame that can be aligned on (the others are left
// out with their reason), the track's move added (its ends are the first and last frames
// kept, interpolated in observation time; a frame without a time is left out), and cut to the
// common rectangle (a frame that would leave nothing of it is left out). EOrvanelError when a
// track's first and last frames have the same time.
TSteadySeries SteadySeries(const std::vector<TSteadySample>& samples, const TAnimOptions& options);

// Cuts the kept frames, of the given sizes, to the rectangle all their moves cover, in frame
// order; a frame with nothing in common with those before it is left out. Returns the
// rectangle's width and height.
std::pair<int32_t, int32_t> CutToCommonRectangle(std::vector<TFramePlace>& frames,
                                                 const std::vector<std::pair<int32_t, int32_t>>& sizes);

// The options a placed frame is made with: its cut as the region, the animation's region
// counted inside the cut. ERegionError when that region is not inside the common rectangle.
TAnimOptions PlacedFrameOptions(const TAnimOptions& options, const TFramePlace& place);

// A builder frame's part in the animation: the options it is made with (the animation's own
// when nothing is steadied), or nothing and the "name : reason" to report.
struct TFramePlan {
    std::optional<TAnimOptions> Options;
    std::string Report;
    TOffset Move; // of a frame placed in a steadied series: the alignment and the track together
};
std::vector<TFramePlan> PlanFrames(const std::vector<TAnimImg>& frames, const TAnimOptions& options);

} // namespace orv
