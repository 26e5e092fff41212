// libFuzzer target for an animated GIF opened in the animation builder: the file decoded, its
// frames taken into the builder, played once through, and saved again with the options the
// first byte chooses (bounce, a region from the next bytes). Whatever the bytes, reading
// either succeeds or raises the program's own error, the playback and the save leave out the
// same frames, and the file saved holds every frame kept.
#include "core/anim/anim_builder.h"
#include "core/anim/frame_encode.h"
#include "core/anim/player_state.h"
#include "core/gif/gif_file.h"
#include "core/gif/gif_stream_writer.h"
#include "fuzz_host.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

using namespace orv;

namespace {

constexpr size_t kOptionBytes = 5;

TAnimOptions OptionsOf(const uint8_t* o) {
    TAnimOptions options;
    options.Bounce = (o[0] & 1) != 0;
    if (o[0] & 2) options.Crop = TCropRect{1 + o[1] % 16, 1 + o[2] % 16, 1 + o[3] % 32, 1 + o[4] % 32};
    return options;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const orv::fuzz::TScratchFolder folder;
    if (size < kOptionBytes) return 0;
    auto gif = std::make_unique<TGifFile>();
    try {
        gif->LoadFromMemory({data + kOptionBytes, size - kOptionBytes});
    } catch (const EOrvanelError&) {
        return 0;
    }
    if (gif->SubImages.size() < 2) return 0; // an image window's, not the builder's
    TAnimBuilder builder;
    builder.TakeGifAnimation(std::move(gif), folder.Path + "/taken.gif");
    builder.SetOptions(OptionsOf(data));
    const std::vector<std::string> previewLeftOut = builder.PreparePreview();
    TPlayerState player;
    player.Start();
    for (size_t k = 0; k < builder.ShownFrames().size(); ++k)
        if (!player.Tick(builder.ShownFrames())) std::abort();
    (void)FitToAnimation(builder.AnimWidth, builder.AnimHeight, TScreenMetrics{1920, 1080, 4, 4, 24, 16, 16});

    // Saved as the builder saves (EncodeFrame, then the frames in order with the bounce), on
    // this thread so that a run with a given seed always covers the same code.
    const std::string name = folder.Path + "/anim.gif";
    std::vector<size_t> written;
    std::vector<size_t> order;
    try {
        TGifStreamWriter writer(name);
        for (size_t k = 0; k < builder.Frames.size(); ++k) {
            try {
                writer.Write(EncodeFrame(builder.Frames[k], builder.Options, nullptr),
                             builder.Frames[k].Delay);
                written.push_back(k);
            } catch (const ERegionError&) {
            }
        }
        // The playback shows what the save writes: the same frames are left out.
        if (builder.Frames.size() - written.size() != previewLeftOut.size()) std::abort();
        if (written.empty()) return 0;
        order = FrameOrder(written.size(), builder.Options.Bounce);
        for (size_t j = written.size(); j < order.size(); ++j)
            writer.Repeat(order[j], builder.Frames[written[order[j]]].Delay);
        writer.Commit();
    } catch (const EOrvanelError&) {
        return 0; // a colour count the writer refuses
    }
    TGifFile back;
    back.LoadFromFile(name); // what we write, we read
    if (back.SubImages.size() != order.size()) std::abort();
    return 0;
}
