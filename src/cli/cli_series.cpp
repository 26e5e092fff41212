// series: the table of a series of images, one line per frame, to weed out the frames that
// depart from the others before an animation is made.
#include "cli/cli.h"

#include "core/anim/anim_writer.h"
#include "core/anim/parallel_for.h"
#include "core/anim/series_table.h"
#include "core/base/errors.h"
#include "core/document/series_frames.h"
#include "core/text/number_text.h"

#include <iostream>

namespace orv::cli {
namespace {

struct TMeasured {
    std::optional<TSeriesRow> Row;
    std::string Report;
};

double FactorOption(const TArgs& args) {
    const auto text = args.Get("--factor");
    if (!text) return kOutlierFactor;
    double factor = 0;
    try {
        factor = StrToFloat(*text);
    } catch (const EConvertError&) {
    }
    if (!(factor > 1 && factor < 1e6)) throw EUsage("--factor takes a real number above 1");
    return factor;
}

std::string OrDash(const std::string& text) {
    return text.empty() ? "-" : text;
}

int RunSeries(const std::vector<std::string>& argv) {
    const TArgs args = ParseArgs(argv, {"--yes"}, {"--factor", "--jobs"});
    if (args.Positional.empty()) throw EUsage("series takes FILE...");
    const double factor = FactorOption(args);
    const unsigned jobs = JobCount(static_cast<unsigned>(WholeOption(args, "--jobs", 1, 256, 0)));
    const bool yes = args.Has("--yes");
    const std::vector<TSeriesFrame> files = ExpandSeries(args.Positional);
    // Each frame is read, measured and released on a worker: memory holds one image per thread.
    std::vector<TMeasured> measured(files.size());
    ParallelFor(files.size(), jobs, [&](size_t k) {
        TMeasured& m = measured[k];
        TCliHost host(yes, &m.Report);
        try {
            TImageDocument doc;
            OpenDocument(doc, files[k].Path, host, files[k].Frame);
            m.Row = TSeriesRow{files[k].Label, FrameFigures(doc), 0};
        } catch (const EOrvanelError& e) {
            if (*e.what() != '\0') m.Report += (m.Report.empty() ? "" : "\n") + std::string(e.what());
        }
    });
    std::vector<TSeriesRow> rows;
    for (const TMeasured& m : measured) {
        if (!m.Report.empty()) std::cerr << m.Report << "\n";
        if (m.Row) rows.push_back(*m.Row);
    }
    if (rows.empty()) throw EOrvanelError("Aucune image pour la série");
    std::cout << "file\ttime\tmedian\tspread\tstars\tmark\n";
    for (const TSeriesRow& r : MarkedRows(std::move(rows), factor))
        std::cout << r.Name << "\t" << OrDash(r.Figures.Time) << "\t" << FormatReal15(r.Figures.Median)
                  << "\t" << FormatReal15(r.Figures.Spread) << "\t" << r.Figures.Stars << "\t"
                  << OrDash(MarkText(r.Marks)) << "\n";
    return 0;
}

const TVerbRegistrar
    kSeries({"series", "a table of a series of images that marks the frames departing from the others",
             "Usage: orvanel-cli series FILE... [--factor F] [--jobs N] [--yes]\n"
             "Prints a header line, then one tab-separated line per FILE, in the order given (per\n"
             "frame of a SER video, per plane of a FITS cube):\n"
             "  file    the name as given; \"NAME (image K)\" for frame K of a video or a cube\n"
             "  time    the observation time (PIC header time, FITS TIME_BEG, CPA acquisition time,\n"
             "          a SER frame's time in the file's trailer), or \"-\"\n"
             "  median  the median of the image's finite values (the sky level), in the units of\n"
             "          the readout (BSCALE and BZERO applied)\n"
             "  spread  1.4826 x the median absolute deviation from the median, in the same units\n"
             "  stars   the local maxima above the median plus 5 spreads: pixels off the image's\n"
             "          edge above that level and above their eight neighbours (a flat top of equal\n"
             "          values counts once); hot pixels count too\n"
             "  mark    \"-\", or the reasons the frame is marked, comma-separated: no-values (no\n"
             "          finite value, or a bitmap or GIF image), flat (a spread of 0), sky, spread,\n"
             "          stars (the figure departs from the series)\n"
             "For each of median, spread and stars, the series' median M is taken over the frames\n"
             "marked neither no-values nor flat; where M is above 0, a frame whose figure is above\n"
             "F x M or below M / F is marked with the figure's name.\n"
             "  --factor F  the factor F, a real number above 1 (default 2)\n"
             "  --jobs N    read and measure on N threads (default: one per core); the table is the\n"
             "              same\n"
             "A file that is refused is reported on standard error and left out; with no line left\n"
             "the exit status is 1.\n",
             RunSeries});

} // namespace
} // namespace orv::cli
