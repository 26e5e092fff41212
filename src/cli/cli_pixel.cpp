// pixel: the status bar's readout for one pixel.
#include "cli/cli.h"

#include "core/base/errors.h"
#include "core/image/debayer.h"
#include "core/image/readout.h"
#include "core/text/number_text.h"

#include <iostream>

namespace orv::cli {
namespace {

int32_t Coordinate(const std::string& text, const char* name) {
    try {
        return StrToInt(text);
    } catch (const EConvertError&) {
        throw EUsage(std::string(name) + " must be a whole number");
    }
}

int RunPixel(const std::vector<std::string>& argv) {
    const TArgs args = ParseArgs(argv, {"--yes"}, {"--frame", "--debayer"});
    if (args.Positional.size() != 3) throw EUsage("pixel takes FILE X Y");
    const int32_t x = Coordinate(args.Positional[1], "X");
    const int32_t y = Coordinate(args.Positional[2], "Y");
    const TDebayer method = DebayerOption(args);
    TOneImage image(args);
    TImageDocument& doc = image.Doc;
    if (doc.Kind != kKindPic && doc.Kind != kKindFits)
        throw EOrvanelError("Ce document n'a pas de lecture de pixel (image bitmap ou GIF)");
    // A colour image's picture may be smaller than its mosaic (superpixel).
    const bool colour = ShownInColour(doc, method);
    const TSize size = colour ? ColourPictureSize(doc, method) : TSize{doc.ImageWidth, doc.ImageHeight};
    if (x < 1 || x > size.Width || y < 1 || y > size.Height)
        throw EUsage("X must be in 1.." + std::to_string(size.Width) + " and Y in 1.." +
                     std::to_string(size.Height));
    // Back to the image control's coordinates: 0 at the left and top edges.
    const auto readout = colour ? ColourReadout(doc, method, x - 1, size.Height - y)
                                : PixelReadout(doc, x - 1, doc.ImageHeight - y);
    if (!readout) throw EOrvanelError("Ce document n'a pas de lecture de pixel");
    std::cout << readout->X << "\n" << readout->Y << "\n" << readout->Intensity << "\n";
    if (!readout->RightAscension.empty())
        std::cout << readout->RightAscension << "\n" << readout->Declination << "\n";
    return 0;
}

const TVerbRegistrar
    kPixel({"pixel", "the status bar's coordinates and intensity of one pixel",
            "Usage: orvanel-cli pixel FILE X Y [--debayer M] [--frame K] [--yes]\n"
            "X and Y count from 1, X from the left and Y from the bottom, as the status bar\n"
            "shows them. Prints the three panel texts \"X : \", \"Y : \", \"Intensité : \"\n"
            "(FITS values with BSCALE and BZERO applied), then \"AD : \" and \"Dec : \", the\n"
            "sky coordinates of the pixel's centre, when the header describes them (WCS).\n"
            "A colour image gives its three values, red, green and blue, after debayering:\n"
            "\"Intensité : 1234 / 2345.5 / 3456\"; --debayer bilinear|superpixel|none as for\n"
            "render (superpixel: X and Y count the 2 x 2 cells, and no AD and Dec lines).\n"
            "--frame K reads frame K (from 1) of a SER video or a FITS cube (default 1).\n"
            "Out-of-range X, Y or K: exit 2;\n"
            "bitmaps and GIF images have no readout: exit 1.\n",
            RunPixel});

} // namespace
} // namespace orv::cli
