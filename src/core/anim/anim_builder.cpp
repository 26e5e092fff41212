#include "core/anim/anim_builder.h"

#include <algorithm>
#include <utility>

namespace orv {

namespace {

TLoadedFrame WithPictureSize(TLoadedFrame loaded) {
    if (loaded.Width <= 0 || loaded.Height <= 0) {
        loaded.Width = loaded.Frame.Bitmap.Width;
        loaded.Height = loaded.Frame.Bitmap.Height;
    }
    return loaded;
}

} // namespace

TLoadedFrame LoadedFrame(const TImageDocument& doc, uint16_t delay, TDebayer debayer) {
    const TSize size = ColourPictureSize(doc, debayer);
    return WithPictureSize({MakeFrame(doc, delay, debayer), size.Width, size.Height});
}

TLoadedFrame LoadedFrame(TImageDocument&& doc, uint16_t delay, TDebayer debayer) {
    const TSize size = ColourPictureSize(doc, debayer);
    return WithPictureSize({MakeFrame(std::move(doc), delay, debayer), size.Width, size.Height});
}

TAnimBuilder::TAnimBuilder() : GifFile(std::make_unique<TGifFile>()) {}

int32_t TAnimBuilder::SelectedIndex() const {
    for (int32_t i = Count() - 1; i >= 0; --i)
        if (Frames[i].Selected) return i;
    return -1;
}

int32_t TAnimBuilder::SlotFrame(int slot) const {
    const int32_t index = FirstShown + slot - 1;
    return slot >= 1 && slot <= 3 && Valid(index) ? index : -1;
}

void TAnimBuilder::MarkSlot(int slot) {
    if (slot >= 1 && slot <= 3) SlotMarked[slot - 1] = true;
}

void TAnimBuilder::UnmarkSlot(int slot) {
    if (slot >= 1 && slot <= 3) SlotMarked[slot - 1] = false;
}

void TAnimBuilder::ClearSelection() {
    for (TAnimImg& f : Frames)
        f.Selected = false;
}

void TAnimBuilder::UpdateScrollBar() {
    if (Count() <= 3) {
        ScrollBar.Enabled = false;
        return;
    }
    ScrollBar = {true, Count() - 3, FirstShown};
}

void TAnimBuilder::Swap(int32_t a, int32_t b) {
    if (Valid(a) && Valid(b)) std::swap(Frames[a], Frames[b]);
}

void TAnimBuilder::SelectOnly(int32_t index) {
    ClearSelection();
    if (Valid(index)) Frames[index].Selected = true;
}

void TAnimBuilder::ClampFirstShown() {
    // Past the last scroll position the frames before FirstShown could never be shown again.
    FirstShown = std::clamp(FirstShown, 0, std::max(0, Count() - 3));
}

TBuilderEnabling TAnimBuilder::FramesPresent() const {
    TBuilderEnabling e;
    if (Frames.empty()) return e;
    e.BitAnim = e.BitEnr = e.BitAuto = e.BitEgual = e.BitNew = e.Image1 = true;
    if (Count() > 1) e.Image2 = true;
    if (Count() > 2) e.Image3 = true;
    return e;
}

TBuilderEnabling TAnimBuilder::FormShow(bool hasCurrentImage) {
    GifFile = std::make_unique<TGifFile>();
    DefaultDelay = kDefaultDelay;
    SlotMarked = {};
    ScrollBar.Enabled = false;
    TBuilderEnabling e;
    e.Image1 = e.Image2 = e.Image3 = e.ScrollBar = false;
    e.BitAnim = e.BitEnr = e.BitUp = e.BitDn = false;
    if (!hasCurrentImage) e.BitAjout = false;
    e.BitEfface = e.BitAuto = e.BitEgual = e.BitNew = e.SpinInter = false;
    // Frames taken over from a GIF file while the window was hidden are shown, not hidden
    // behind empty slots where a batch would be added after them unseen.
    ClearSelection();
    ClampFirstShown();
    UpdateScrollBar();
    e.ScrollBar = ScrollBar.Enabled;
    e.Merge(FramesPresent());
    if (Locked()) e.Merge(LockedCommands());
    return e;
}

void TAnimBuilder::FormHide() {
    Frames.clear();
    Preview.clear();
    GifFile.reset();
    FirstShown = 0;
    ScrollBar.Enabled = false;
}

TBuilderEnabling TAnimBuilder::AddBatch(const std::vector<std::string>& paths, const TFrameLoader& load,
                                        const std::function<void()>& afterFrame) {
    TBuilderEnabling e;
    if (Locked()) return e;
    const bool wasEmpty = Frames.empty();
    if (wasEmpty) FirstShown = 0;
    if (!paths.empty()) {
        Modified = true;
        const int32_t selected = wasEmpty ? -1 : SelectedIndex();
        // Every frame goes in front of the one placed before it: the batch keeps its order.
        const int32_t at = selected >= 0 ? selected : Count();
        bool first = true;
        for (size_t i = paths.size(); i-- > 0;) {
            std::optional<TLoadedFrame> loaded = load(paths[i]);
            if (!loaded) continue;
            if (first) {
                AnimWidth = loaded->Width;
                AnimHeight = loaded->Height;
                if (selected >= 0) e.BitDn = true;
                first = false;
            }
            loaded->Frame.Selected = false;
            Frames.insert(Frames.begin() + at, std::move(loaded->Frame));
            if (selected >= 0) SelectOnly(at);
            ScrollBar.Enabled = Count() > 3;
            if (ScrollBar.Enabled) ScrollBar.Max = Count() - 3;
            if (afterFrame) afterFrame();
        }
    }
    e.Merge(FramesPresent());
    return e;
}

TBuilderEnabling TAnimBuilder::AddCurrentImage(TLoadedFrame loaded) {
    TBuilderEnabling e;
    if (Locked()) return e;
    if (Frames.empty()) FirstShown = 0;
    Modified = true;
    AnimWidth = loaded.Width;
    AnimHeight = loaded.Height;
    const int32_t selected = SelectedIndex();
    loaded.Frame.Selected = false;
    if (selected < 0) {
        Frames.push_back(std::move(loaded.Frame));
    } else {
        Frames.insert(Frames.begin() + selected, std::move(loaded.Frame));
        e.BitDn = true;
    }
    ClearSelection();
    UpdateScrollBar();
    e.Merge(FramesPresent());
    return e;
}

TSlotClick TAnimBuilder::SelectSlot(int slot) {
    TSlotClick click;
    const int32_t index = SlotFrame(slot);
    if (index < 0) return click;
    TBuilderEnabling& e = click.Enabling;
    if (!SlotMarked[slot - 1]) {
        ClearSelection();
        SlotMarked = {};
        MarkSlot(slot);
        Frames[index].Selected = true;
        click.SpinValue = Frames[index].Delay;
        if (slot == 1) e.BitEfface = true;
    }
    if (slot == 1) {
        if (Count() >= 2) {
            e.BitUp = FirstShown != 0;
            e.BitDn = e.BitNew = true;
        }
    } else {
        e.BitUp = e.BitEfface = e.BitNew = true;
        e.BitDn = slot == 2 ? Count() > 2 : FirstShown + 3 != Count();
    }
    e.SpinInter = true;
    return click;
}

void TAnimBuilder::ScrollTo(int32_t position) {
    for (int slot = 1; slot <= 3; ++slot)
        if (SlotFrame(slot) >= 0 && Frames[SlotFrame(slot)].Selected) UnmarkSlot(slot);
    FirstShown = std::clamp(position, 0, std::max(0, Count() - 3));
    ScrollBar.Position = FirstShown;
    for (int slot = 1; slot <= 3; ++slot)
        if (SlotFrame(slot) >= 0 && Frames[SlotFrame(slot)].Selected) MarkSlot(slot);
}

TBuilderEnabling TAnimBuilder::MoveUp() {
    TBuilderEnabling e;
    if (Locked()) return e;
    Modified = true;
    // The cases are tried in turn; none of them makes a later one apply.
    if (SlotMarked[0] && FirstShown > 0) {
        --FirstShown;
        UpdateScrollBar();
        Swap(FirstShown, FirstShown + 1);
        UnmarkSlot(2);
        MarkSlot(1);
        if (FirstShown == 0) e.BitUp = false, e.BitDn = true;
    }
    if (SlotMarked[1] && Valid(FirstShown + 1)) {
        Swap(FirstShown, FirstShown + 1);
        UnmarkSlot(2);
        MarkSlot(1);
        if (FirstShown == 0) e.BitUp = false, e.BitDn = true;
    }
    if (SlotMarked[2] && Valid(FirstShown + 2)) {
        Swap(FirstShown + 1, FirstShown + 2);
        UnmarkSlot(3);
        MarkSlot(2);
        e.BitDn = true;
    }
    const int32_t s = SelectedIndex();
    if (SlotMarked == std::array<bool, 3>{} && s > 0) {
        Swap(s, s - 1);
        if (s - 1 == FirstShown + 2) {
            UpdateScrollBar();
            MarkSlot(3);
        }
    }
    return e;
}

TBuilderEnabling TAnimBuilder::MoveDown() {
    TBuilderEnabling e;
    if (Locked()) return e;
    Modified = true;
    if (SlotMarked[2] && FirstShown < Count() - 3) {
        ++FirstShown;
        UpdateScrollBar();
        Swap(FirstShown + 1, FirstShown + 2);
        UnmarkSlot(2);
        MarkSlot(3);
        if (FirstShown + 3 == Count()) e.BitDn = false;
    }
    if (SlotMarked[1] && Valid(FirstShown + 2)) {
        Swap(FirstShown + 1, FirstShown + 2);
        UnmarkSlot(2);
        MarkSlot(3);
        if (FirstShown + 3 == Count()) e.BitDn = false;
    }
    if (SlotMarked[0] && Valid(FirstShown + 1)) {
        Swap(FirstShown, FirstShown + 1);
        UnmarkSlot(1);
        MarkSlot(2);
        e.BitUp = true;
        if (FirstShown + 2 == Count()) e.BitDn = false;
    }
    const int32_t s = SelectedIndex();
    if (SlotMarked == std::array<bool, 3>{} && s >= 0 && s + 1 < Count()) {
        Swap(s, s + 1);
        if (s + 1 == FirstShown) {
            UpdateScrollBar();
            MarkSlot(1);
        }
    }
    return e;
}

TBuilderEnabling TAnimBuilder::DeleteSelected() {
    TBuilderEnabling e;
    if (Locked()) return e;
    const int32_t s = SelectedIndex();
    if (s < 0) return e;
    Modified = true;
    Frames.erase(Frames.begin() + s);
    const int32_t n = Count();
    int marked = 0;
    for (int slot = 3; slot >= 1; --slot)
        if (SlotMarked[slot - 1]) marked = slot;
    if (marked != 0) {
        if (n - 2 == FirstShown) --FirstShown;
        SlotMarked = {};
    } else if (n > 0) {
        Frames[s > n - 2 ? n - 1 : s].Selected = true;
    }
    ClampFirstShown();
    UpdateScrollBar();
    switch (marked) {
    case 0:
        if (n > 0 && SelectedIndex() == FirstShown + 2) MarkSlot(3);
        break;
    case 1:
        if (n > 0) MarkSlot(1), SelectOnly(FirstShown);
        break;
    case 2:
        if (n > 1)
            MarkSlot(2), SelectOnly(FirstShown + 1);
        else if (n == 1)
            MarkSlot(1), SelectOnly(FirstShown);
        break;
    default:
        if (n > 2) {
            MarkSlot(3), SelectOnly(FirstShown + 2);
        } else if (n == 2) {
            MarkSlot(2), SelectOnly(FirstShown + 1);
            e.BitDn = false;
        }
        break;
    }
    e.ScrollBar = n > 3;
    if (n < 3) e.Image3 = false;
    if (n < 2) e.Image2 = e.BitAuto = e.BitEgual = e.BitUp = e.BitDn = false;
    if (n == 0) {
        Modified = false;
        e.Image1 = e.BitEfface = e.SpinInter = e.BitAnim = e.BitEnr = e.BitNew = false;
    }
    return e;
}

TBuilderEnabling TAnimBuilder::NewAnimation() {
    if (Locked()) return {};
    GifFile = std::make_unique<TGifFile>();
    Frames.clear();
    SlotMarked = {};
    FirstShown = 0;
    ScrollBar.Enabled = false;
    Modified = false;
    return NoFrameCommands();
}

TBuilderEnabling TAnimBuilder::RemoveFrames(const std::vector<bool>& drop) {
    TBuilderEnabling e;
    if (Locked()) return e;
    std::vector<TAnimImg> kept;
    for (size_t k = 0; k < Frames.size(); ++k)
        if (k >= drop.size() || !drop[k]) kept.push_back(std::move(Frames[k]));
    if (kept.size() == Frames.size()) {
        Frames = std::move(kept);
        return e;
    }
    Modified = true;
    Frames = std::move(kept);
    ClearSelection();
    SlotMarked = {};
    ClampFirstShown();
    UpdateScrollBar();
    e = NoFrameCommands();
    e.Merge(FramesPresent());
    e.ScrollBar = Count() > 3;
    return e;
}

TBuilderEnabling TAnimBuilder::NoFrameCommands() {
    TBuilderEnabling e;
    e.BitAnim = e.BitEnr = e.BitAuto = e.BitEgual = e.BitNew = e.BitUp = e.BitDn = e.BitEfface = false;
    e.ScrollBar = e.SpinInter = e.Image1 = e.Image2 = e.Image3 = false;
    return e;
}

} // namespace orv
