// The image document: everything known about one opened image (raw pixels, FITS header,
// thresholds, palette, the bitmap shown). The image window owns one; the command-line tool
// and the tests use it without a window. It knows no file format: the readers fill it.
#pragma once

#include "core/image/colour_layout.h"
#include "core/image/display_function.h"
#include "core/image/document_host.h"
#include "core/image/fits_header.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orv {

// Kind codes.
inline constexpr uint8_t kKindGif = 1;
inline constexpr uint8_t kKindPic = 2;
inline constexpr uint8_t kKindBmp = 4;
inline constexpr uint8_t kKindFits = 8; // FITS, and CPA once read
inline constexpr uint8_t kKindEmpty = 64;

// Pixel type codes.
inline constexpr uint8_t kPixelNone = 0;
inline constexpr uint8_t kPixelInt16 = 1;
inline constexpr uint8_t kPixelInt32 = 2;
inline constexpr uint8_t kPixelReal32 = 4;
inline constexpr uint8_t kPixelReal64 = 8;

// Bytes per value of a pixel type (0 for none).
int BytesPerPixel(uint8_t pixelType);

// Calls visit with a zero of the C++ type that holds the pixel type's raw values, so that one
// generic lambda serves the four types; false for a type without raw values.
template <typename F> bool VisitValueType(uint8_t pixelType, F&& visit) {
    switch (pixelType) {
    case kPixelInt16:
        visit(int16_t{});
        return true;
    case kPixelInt32:
        visit(int32_t{});
        return true;
    case kPixelReal32:
        visit(float{});
        return true;
    case kPixelReal64:
        visit(double{});
        return true;
    default:
        return false;
    }
}

enum class TLoadResult {
    Loaded,  // the document holds the image
    Refused, // the file was refused: the holder discards the document
    Ignored, // no reader for this extension: the document stays empty
};

class TSkyCoordinates;
class TFrameSeries;

using TPaletteEntry = std::array<uint8_t, 3>; // blue, green, red

class TImageDocument {
  public:
    TImageDocument();

    uint8_t Kind = kKindEmpty;
    uint8_t PixelType = kPixelNone;
    int32_t ImageWidth = 0;
    int32_t ImageHeight = 0;
    // ImageWidth x ImageHeight values of PixelType per plane, little-endian, the bottom row on
    // screen first (a file's order, unless it stores its top row first: see Colour).
    std::vector<uint8_t> PixelStore;
    // Grey, three planes, or a colour-filter mosaic; as the file's cards say.
    TColourLayout Colour;
    double HighThreshold = 0;
    double LowThreshold = 0;
    bool Inverted = false;
    // How values between the thresholds are spread over the levels: a way of looking at the
    // image, like the zoom, so no file stores it and changing it never marks the document.
    TDisplayFunction DisplayFunction = TDisplayFunction::Linear;
    double MidtonesBalance = kNeutralMidtones; // the balance of the Mtf function
    std::array<uint8_t, 65536> LookupTable{};  // index = value + 32768
    std::array<TPaletteEntry, 256> Palette{};
    std::array<uint8_t, 18> PaletteHeader{};
    std::array<uint8_t, 54> BitmapHeader{};
    std::vector<uint8_t> DisplayStream; // a complete Windows bitmap file image
    std::string FileName;
    // The file the document was read from, when it differs from the one saving writes (a CPA
    // file saved as FITS, a tile-compressed file saved plain); empty for a copy never read.
    std::string SourceFile;
    TFitsHeader Header;
    std::vector<std::string> HistoryLines, CommentLines, OtherCards;
    std::vector<uint8_t> TrailingBytes;
    std::vector<uint8_t> SecondPlane;
    std::array<uint8_t, 290> PicHeader{};
    // The header's celestial coordinate system, read once when a FITS image is loaded; none
    // without one. Shared by the copies of the document.
    std::shared_ptr<const TSkyCoordinates> Sky;
    // The series the image is frame FrameIndex (from 0) of: a video file or a FITS cube; none for
    // a single image. Shared by the copies of the document.
    std::shared_ptr<const TFrameSeries> Series;
    uint32_t FrameIndex = 0;
    bool FirstShow = true;
    bool Modified = false;
    std::string Caption = "Image :";

    // "Image : <name> (<w>x<h>) <pixel type text>"; stores and returns it.
    const std::string& UpdateCaption(const std::string& fileName, int32_t width, int32_t height);

    // Back to the state of a new document (after a refusal).
    void Clear();
};

// The end of every successful reader: sky coordinates read from a FITS header, the picture
// rendered, the caption made. What the windows do with it is theirs, once the load returns.
TLoadResult FinishLoad(TImageDocument& doc);
// The end of every refusal: the document emptied.
TLoadResult RefuseLoad(TImageDocument& doc);

} // namespace orv
