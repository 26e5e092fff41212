// Helper of the alignment peer checks: `orvanel_align_tool stars|wcs FILE...` opens the files
// as orvanel-cli animate does and prints, for each, its move onto the first one ("dx dy") or
// why it is left out ("- reason"), one line a file.
#include "core/anim/steady_series.h"
#include "core/document/open_image.h"

#include <iostream>
#include <string>
#include <vector>

using namespace orv;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "Usage: orvanel_align_tool stars|wcs FILE...\n";
        return 2;
    }
    TAnimOptions options;
    options.Align = ParseAlign(argv[1]).value_or(TAlignMethod::None);
    std::vector<TSteadySample> samples;
    for (int k = 2; k < argc; ++k) {
        TDocumentHost host;
        TImageDocument doc;
        try {
            if (OpenImage(doc, argv[k], host) != TLoadResult::Loaded) throw EOrvanelError("not opened");
            samples.push_back(SteadySampleOf(doc, options));
        } catch (const EOrvanelError& e) {
            samples.push_back({});
            samples.back().Refusal = e.what();
        }
    }
    for (const TFramePlace& f : SteadySeries(samples, options).Frames) {
        if (f.Kept)
            std::cout << f.Aligned.X << " " << f.Aligned.Y << "\n";
        else
            std::cout << "- " << f.Reason << "\n";
    }
    return 0;
}
