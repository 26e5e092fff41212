// Time stamps: a frame's observation date and time drawn into its lower-left corner, white
// (display level 255) on a black box (level 0), with a small bitmap font of our own (digits
// and the signs dates and times use). The box is never more than 16 rows high.
#pragma once

#include "core/base/bitmap.h"
#include "core/gif/byte_array.h"

#include <cstdint>
#include <string>

namespace orv {

inline constexpr int32_t kStampMaxHeight = 16;

// "2024-03-09 22:10:00": the date part of DATE-OBS (what comes before a "T"), a space, and
// the frame's time text; the time alone without a date; nothing without a time.
std::string StampText(const std::string& dateObs, const std::string& time);

// The glyphs' scale for the text on a frame of this size: 2 when the frame has 64 rows or
// more and the whole text fits its width at that scale, else 1.
int32_t StampScale(int32_t frameWidth, int32_t frameHeight, const std::string& text);

// The box's size for the text at that scale.
int32_t StampBoxWidth(const std::string& text, int32_t scale);
int32_t StampBoxHeight(int32_t scale);

// Draws the text in the lower-left corner of the levels (rows from the top), cut at the
// frame's edges. Characters the font lacks are left blank.
void DrawStamp(TByteArray2D& levels, const std::string& text);
// The same on the rows first .. first + count - 1 (1-based from the top) of a width x height
// frame, held one after another from `rows`: a frame drawn a band at a time.
// The same on a 24-bit picture: the box black and the text white in all three channels.
void DrawStamp(TBitmap& picture, const std::string& text);
void DrawStamp(uint8_t* rows, int32_t width, int32_t height, int32_t first, int32_t count,
               const std::string& text);

} // namespace orv
