// The builder's states around its frame list: the lock held while a playback or a save uses
// the frames, the modified flag of the delay commands, the question before the animation is
// dropped, and an animated GIF taken over as the animation.
#include "core/anim/anim_builder.h"
#include "core/anim/delays.h"
#include "core/anim/frame_compose.h"
#include "core/gif/gif_screens.h"

#include <algorithm>

namespace orv {

namespace {

std::vector<uint16_t> Delays(const std::vector<TAnimImg>& frames) {
    std::vector<uint16_t> delays(frames.size());
    std::transform(frames.begin(), frames.end(), delays.begin(), [](const TAnimImg& f) { return f.Delay; });
    return delays;
}

} // namespace

TBuilderEnabling TAnimBuilder::TakeGifAnimation(std::unique_ptr<TGifFile> gif, const std::string& path) {
    Frames.clear();
    Preview.clear(); // the file plays as it is
    GifFile = std::move(gif);
    for (TAnimImg& frame : GifFrames(*GifFile, path)) {
        AnimWidth = frame.Bitmap.Width;
        AnimHeight = frame.Bitmap.Height;
        Frames.push_back(std::move(frame));
    }
    FirstShown = 0;
    SlotMarked = {};
    // The file as it is on disk: nothing to save yet.
    Modified = false;
    UpdateScrollBar();
    return PreviewStarted();
}

TBuilderEnabling TAnimBuilder::Restore(std::vector<TLoadedFrame> frames, const TAnimOptions& options) {
    if (Locked()) return {};
    Frames.clear();
    Preview.clear();
    for (TLoadedFrame& loaded : frames) {
        loaded.Frame.Selected = false;
        Frames.push_back(std::move(loaded.Frame));
    }
    if (!frames.empty()) {
        AnimWidth = frames.front().Width;
        AnimHeight = frames.front().Height;
    }
    Options = options;
    FirstShown = 0;
    SlotMarked = {};
    Modified = !Frames.empty();
    UpdateScrollBar();
    TBuilderEnabling e = NoFrameCommands();
    e.Merge(FramesPresent());
    e.ScrollBar = ScrollBar.Enabled;
    return e;
}

void TAnimBuilder::TypeDelay(const std::string& spinText) {
    const std::vector<uint16_t> before = Delays(Frames);
    bool ignored = false;
    SpinInterChange(Frames, ignored, spinText);
    if (Delays(Frames) != before) Modified = true;
}

void TAnimBuilder::EqualDelays(uint16_t value) {
    const std::vector<uint16_t> before = Delays(Frames);
    BitEgual(Frames, value);
    if (Delays(Frames) != before) Modified = true;
}

void TAnimBuilder::AutoDelays() {
    const std::vector<uint16_t> before = Delays(Frames);
    bool ignored = false;
    BitAuto(Frames, ignored);
    if (Delays(Frames) != before) Modified = true;
}

void TAnimBuilder::RaiseShortDelays() {
    if (orv::RaiseShortDelays(Frames)) Modified = true;
}

void TAnimBuilder::SetOptions(const TAnimOptions& options) {
    if (options != Options && !Frames.empty()) Modified = true;
    Options = options;
}

std::vector<std::string> TAnimBuilder::PreparePreview() {
    std::vector<std::string> leftOut;
    Preview.clear();
    if (Options != TAnimOptions()) Preview = ComposedFrames(Frames, Options, &leftOut);
    return leftOut;
}

TBuilderEnabling TAnimBuilder::LockedCommands() {
    TBuilderEnabling e;
    e.BitQuit = e.BitSelect = e.BitAjout = e.BitEnr = e.BitEfface = e.BitUp = e.BitDn = false;
    e.BitAuto = e.BitEgual = e.BitNew = e.BitAnim = e.ScrollBar = false;
    e.Image1 = e.Image2 = e.Image3 = false;
    return e;
}

TBuilderEnabling TAnimBuilder::Unlocked(bool imageWindowOpen) const {
    TBuilderEnabling e;
    e.BitQuit = e.BitSelect = e.BitEnr = e.BitNew = e.BitAuto = e.BitEgual = e.BitAnim = true;
    e.BitAjout = imageWindowOpen;
    e.Image1 = Count() >= 1;
    e.Image2 = Count() >= 2;
    e.Image3 = Count() >= 3;
    e.ScrollBar = Count() > 3;
    e.BitEfface = e.BitUp = e.BitDn = SelectedIndex() >= 0;
    return e;
}

TBuilderEnabling TAnimBuilder::PreviewStarted() {
    Playing = true;
    return LockedCommands();
}

TBuilderEnabling TAnimBuilder::PreviewEnded(bool imageWindowOpen) {
    Playing = false;
    Preview.clear();
    return Saving ? TBuilderEnabling{} : Unlocked(imageWindowOpen);
}

TBuilderEnabling TAnimBuilder::SaveStarted() {
    Saving = true;
    return LockedCommands();
}

TBuilderEnabling TAnimBuilder::SaveEnded(bool written, bool imageWindowOpen) {
    Saving = false;
    if (written) Modified = false;
    return Playing ? TBuilderEnabling{} : Unlocked(imageWindowOpen);
}

bool TAnimBuilder::AcceptsEnabling(std::string_view control, bool enabled) const {
    if (!enabled || !Locked()) return true;
    bool taken = false;
    LockedCommands().ForEach([&](std::string_view name, bool) { taken = taken || name == control; });
    return !taken;
}

bool TAnimBuilder::MayDrop(const std::function<bool()>& askToSave, const std::function<bool()>& save) const {
    if (!Modified) return true;
    return !askToSave() || save();
}

} // namespace orv
