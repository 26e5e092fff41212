// One frame of an animation, and the making of a frame from a loaded image document.
#pragma once

#include "core/anim/frame_region.h"
#include "core/base/bitmap.h"
#include "core/gif/gif_file.h"
#include "core/image/debayer.h"
#include "core/image/display_settings.h"
#include "core/image/image_document.h"
#include "core/image/value_plane.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orv {

// The delay the builder gives every frame it makes, in hundredths of a second.
inline constexpr uint16_t kDefaultDelay = 15;

// What a frame of an image with raw values was made from, kept so that the animation's
// options (one display for all, region, binning, stamps) can make the frame anew.
struct TFrameSource {
    TRawImage Raw;
    TDisplaySettings Display; // the image's own
    std::string DateObs;      // the FITS DATE-OBS card, or empty
    TValueScale Scale;        // how the values read in the readout
    // The header's celestial coordinate system, for alignment on the sky; none without one.
    std::shared_ptr<const TSkyCoordinates> Sky;
    // A colour image's layout and how its mosaic is debayered: its frames are made in colour.
    TColourLayout Colour;
    TDebayer Debayer = TDebayer::None;

    bool InColour() const { return Colour.Planes == 3 || (Colour.Pattern && Debayer != TDebayer::None); }
};

// A colour source's channels as its frames show them, holding their values; nothing for a grey
// source.
std::optional<TColourPlanes> SourcePlanes(const TFrameSource& source);

struct TAnimImg {
    std::string Name;                           // the label under the thumbnail
    std::string Time;                           // hours:minutes:seconds, or empty
    TBitmap Bitmap;                             // the frame's own copy of the picture
    bool Selected = false;                      // the frame the editing buttons act on
    uint16_t Delay = 0;                         // hundredths of a second
    double Seconds = 0;                         // Time in seconds, as the last automatic delays found it
    std::shared_ptr<const TFrameSource> Source; // none for pictures without raw values
    std::string Path;                           // the file it was made from, opened again after a crash
    int32_t GifImage =
        -1; // its image in that file: an animated GIF's image, a video's frame or a cube's plane

    void SetBitmap(const TBitmap& bitmap) { Bitmap = bitmap; }
    void SetName(const std::string& name) { Name = name; }
    void SetTime(const std::string& time) { Time = time; }
    void SetDelay(uint16_t delay) { Delay = delay; }
};

// The observation time of a document: the 14 characters at offset 104 of a PIC header (up to
// a NUL), the exposure-start time of a FITS or CPA header, else empty.
std::string FrameTime(const TImageDocument& doc);

// What a frame keeps of a document with raw values (its values copied, or taken when the
// document goes), in colour when `debayer` shows it so; nothing for a document without.
std::shared_ptr<const TFrameSource> CopyFrameSource(const TImageDocument& doc,
                                                    TDebayer debayer = TDebayer::None);
std::shared_ptr<const TFrameSource> TakeFrameSource(TImageDocument& doc, TDebayer debayer = TDebayer::None);

// A frame of the picture the document displays (in colour for a colour image, its mosaic
// debayered with `debayer`): its file name without directory, its time and the given delay,
// its source, and the file it was read from. The second form takes the document's values.
TAnimImg MakeFrame(const TImageDocument& doc, uint16_t delay = kDefaultDelay,
                   TDebayer debayer = TDebayer::Bilinear);
TAnimImg MakeFrame(TImageDocument&& doc, uint16_t delay = kDefaultDelay,
                   TDebayer debayer = TDebayer::Bilinear);

// The images of an animated GIF file read from `path`, as the builder names them: "Image n"
// counted from 1, time 00:00:00.000, the image's own delay; each the picture it shows when the
// file's images are what each frame changes.
std::vector<TAnimImg> GifFrames(TGifFile& gif, const std::string& path);

} // namespace orv
