// The animation builder without its window: the frame list, which frames the three thumbnail
// slots show, the slot highlights, the selected frame and the scroll bar, and every editing
// operation. The window calls an operation, applies the enabling it returns, and redraws the
// slots from SlotFrame, the highlights from SlotMarked and the scroll bar from ScrollBar.
//
// The highlight belongs to a slot, the Selected flag travels with its frame: they are two
// separate states. FirstShown stays between 0 and the last position the scroll bar can reach.
// While a playback shows the frames or a save writes them, nothing changes the frame list.
#pragma once

#include "core/anim/anim_frame.h"
#include "core/anim/anim_options.h"
#include "core/anim/builder_enabling.h"
#include "core/gif/gif_file.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

// A frame made from a loaded document, with the document's image size.
struct TLoadedFrame {
    TAnimImg Frame;
    int32_t Width = 0;
    int32_t Height = 0;
};

// A frame of the document's picture, with the size the player will give the animation (the
// picture's own when the document has no pixel size, as a bitmap has none). The second form
// takes the document's values. A colour image gives a colour frame, its mosaic debayered with
// `debayer`.
TLoadedFrame LoadedFrame(const TImageDocument& doc, uint16_t delay, TDebayer debayer = TDebayer::Bilinear);
TLoadedFrame LoadedFrame(TImageDocument&& doc, uint16_t delay, TDebayer debayer = TDebayer::Bilinear);

// Opens a batch file and makes its frame; nothing when the file is refused (the loader has
// reported it), and the batch goes on with the next file.
using TFrameLoader = std::function<std::optional<TLoadedFrame>(const std::string& path)>;

struct TScrollBarState {
    bool Enabled = false;
    int32_t Max = 0;
    int32_t Position = 0;
    bool operator==(const TScrollBarState&) const = default;
};

// A thumbnail click: the enabling, and the delay the spin edit then shows (when the slot was
// not marked yet). Setting the spin edit runs its change handler, as typing would.
struct TSlotClick {
    TBuilderEnabling Enabling;
    std::optional<uint16_t> SpinValue;
};

class TAnimBuilder {
  public:
    TAnimBuilder();

    std::vector<TAnimImg> Frames;
    int32_t DefaultDelay = kDefaultDelay;
    int32_t FirstShown = 0;
    int32_t AnimWidth = 0;
    int32_t AnimHeight = 0;
    // What saving would write changed since the last save, new animation or taken-over GIF.
    bool Modified = false;
    // A playback shows the frames; a save writes them.
    bool Playing = false;
    bool Saving = false;
    std::array<bool, 3> SlotMarked{};
    TScrollBarState ScrollBar;
    std::unique_ptr<TGifFile> GifFile;
    // What saving does beyond the frames; kept from one use of the builder to the next.
    TAnimOptions Options;
    // The frames as a playback shows them when the options change the pictures or their order;
    // empty while the playback shows Frames themselves.
    std::vector<TAnimImg> Preview;

    // New options: the animation is modified when it has frames and saving would write
    // something else.
    void SetOptions(const TAnimOptions& options);
    // Before a playback: Preview made as saving would make the frames, or emptied when the
    // options change nothing. The frames left out are returned as "name : reason".
    std::vector<std::string> PreparePreview();
    // What the playback shows.
    const std::vector<TAnimImg>& ShownFrames() const { return Preview.empty() ? Frames : Preview; }

    // The highest index whose frame is selected; -1 when none is.
    int32_t SelectedIndex() const;
    // The frame shown in slot 1, 2 or 3; -1 for an empty slot ("Vide").
    int32_t SlotFrame(int slot) const;

    void MarkSlot(int slot);
    void UnmarkSlot(int slot);
    void ClearSelection();
    // Disabled with 3 frames or fewer; else enabled, maximum count - 3, position FirstShown.
    void UpdateScrollBar();

    // The window is shown / hidden. Hiding frees the frames and the GIF file object.
    TBuilderEnabling FormShow(bool hasCurrentImage);
    void FormHide();

