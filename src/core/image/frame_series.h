// A document that is one frame of a series (a video file of frames, the planes of a FITS cube)
// keeps the series it came from, so that any other frame can be read into it without opening
// the file again: the image window's frame slider and the command line's --frame go through
// it. A series holds no frame: it reads the one asked for, from any thread.
#pragma once

#include "core/image/document_host.h"
#include "core/image/image_document.h"

#include <cstdint>
#include <span>
#include <string>

namespace orv {

// A frame's observation date ("2024-03-09") and time of day ("22:10:00.1234"); both empty when
// the series gives its frames no time of their own.
struct TFrameTime {
    std::string Date;
    std::string Time;
};

class TFrameSeries {
  public:
    virtual ~TFrameSeries() = default;
    virtual uint32_t Count() const = 0;
    // Frame k's values (k < Count()) into store: the document's width x height values of its
    // pixel type, the bottom row first, as PixelStore holds them.
    virtual void ReadFrame(uint32_t k, std::span<uint8_t> store) const = 0;
    virtual TFrameTime TimeOf(uint32_t k) const = 0;
    // The name frame k is saved under: never the series' own file, which holds every frame.
    virtual std::string FrameFileName(uint32_t k) const = 0;
};

// "<stem>_<k>.<ext>" with k counted from 1 and written with as many digits as the count has
// (capture_007.fit of 500 frames), so that the frames sort and form a numbered series.
std::string NumberedFrameName(const std::string& stem, uint32_t k, uint32_t count, const std::string& ext);

// Frame k of the document's series into the document: values, file name, caption, and the
// frame's DATE-OBS and TIME_BEG when it has a time; thresholds, palette and display function
// stay. Rendered, caption made. Nothing for a document without a series.
void SelectFrame(TImageDocument& doc, uint32_t k);

// The frame's values, time and name into the document, nothing rendered: what SelectFrame and
// the readers share.
void ReadSeriesFrame(TImageDocument& doc, uint32_t k);

} // namespace orv
