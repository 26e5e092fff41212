// Memory of a save from the animation builder: 200 frames of 1024 x 1024 held as the builder
// holds them (the displayed picture and the 16-bit values), then saved as displayed or, with
// "options" as second argument, with one display and stamps ("optimize": as what each frame
// changes; "optimize-options" both; "optimize-tolerance" within 8 levels; "optimize-crop" a
// region binned 2), on the threads a third argument gives (default: one per core). Prints the peak resident
// memory the save adds, in frames (1 MB each) per thread; the target is under 2. One save per process, with
// the memory freed while the frames were made given back first, so that the save's own allocations are what
// the peak counts. Memory, not time, is what it measures.
#include "core/anim/anim_save.h"
#include "core/anim/anim_writer.h"
#include "core/image/display.h"
#include "star_field.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <malloc.h>
#include <string>
#include <unistd.h>

using namespace orv;

namespace {

constexpr int kSide = 1024;
constexpr int kFrames = 200;

// A memory line of /proc/self/status in bytes: VmHWM (the peak since ResetPeak), VmRSS (now).
long StatusBytes(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key + ":", 0) == 0) return std::stol(line.substr(key.size() + 1)) * 1024;
    return -1;
}
void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

} // namespace

int main(int argc, char** argv) {
    const std::string out = argc > 1 ? argv[1] : "/tmp/orvanel-bench-builder.gif";
    std::vector<TAnimImg> frames;
    for (int i = 0; i < kFrames; ++i) {
        const std::vector<int16_t> field = bench::StarField16(kSide, unsigned(i % 8), 30);
        TImageDocument doc;
        doc.Kind = kKindFits;
        doc.PixelType = kPixelInt16;
        doc.ImageWidth = doc.ImageHeight = kSide;
        doc.PixelStore.assign(reinterpret_cast<const uint8_t*>(field.data()),
                              reinterpret_cast<const uint8_t*>(field.data() + field.size()));
        doc.LowThreshold = 1100;
        doc.HighThreshold = 1500 + i;
        doc.Header.DateObs = "2024-03-09";
        doc.Header.TimeBeg = "22:10:" + std::to_string(10 + i % 40);
        Render(doc);
        frames.push_back(MakeFrame(std::move(doc)));
    }
    const unsigned threads = JobCount(argc > 3 ? unsigned(std::stoul(argv[3])) : 0);
    const double frame = double(kSide) * kSide;
    const std::string mode = argc > 2 ? argv[2] : "plain";
    const bool withOptions = mode == "options" || mode == "optimize-options";
    TAnimOptions options;
    options.SameDisplay = options.Stamp = withOptions;
    options.Optimize = mode.rfind("optimize", 0) == 0;
    if (mode == "optimize-tolerance") options.Tolerance = 8;
    if (mode == "optimize-crop") {
        options.Crop = TCropRect{1, 1, kSide, kSide};
        options.Bin = 2;
    }
    ::malloc_trim(0);
    const long before = StatusBytes("VmRSS");
    ResetPeak();
    TProgress none;
    SaveAnimation(frames, out, none, options, threads);
    const long added = StatusBytes("VmHWM") - before;
    // A frame is the frame as written: a region binned 2 is a quarter.
    const double written = frame / double(options.Bin * options.Bin);
    std::printf("%-20s held %.0f MB, the save added %.1f MB at its peak: %.2f frames per thread "
                "(%u threads; target < 2)\n",
                mode == "plain"     ? "as displayed"
                : mode == "options" ? "same display, stamp"
                                    : mode.c_str(),
                double(before) / 1e6, double(added) / 1e6, double(added) / written / threads, threads);
    ::unlink(out.c_str());
    return 0;
}
