// animate: one frame per file, in the order given, saved as an animated GIF.
#include "cli/cli.h"

#include "core/anim/anim_frame.h"
#include "core/anim/anim_save.h"
#include "core/anim/delays.h"
#include "core/base/errors.h"
#include "core/text/number_text.h"

#include <iostream>

namespace orv::cli {
namespace {

uint16_t DelayOption(const std::string& text) {
    int32_t delay = 0;
    try {
        delay = StrToInt(text);
    } catch (const EConvertError&) {
        throw EUsage("--delay takes a whole number of hundredths of a second");
    }
    if (delay < 0 || delay > 65535) throw EUsage("--delay takes a value from 0 to 65535");
    return static_cast<uint16_t>(delay);
}

int RunAnimate(const std::vector<std::string>& argv) {
    const TArgs args =
        ParseArgs(argv, {"--yes", "--auto-delays"}, {"-o", "--delay", "--preset", "--palette", "--stretch"});
    if (args.Positional.empty() || !args.Get("-o")) throw EUsage("animate takes FILE... -o OUT.gif");
    const uint16_t delay = args.Get("--delay") ? DelayOption(*args.Get("--delay")) : kDefaultDelay;
    TRenderOptions options;
    options.Palette = args.Get("--palette");
    options.Preset = args.Get("--preset");
    if (options.Preset && *options.Preset != "planet" && *options.Preset != "deepsky")
        throw EUsage("--preset takes planet or deepsky");
    options.Stretch = StretchOption(args);

    TCliHost host(args.Has("--yes"));
    std::vector<TAnimImg> frames;
    for (const std::string& path : args.Positional) {
        // A refused file leaves the others: it is reported and the animation goes on without it.
        try {
            TImageDocument doc;
            OpenDocument(doc, path, host);
            if (options.Palette || options.Preset || options.Stretch) ApplyRenderOptions(doc, options, host);
            frames.push_back(MakeFrame(doc, delay));
        } catch (const EOrvanelError& e) {
            if (*e.what() != '\0') std::cerr << e.what() << "\n";
        }
    }
    if (frames.empty()) throw EOrvanelError("Aucune image pour l'animation");

    if (args.Has("--auto-delays")) {
        bool modified = false;
        BitAuto(frames, modified);
    }
    TProgress progress([&host](const std::string& label, float fraction) { host.Progress(label, fraction); });
    SaveAnimation(frames, AnimationFileName(*args.Get("-o")), progress);
    return 0;
}

const TVerbRegistrar
    kAnimate({"animate", "make an animated GIF, one frame per image",
              "Usage: orvanel-cli animate FILE... -o OUT.gif [--delay N] [--auto-delays]\n"
              "                           [--preset planet|deepsky] [--palette FILE.pal]\n"
              "                           [--stretch linear|sqrt|log|asinh] [--yes]\n"
              "Makes one frame per FILE, in the order given, from the picture the program displays,\n"
              "and writes them as an animated GIF that loops without end. OUT without an extension\n"
              "gets \".gif\"; an existing OUT is replaced.\n"
              "  --delay N       every frame's delay in hundredths of a second (default 15)\n"
              "  --auto-delays   derive the delays from the observation times (PIC header time,\n"
              "                  FITS TIME_BEG, CPA acquisition time): the first frame keeps its delay\n"
              "                  and the others are shown in proportion to the time to the next one\n"
              "  --palette F     apply a palette file to each image first\n"
              "  --preset P      apply the planet or deepsky display preset to each image first\n"
              "  --stretch F     display each image with the function F (linear, sqrt, log, asinh)\n"
              "A file that is refused (or that the options cannot apply to) is reported on standard\n"
              "error and left out; with no frame left the exit status is 1.\n",
              RunAnimate});

} // namespace
} // namespace orv::cli
