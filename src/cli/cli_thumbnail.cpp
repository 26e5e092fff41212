// thumbnail: the picture a file manager shows for an image file, as a PNG.
#include "cli/cli.h"

#include "core/base/errors.h"
#include "core/formats/png_writer.h"
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
    SavePng(Thumbnail(image.Doc, size), args.Positional[1]);
    return 0;
}

const TVerbRegistrar
    kThumbnail({"thumbnail", "a PNG preview of an image, as file managers show it",
                "Usage: orvanel-cli thumbnail FILE OUT.png SIZE [--yes]\n"
                "Writes the picture the program displays for FILE (the file's own thresholds; the\n"
                "first frame of a SER video or a FITS cube), scaled down to fit within SIZE x SIZE\n"
                "pixels (1 to 4096), each pixel the mean of those it covers, as a PNG file: grey\n"
                "when the picture is grey, else RGB. A smaller picture keeps its size. The\n"
                "installed program is the file manager's thumbnailer for FITS, XISF and SER files.\n",
                RunThumbnail});

} // namespace
} // namespace orv::cli