    // "Ajouter un lot d'images" with the full paths of the batch in list order (empty when the
    // batch tool was cancelled). The frames end up contiguous, in list order, appended or in
    // front of the selected frame (the batch's first frame is then selected). afterFrame runs
    // after each frame is placed, for the window to redraw.
    TBuilderEnabling AddBatch(const std::vector<std::string>& paths, const TFrameLoader& load,
                              const std::function<void()>& afterFrame = {});

    // "Ajouter l'image courante": appended, or in front of the selected frame; afterwards no
    // frame is selected while the highlights stay.
    TBuilderEnabling AddCurrentImage(TLoadedFrame loaded);

    // A click on the thumbnail of slot 1, 2 or 3.
    TSlotClick SelectSlot(int slot);

    // The scroll bar moved: the highlight follows the selected frame.
    void ScrollTo(int32_t position);

    // "Déplacer l'image vers le début" / "vers la fin".
    TBuilderEnabling MoveUp();
    TBuilderEnabling MoveDown();

    // "Effacer l'image": the selected frame; nothing when no frame is selected.
    TBuilderEnabling DeleteSelected();
    // The frames whose flag is set (the series table's marked frames), at once; the selection
    // goes, and the animation is modified when one went.
    TBuilderEnabling RemoveFrames(const std::vector<bool>& drop);

    // "Nouvelle Animation": everything emptied (the window has asked about unsaved work).
    TBuilderEnabling NewAnimation();

    // The frames of an animated GIF file read from `path`, "Image 1".."Image n", replace the
    // builder's and start playing: what PreviewStarted returns. The highlights go with the old
    // frames.
    TBuilderEnabling TakeGifAnimation(std::unique_ptr<TGifFile> gif, const std::string& path);

    // An animation that a crash interrupted, made again from its files: it replaces the frames
    // (none selected, the first shown) and the options, and is modified until it is saved.
    TBuilderEnabling Restore(std::vector<TLoadedFrame> frames, const TAnimOptions& options);

    // The delay field's text given to the selected frames; "Délais identiques"; the delays
    // from the observation times; "Porter à 2 centièmes". Modified when a delay changes.
    void TypeDelay(const std::string& spinText);
    void EqualDelays(uint16_t value);
    void AutoDelays();
    void RaiseShortDelays();

    // "Voir l'animation" disables the builder's commands; closing the player gives them back.
    TBuilderEnabling PreviewStarted();
    TBuilderEnabling PreviewEnded(bool imageWindowOpen);
    // A save takes the commands as a playback does; when it ends they come back (unless a
    // playback still runs), and a written file clears Modified.
    TBuilderEnabling SaveStarted();
    TBuilderEnabling SaveEnded(bool written, bool imageWindowOpen);
    bool Locked() const { return Playing || Saving; }
    // Whether an enabling from outside the builder (the image windows' "Ajouter l'image
    // courante") may apply now: while locked, no command the lock took comes back.
    bool AcceptsEnabling(std::string_view control, bool enabled) const;

    // Before a command that drops the animation (a new one, another animation, quitting):
    // whether it may go on. A modified animation asks first; "Oui" saves, and a save that does
    // not happen (cancelled, declined, failed) keeps the animation and cancels the command.
    bool MayDrop(const std::function<bool()>& askToSave, const std::function<bool()>& save) const;

  private:
    int32_t Count() const { return static_cast<int32_t>(Frames.size()); }
    bool Valid(int32_t index) const { return index >= 0 && index < Count(); }
    void Swap(int32_t a, int32_t b);
    void SelectOnly(int32_t index);
    void ClampFirstShown();
    // Frames present: the commands that need one or more frames.
    TBuilderEnabling FramesPresent() const;
    // Every command that needs a frame, or a selected one, disabled.
    static TBuilderEnabling NoFrameCommands();
    // Every command a playback or a save takes, disabled.
    static TBuilderEnabling LockedCommands();
    // The commands as they come back after a playback or a save.
    TBuilderEnabling Unlocked(bool imageWindowOpen) const;
};

} // namespace orv
