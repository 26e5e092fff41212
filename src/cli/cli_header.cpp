// header: the FITS header that saving the document as FITS would write now.
#include "cli/cli.h"

#include "core/base/errors.h"
#include "core/formats/fits_writer.h"

#include <iostream>

namespace orv::cli {
namespace {

int RunHeader(const std::vector<std::string>& argv) {
    const TArgs args = ParseArgs(argv, {"--yes"}, {});
    if (args.Positional.size() != 1) throw EUsage("header takes one FILE");
    TOneImage image(args);
    TImageDocument& doc = image.Doc;
    if (doc.Kind != kKindFits) throw EOrvanelError("Ce document n'est pas une image FITS ou CPA");
    for (const std::string& card : BuildFitsHeaderCards(doc))
        std::cout << card << "\n";
    return 0;
}

const TVerbRegistrar kHeader({"header", "the FITS header that saving as FITS would write",
                              "Usage: orvanel-cli header FILE [--yes]\n"
                              "For a FITS or CPA image: one 80-character card per line, up to END.\n",
                              RunHeader});

} // namespace
} // namespace orv::cli
