// thumbnail: the picture a file manager shows for an image file, as a PNG.
#include "cli/cli.h"

#include "core/base/errors.h"
#include "core/formats/png_writer.h"
#include "core/image/auto_display.h"
#include "core/image/display.h"
#include "core/text/number_text.h"
#include "core/tools/thumbnail.h"

namespace orv::cli {
namespace {

int RunThumbnail(const std::vector<std::string>& argv) {
    const TArgs args = ParseArgs(argv, {"--yes"}, {});
    if (args.Positional.size() != 3) throw EUsage("thumbnail takes FILE OUT.png SIZE");
    int32_t size = 0;
    try {
        size = StrToInt(args.Positional[2]);
    } catch (const EConvertError&) {
    }
    if (size < 1 || size > 4096) throw EUsage("SIZE takes a whole number from 1 to 4096");
    TOneImage image(args);
    // A raw frame's own thresholds often show it black: the preview is the zscale display.
    // A bitmap or GIF keeps its picture.
    ApplyAutoDisplay(image.Doc, TAutoDisplay::ZScale);
    Render(image.Doc);
    TRenderOptions zscale;
    zscale.Auto = TAutoDisplay::ZScale;
    if (const auto colour = ColourDisplay(image.Doc, zscale))
        SavePng(Thumbnail(*colour, size), args.Positional[1]);
    else
        SavePng(Thumbnail(image.Doc, size), args.Positional[1]);
    return 0;
}

const TVerbRegistrar
    kThumbnail({"thumbnail", "a PNG preview of an image, as file managers show it",
                "Usage: orvanel-cli thumbnail FILE OUT.png SIZE [--yes]\n"
                "Writes the picture FILE shows with --auto zscale (see 'orvanel-cli render --help';\n"
                "the first frame of a SER video or a FITS cube, a bitmap or GIF as it is), scaled\n"
                "down to fit within SIZE x SIZE pixels (1 to 4096), each pixel the mean of those it\n"
                "covers, as a PNG file: grey when the picture is grey, else RGB. A smaller picture\n"
                "keeps its size. The installed program is the file manager's thumbnailer for FITS,\n"
                "XISF and SER files. A colour-filter (Bayer) image is shown debayered (bilinear).\n",
                RunThumbnail});

} // namespace
} // namespace orv::cli
