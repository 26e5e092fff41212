// stats: the five figures of the statistics window.
#include "cli/cli.h"

#include "core/base/errors.h"
#include "core/image/statistics.h"

#include <iostream>

namespace orv::cli {
namespace {

int RunStats(const std::vector<std::string>& argv) {
    const TArgs args = ParseArgs(argv, {"--yes"}, {"--frame"});
    if (args.Positional.size() != 1) throw EUsage("stats takes one FILE");
    TOneImage image(args);
    TImageDocument& doc = image.Doc;
    if (doc.PixelType == kPixelNone)
        throw EOrvanelError("Ce document n'a pas de statistiques (image bitmap ou GIF)");
    for (const auto& [caption, value] : StatisticsRows(ComputeStatistics(doc)))
        std::cout << caption << " " << value << "\n";
    return 0;
}

const TVerbRegistrar kStats({"stats", "minimum, maximum, mean, median and deviation of an image",
                             "Usage: orvanel-cli stats FILE [--frame K] [--yes]\n"
                             "Prints the five lines of the statistics window, caption then value:\n"
                             "minimum, maximum, mean, median, standard deviation. The median counts the\n"
                             "values in -32768..32767 only. Bitmaps and GIF images have none (exit 1).\n"
                             "--frame K: frame K (from 1) of a SER video or a FITS cube (default 1).\n",
                             RunStats});

} // namespace
} // namespace orv::cli
