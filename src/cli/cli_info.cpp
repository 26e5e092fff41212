// info: the document's kind, size, thresholds, file name and caption.
#include "cli/cli.h"

#include "core/image/frame_series.h"
#include "core/text/number_text.h"

#include <iostream>

namespace orv::cli {
namespace {

int RunInfo(const std::vector<std::string>& argv) {
    const TArgs args = ParseArgs(argv, {"--yes"}, {});
    if (args.Positional.size() != 1) throw EUsage("info takes one FILE");
    TOneImage image(args);
    TImageDocument& doc = image.Doc;
    std::cout << "kind: " << int(doc.Kind) << "\n"
              << "pixel-type: " << int(doc.PixelType) << "\n"
              << "width: " << doc.ImageWidth << "\n"
              << "height: " << doc.ImageHeight << "\n"
              << "high-threshold: " << FormatReal15(doc.HighThreshold) << "\n"
              << "low-threshold: " << FormatReal15(doc.LowThreshold) << "\n"
              << "file-name: " << doc.FileName << "\n"
              << "caption: " << doc.Caption << "\n";
    if (doc.Series) std::cout << "frames: " << doc.Series->Count() << "\n";
    return 0;
}

const TVerbRegistrar kInfo({"info", "kind, size, thresholds, file name and caption of an image",
                            "Usage: orvanel-cli info FILE [--yes]\n"
                            "Prints key: value lines: kind, pixel-type, width, height, high-threshold,\n"
                            "low-threshold, file-name, caption; then, for a SER video or a FITS cube,\n"
                            "frames (their number). The file name of a frame of a series is the name it\n"
                            "is saved under (capture_001.fit), never the series' own file.\n",
                            RunInfo});

} // namespace
} // namespace orv::cli
