// render: the display bitmap, byte for byte.
#include "cli/cli.h"

#include "core/base/file_io.h"

namespace orv::cli {
namespace {

const char* const kRenderOptionsHelp =
    "  --palette FILE.pal   apply a palette file (one that is not a palette: warning, exit 1)\n"
    "  --low V, --high V    set the thresholds as typing them and pressing Enter does: real\n"
    "                       numbers such as 2.25; a text that is not a number fails with\n"
    "                       \"... n'est pas une valeur entière correcte\" (exit 1)\n"
    "  --preset planet|deepsky  apply an automatic preset (on a colour picture, from its\n"
    "                       channels: the lowest median, the highest maximum or median plus\n"
    "                       two deviations)\n"
    "  --invert             exchange the thresholds (negative)\n"
    "  --stretch linear|sqrt|log|asinh  the display function between the thresholds\n"
    "                       (default linear)\n"
    "  --auto zscale|mtf    an automatic display from the image's finite values:\n"
    "                       zscale: the thresholds astropy's ZScaleInterval() gives with its\n"
    "                       defaults (samples of the values in stored order, a line fitted to\n"
    "                       them sorted), linear display unless --stretch says otherwise;\n"
    "                       mtf: with m the median and s = 1.4826 x the median absolute\n"
    "                       deviation, low = max(minimum, m - 2.8 s), high = the maximum, and\n"
    "                       the midtones transfer function MTF(t) = (b - 1) t / ((2b - 1) t - b)\n"
    "                       with the balance b that shows the median at level 64. An image\n"
    "                       of one value gets it as both thresholds; one without a finite\n"
    "                       value keeps its own thresholds. Not with --low, --high, --preset\n"
    "                       (nor --stretch for mtf)\n"
    "  --debayer bilinear|superpixel|none  how a colour-filter (Bayer) image is shown:\n"
    "                       bilinear (the default) gives each pixel the mean of each other\n"
    "                       colour among its eight neighbours, superpixel makes each 2 x 2\n"
    "                       cell one pixel (half the width and height), none shows the grey\n"
    "                       mosaic. A colour image (Bayer or three planes) is written as a\n"
    "                       24-bit bitmap, each channel through the same thresholds; it has\n"
    "                       no palette: --palette fails (exit 1); --auto computes one pair of\n"
    "                       thresholds (and one mtf balance) per channel\n"
    "  --frame K            frame K (from 1) of a SER video or a FITS cube (default 1); the\n"
    "                       automatic display is that frame's\n"
    "  --yes                answer Yes to \"Voulez vous essayer de l'ouvrir ?\"\n"
    "Options apply in this order: palette, thresholds, preset or automatic display, display\n"
    "function, inversion.\n";

int RunRender(const std::vector<std::string>& argv) {
    std::vector<std::string> valued = RenderValuedOptions();
    valued.push_back("-o");
    const TArgs args = ParseArgs(argv, {"--yes", "--invert"}, valued);
    if (args.Positional.size() != 1 || !args.Get("-o")) throw EUsage("render takes FILE -o OUT.bmp");
    const TRenderOptions options = RenderOptionsFrom(args);
    TOneImage image(args);
    TImageDocument& doc = image.Doc;
    ApplyRenderOptions(doc, options, image.Host);
    if (const auto colour = ColourDisplay(doc, options))
        WriteFileAtomically(*args.Get("-o"), colour->ToBmpFile());
    else
        WriteFileAtomically(*args.Get("-o"), doc.DisplayStream);
    return 0;
}

const TVerbRegistrar kRender({"render", "write the displayed picture as a bitmap",
                              std::string("Usage: orvanel-cli render FILE -o OUT.bmp [options]\n"
                                          "Writes the display bitmap the window shows, byte for byte: 8-bit\n"
                                          "for a grey image, 24-bit for a colour one.\n") +
                                  kRenderOptionsHelp,
                              RunRender});

} // namespace
} // namespace orv::cli
