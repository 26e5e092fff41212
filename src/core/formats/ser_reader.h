// SER video files: a 178-byte header, then frames of 8 or 16-bit values stored top row first
// (one plane, or three interleaved for RGB and BGR), then, optionally, a trailer of one 64-bit
// time per frame. The document holds one frame; the file stays on disk and any frame is read
// from it on demand (TFrameSeries), so a file of many gigabytes opens in flat memory.
//
// Values of two bytes are stored as FITS stores unsigned 16-bit data (16-bit integers with
// BZERO = 32768), so that thresholds, presets and saving treat them alike. Frames are turned
// bottom row first as they are read. A Bayer mosaic (ColorID 8 to 11) opens as a mosaic, with
// BAYERPAT and YBAYROFF cards naming its pattern for the rows as the document holds them; RGB
// and BGR files are refused until colour images are shown.
#pragma once

#include "core/base/byte_source.h"
#include "core/image/frame_series.h"
#include "core/image/image_document.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace orv {

inline constexpr size_t kSerHeaderSize = 178;

// ColorID values of the header.
inline constexpr int32_t kSerMono = 0;
inline constexpr int32_t kSerBayerRggb = 8;
inline constexpr int32_t kSerBayerBggr = 11;
inline constexpr int32_t kSerRgb = 100;
inline constexpr int32_t kSerBgr = 101;

// The header's fields, as stored (all little-endian).
struct TSerHeader {
    std::string FileId;
    int32_t LuId = 0, ColorId = 0, LittleEndian = 0, Width = 0, Height = 0, PixelDepth = 0, FrameCount = 0;
    std::string Observer, Instrument, Telescope;
    int64_t DateTime = 0, DateTimeUtc = 0;
};

TSerHeader ParseSerHeader(std::span<const uint8_t> bytes);

// The header's 16-bit byte order as files in the wild set it: most writers put 0 in the
// LittleEndian field for little-endian data, so 0 reads little-endian and any other value
// big-endian.
bool SerBigEndian(const TSerHeader& header);

// "YYYY-MM-DD" and "hh:mm:ss.ffff" of a SER time (100 ns ticks since 0001-01-01); empty for 0
// or a time outside years 1 to 9999.
TFrameTime SerTimeText(int64_t ticks);

// Opens frame `frame` (from 0) of the SER file; a refusal shows its message and leaves the
// document empty. A frame beyond the file's frames reads the first (the caller checks the count).
TLoadResult LoadSer(TImageDocument& doc, const std::string& fileName, TDocumentHost& host,
                    uint32_t frame = 0);

// The same from any source of bytes (fileName names it in messages, the caption and the
// names of the frames).
TLoadResult LoadSerFromSource(TImageDocument& doc, std::shared_ptr<const TByteSource> source,
                              const std::string& fileName, TDocumentHost& host, uint32_t frame = 0);

// The frames of the file, from its header alone; nothing when opening it would refuse it.
std::optional<uint32_t> SerFrameCount(const TByteSource& source);

} // namespace orv
