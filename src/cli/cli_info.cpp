// info: the document's kind, size, thresholds, file name and caption.
#include "cli/cli.h"

#include "core/image/frame_series.h"
#include "core/text/number_text.h"

#include <iostream>

namespace orv::cli {
namespace {

int RunInfo(const std::vector<std::string>& argv) {
    const TArgs args = ParseArgs(argv, {"--yes"}, {"--auto"});
    if (args.Positional.size() != 1) throw EUsage("info takes one FILE");
    const TRenderOptions display = RenderOptionsFrom(args);
    TOneImage image(args);
    TImageDocument& doc = image.Doc;
    if (display.Any()) ApplyRenderOptions(doc, display, image.Host);
    std::cout << "kind: " << int(doc.Kind) << "\n"
              << "pixel-type: " << int(doc.PixelType) << "\n"
              << "width: " << doc.ImageWidth << "\n"
              << "height: " << doc.ImageHeight << "\n"
              << "high-threshold: " << FormatReal15(doc.HighThreshold) << "\n"
              << "low-threshold: " << FormatReal15(doc.LowThreshold) << "\n"
              << "file-name: " << doc.FileName << "\n"
              << "caption: " << doc.Caption << "\n";
    // The file's own lines first, then those the display options add.
    if (doc.Series) std::cout << "frames: " << doc.Series->Count() << "\n";
    if (display.Auto)
        std::cout << "display-function: " << DisplayFunctionName(doc.DisplayFunction) << "\n"
                  << "midtones-balance: " << FormatReal15(doc.MidtonesBalance) << "\n";
    return 0;
}

const TVerbRegistrar kInfo({"info", "kind, size, thresholds, file name and caption of an image",
                            "Usage: orvanel-cli info FILE [--auto zscale|mtf] [--yes]\n"
                            "Prints key: value lines: kind, pixel-type, width, height, high-threshold,\n"
                            "low-threshold, file-name, caption; then, for a SER video or a FITS cube,\n"
                            "frames (their number). The file name of a frame of a series is the name it\n"
                            "is saved under (capture_001.fit), never the series' own file.\n"
                            "  --auto zscale|mtf  the thresholds are those of the automatic display\n"
                            "                     (see 'orvanel-cli render --help'; of the first frame\n"
                            "                     of a series), and two lines follow the others:\n"
                            "                     display-function (linear or mtf) and\n"
                            "                     midtones-balance (the balance b of mtf)\n",
                            RunInfo});

} // namespace
} // namespace orv::cli
