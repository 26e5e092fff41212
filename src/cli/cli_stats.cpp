// stats: the five figures of the statistics window.
#include "cli/cli.h"

#include "core/base/errors.h"
#include "core/image/debayer.h"
#include "core/image/statistics.h"

#include <iostream>

namespace orv::cli {
namespace {

int RunStats(const std::vector<std::string>& argv) {
    const TArgs args = ParseArgs(argv, {"--yes"}, {"--frame", "--debayer"});
    if (args.Positional.size() != 1) throw EUsage("stats takes one FILE");
    const TDebayer method = DebayerOption(args);
    TOneImage image(args);
    TImageDocument& doc = image.Doc;
    if (doc.PixelType == kPixelNone)
        throw EOrvanelError("Ce document n'a pas de statistiques (image bitmap ou GIF)");
    if (const auto planes = ColourPlanesOf(doc, method)) {
        static const char* const kNames[3] = {"R", "V", "B"};
        for (size_t c = 0; c < 3; ++c)
            for (const auto& [caption, value] :
                 StatisticsRows(ComputeStatistics(planes->Channels[c]), kNames[c]))
                std::cout << caption << " " << value << "\n";
        return 0;
    }
    for (const auto& [caption, value] : StatisticsRows(ComputeStatistics(doc)))
        std::cout << caption << " " << value << "\n";
    return 0;
}

const TVerbRegistrar kStats({"stats", "minimum, maximum, mean, median and deviation of an image",
                             "Usage: orvanel-cli stats FILE [--debayer M] [--frame K] [--yes]\n"
                             "Prints the five lines of the statistics window, caption then value:\n"
                             "minimum, maximum, mean, median, standard deviation. The median counts the\n"
                             "values in -32768..32767 only. Bitmaps and GIF images have none (exit 1).\n"
                             "A colour image gives the five lines for each channel, red, green (V)\n"
                             "then blue, the channel before the colon: \"Intensité minimum (R) : 10\";\n"
                             "the values are those after debayering (--debayer bilinear|superpixel|none\n"
                             "as for render; none: the grey mosaic's five lines).\n"
                             "--frame K: frame K (from 1) of a SER video or a FITS cube (default 1).\n",
                             RunStats});

} // namespace
} // namespace orv::cli
