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
    "  --preset planet|deepsky  apply an automatic preset\n"
    "  --invert             exchange the thresholds (negative)\n"
    "  --stretch linear|sqrt|log|asinh  the display function between the thresholds\n"
    "                       (default linear)\n"
    "  --frame K            frame K (from 1) of a SER video or a FITS cube (default 1)\n"
    "  --yes                answer Yes to \"Voulez vous essayer de l'ouvrir ?\"\n"
    "Options apply in this order: palette, thresholds, preset, inversion.\n";

int RunRender(const std::vector<std::string>& argv) {
    std::vector<std::string> valued = RenderValuedOptions();
    valued.push_back("-o");
    const TArgs args = ParseArgs(argv, {"--yes", "--invert"}, valued);
    if (args.Positional.size() != 1 || !args.Get("-o")) throw EUsage("render takes FILE -o OUT.bmp");
    const TRenderOptions options = RenderOptionsFrom(args);
    TOneImage image(args);
    TImageDocument& doc = image.Doc;
    ApplyRenderOptions(doc, options, image.Host);
    WriteFileAtomically(*args.Get("-o"), doc.DisplayStream);
    return 0;
}

const TVerbRegistrar kRender({"render", "write the displayed picture as an 8-bit bitmap",
                              std::string("Usage: orvanel-cli render FILE -o OUT.bmp [options]\n"
                                          "Writes the display bitmap the window shows, byte for byte.\n") +
                                  kRenderOptionsHelp,
                              RunRender});

} // namespace
} // namespace orv::cli
