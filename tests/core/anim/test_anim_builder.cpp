#include "core/anim/anim_builder.h"
#include "core/anim/delays.h"

#include "core/anim/anim_frames.h"

#include <gtest/gtest.h>

#include <functional>

using namespace orv;
using namespace orv::anim_test;

namespace {

using TNames = std::vector<std::string>;

// Paths are frame names; a path starting with "bad" is refused; sizes grow with the name.
TFrameLoader Loader(TNames* opened = nullptr) {
    return [opened](const std::string& path) -> std::optional<TLoadedFrame> {
        if (opened) opened->push_back(path);
        if (path.rfind("bad", 0) == 0) return std::nullopt;
        return TLoadedFrame{Frame(path), int32_t(path.size()) * 10, int32_t(path.size())};
    };
}

TAnimBuilder BuilderWith(const TNames& names) {
    TAnimBuilder b;
    b.AddBatch(names, Loader());
    b.Modified = false;
    return b;
}

std::array<int32_t, 3> Slots(const TAnimBuilder& b) {
    return {b.SlotFrame(1), b.SlotFrame(2), b.SlotFrame(3)};
}

using TMarks = std::array<bool, 3>;

} // namespace

TEST(AnimBuilder, BatchIntoAnEmptyBuilderKeepsListOrderAndFillsTheSlots) {
    TAnimBuilder b;
    TNames opened;
    const TBuilderEnabling e = b.AddBatch({"a", "bb", "ccc"}, Loader(&opened));
    EXPECT_EQ(opened, (TNames{"ccc", "bb", "a"})); // the last file is read first
    EXPECT_EQ(Names(b.Frames), (TNames{"a", "bb", "ccc"}));
    EXPECT_EQ(Slots(b), (std::array<int32_t, 3>{0, 1, 2}));
    EXPECT_FALSE(b.ScrollBar.Enabled);
    EXPECT_TRUE(b.Modified);
    EXPECT_EQ(b.AnimWidth, 30); // the size of the last file of the list
    EXPECT_EQ(b.SelectedIndex(), -1);
    TBuilderEnabling expected;
    expected.BitAnim = expected.BitEnr = expected.BitAuto = expected.BitEgual = expected.BitNew = true;
    expected.Image1 = expected.Image2 = expected.Image3 = true;
    EXPECT_EQ(e, expected);

    b.AddBatch({"d"}, Loader());
    EXPECT_EQ(Names(b.Frames), (TNames{"a", "bb", "ccc", "d"}));
    EXPECT_TRUE(b.ScrollBar.Enabled);
    EXPECT_EQ(b.ScrollBar.Max, 1);
}

TEST(AnimBuilder, BatchGoesInFrontOfTheSelectedFrameWhichEndsOnItsFirstFile) {
    TAnimBuilder b = BuilderWith({"f1", "f2", "f3", "f4", "f5"});
    b.SelectSlot(3);
    const TBuilderEnabling e = b.AddBatch({"b1", "b2"}, Loader());
    EXPECT_EQ(Names(b.Frames), (TNames{"f1", "f2", "b1", "b2", "f3", "f4", "f5"}));
    EXPECT_EQ(b.SelectedIndex(), 2);
    EXPECT_EQ(b.Frames[4].Selected, false);
    EXPECT_EQ(e.BitDn, true);
    EXPECT_EQ(b.SlotMarked, (TMarks{false, false, true})); // the highlight stays with its slot
}

TEST(AnimBuilder, BatchWithoutSelectionIsAppendedAndRefusedFilesAreSkipped) {
    TAnimBuilder b = BuilderWith({"f1", "f2"});
    const TBuilderEnabling e = b.AddBatch({"b1", "bad2", "b3", "bad4"}, Loader());
    EXPECT_EQ(Names(b.Frames), (TNames{"f1", "f2", "b1", "b3"}));
    EXPECT_EQ(b.AnimWidth, 20); // from the last file that loaded
    EXPECT_FALSE(e.BitDn.has_value());

    // A cancelled batch changes nothing but still enables what the frames allow.
    TAnimBuilder c = BuilderWith({"f1"});
    const TBuilderEnabling none = c.AddBatch({}, Loader());
    EXPECT_FALSE(c.Modified);
    EXPECT_EQ(none.Image1, true);
    EXPECT_FALSE(none.Image2.has_value());
}

TEST(AnimBuilder, AddingTheCurrentImageLeavesNoFrameSelectedButKeepsTheHighlight) {
    TAnimBuilder b = BuilderWith({"f1", "f2", "f3"});
    b.SelectSlot(2);
    TBuilderEnabling e = b.AddCurrentImage({Frame("cur"), 640, 480});
    EXPECT_EQ(Names(b.Frames), (TNames{"f1", "cur", "f2", "f3"}));
    EXPECT_EQ(b.SelectedIndex(), -1);
    EXPECT_EQ(b.SlotMarked, (TMarks{false, true, false}));
    EXPECT_EQ(e.BitDn, true);
    EXPECT_TRUE(b.ScrollBar.Enabled);
    EXPECT_EQ(b.AnimWidth, 640);

    e = b.AddCurrentImage({Frame("end"), 1, 1});
    EXPECT_EQ(b.Frames.back().Name, "end");
    EXPECT_FALSE(e.BitDn.has_value());
    EXPECT_TRUE(b.Modified);
}

TEST(AnimBuilder, ClickingASlotSelectsItsFrameAndSetsTheButtons) {
    TAnimBuilder b = BuilderWith({"f1", "f2", "f3", "f4"});
    b.Frames[0].Delay = 42;
    TSlotClick click = b.SelectSlot(1);
    EXPECT_EQ(click.SpinValue, 42);
    EXPECT_EQ(click.Enabling.BitUp, false); // the first frame cannot go up
    EXPECT_EQ(click.Enabling.BitDn, true);
    EXPECT_EQ(click.Enabling.BitEfface, true);
    EXPECT_EQ(click.Enabling.SpinInter, true);
    EXPECT_EQ(b.SelectedIndex(), 0);

    click = b.SelectSlot(1); // already marked: the spin edit is left alone
    EXPECT_FALSE(click.SpinValue.has_value());

    b.ScrollTo(1);
    click = b.SelectSlot(3);
    EXPECT_EQ(b.SelectedIndex(), 3);
    EXPECT_EQ(b.SlotMarked, (TMarks{false, false, true}));
    EXPECT_EQ(click.Enabling.BitDn, false); // slot 3 shows the last frame

    TAnimBuilder two = BuilderWith({"f1", "f2"});
    EXPECT_EQ(two.SelectSlot(2).Enabling.BitDn, false);
    EXPECT_EQ(two.SelectSlot(3).SpinValue, std::nullopt); // an empty slot does nothing
    EXPECT_EQ(two.SelectedIndex(), 1);
}

TEST(AnimBuilder, ScrollingMovesTheHighlightWithTheSelectedFrame) {
    TAnimBuilder b = BuilderWith({"f0", "f1", "f2", "f3", "f4", "f5"});
    b.SelectSlot(2);
    const struct {
        int32_t position;
        TMarks marks;
    } steps[] = {{1, {true, false, false}}, {2, {false, false, false}}, {0, {false, true, false}}, {9, {}}};
    for (const auto& s : steps) {
        b.ScrollTo(s.position);
        EXPECT_EQ(b.SlotMarked, s.marks) << s.position;
    }
    EXPECT_EQ(b.FirstShown, 3); // held within the scroll bar's range
}

TEST(AnimBuilder, MovingUpAndDownInEachOfTheirFourCases) {
    const TNames five{"A", "B", "C", "D", "E"};
    const auto up = &TAnimBuilder::MoveUp;
    const auto down = &TAnimBuilder::MoveDown;
    struct TCase {
        const char* name;
        TBuilderEnabling (TAnimBuilder::*move)();
        TNames frames;
        int32_t scroll;
        int slot;         // the thumbnail clicked, or 0:
        int32_t unmarked; // this frame selected with no highlight
        TNames order;
        int32_t firstShown;
        TMarks marks;
        std::optional<bool> up, dn;
    };
    const TCase cases[] = {
        {"up, slot 1 scrolled",
         up,
         five,
         1,
         1,
         -1,
         {"B", "A", "C", "D", "E"},
         0,
         {true, false, false},
         false,
         true},
        {"up, slot 2", up, five, 0, 2, -1, {"B", "A", "C", "D", "E"}, 0, {true, false, false}, false, true},
        {"up, slot 2 scrolled",
         up,
         five,
         1,
         2,
         -1,
         {"A", "C", "B", "D", "E"},
         1,
         {true, false, false},
         {},
         {}},
        {"up, slot 3", up, five, 0, 3, -1, {"A", "C", "B", "D", "E"}, 0, {false, true, false}, {}, true},
        {"up, below the view", up, five, 0, 0, 3, {"A", "B", "D", "C", "E"}, 0, {false, false, true}, {}, {}},
        {"down, slot 3 scrolls",
         down,
         five,
         0,
         3,
         -1,
         {"A", "B", "D", "C", "E"},
         1,
         {false, false, true},
         {},
         {}},
        {"down, slot 3 to the end",
         down,
         {"A", "B", "C", "D"},
         0,
         3,
         -1,
         {"A", "B", "D", "C"},
         1,
         {false, false, true},
         {},
         false},
        {"down, slot 2",
         down,
         {"A", "B", "C"},
         0,
         2,
         -1,
         {"A", "C", "B"},
         0,
         {false, false, true},
         {},
         false},
        {"down, slot 1", down, {"A", "B", "C"}, 0, 1, -1, {"B", "A", "C"}, 0, {false, true, false}, true, {}},
        {"down, slot 1 of two", down, {"A", "B"}, 0, 1, -1, {"B", "A"}, 0, {false, true, false}, true, false},
        {"down, above the view",
         down,
         five,
         2,
         0,
         1,
         {"A", "C", "B", "D", "E"},
         2,
         {true, false, false},
         {},
         {}},
    };
    for (const TCase& c : cases) {
        TAnimBuilder b = BuilderWith(c.frames);
        b.ScrollTo(c.scroll);
        if (c.slot) {
            b.SelectSlot(c.slot);
        } else {
            b.Frames[c.unmarked].Selected = true;
        }
        const std::string moved = b.Frames[b.SelectedIndex()].Name;
        const TBuilderEnabling e = (b.*c.move)();
        EXPECT_EQ(Names(b.Frames), c.order) << c.name;
        EXPECT_EQ(b.FirstShown, c.firstShown) << c.name;
        EXPECT_EQ(b.SlotMarked, c.marks) << c.name;
        EXPECT_EQ(e.BitUp, c.up) << c.name;
        EXPECT_EQ(e.BitDn, c.dn) << c.name;
        EXPECT_EQ(b.Frames[b.SelectedIndex()].Name, moved) << c.name; // the flag travels with the frame
        EXPECT_TRUE(b.Modified) << c.name;
        if (b.ScrollBar.Enabled) {
            EXPECT_EQ(b.ScrollBar.Position, c.firstShown) << c.name;
        }
    }
}

TEST(AnimBuilder, DeletingReMarksAndReselects) {
    struct TCase {
        const char* name;
        TNames frames;
        int32_t scroll;
        int slot;
        TNames left;
        int32_t firstShown;
        TMarks marks;
        std::string selected;
    };
    const TCase cases[] = {
        {"slot 3 at the end scrolls back",
         {"A", "B", "C", "D", "E"},
         2,
         3,
         {"A", "B", "C", "D"},
         1,
         {false, false, true},
         "D"},
        {"slot 1", {"A", "B", "C", "D"}, 0, 1, {"B", "C", "D"}, 0, {true, false, false}, "B"},
        {"slot 2 of two", {"A", "B"}, 0, 2, {"A"}, 0, {true, false, false}, "A"},
        {"slot 2 of four", {"A", "B", "C", "D"}, 1, 2, {"A", "B", "D"}, 0, {false, true, false}, "B"},
        {"slot 3 of three", {"A", "B", "C"}, 0, 3, {"A", "B"}, 0, {false, true, false}, "B"},
    };
    for (const TCase& c : cases) {
        TAnimBuilder b = BuilderWith(c.frames);
        b.ScrollTo(c.scroll);
        b.SelectSlot(c.slot);
        b.DeleteSelected();
        EXPECT_EQ(Names(b.Frames), c.left) << c.name;
        EXPECT_EQ(b.FirstShown, c.firstShown) << c.name;
        EXPECT_EQ(b.SlotMarked, c.marks) << c.name;
        ASSERT_GE(b.SelectedIndex(), 0) << c.name;
        EXPECT_EQ(b.Frames[b.SelectedIndex()].Name, c.selected) << c.name;
        EXPECT_EQ(b.ScrollBar.Enabled, b.Frames.size() > 3) << c.name;
        EXPECT_TRUE(b.Modified) << c.name;
    }
}

TEST(AnimBuilder, DeletingAnUnmarkedFrameNeverLeavesFramesOutOfReach) {
    // Frame 0 selected while the view shows frames 1 to 3.
    TAnimBuilder b = BuilderWith({"A", "B", "C", "D"});
    b.ScrollTo(1);
    b.Frames[0].Selected = true;
    const TBuilderEnabling e = b.DeleteSelected();
    EXPECT_EQ(Names(b.Frames), (TNames{"B", "C", "D"}));
    EXPECT_EQ(b.FirstShown, 0);
    EXPECT_EQ(b.Frames[0].Selected, true); // the next frame takes the selection
    EXPECT_EQ(e.ScrollBar, false);

    // The last frame: its predecessor takes the selection, slot 3 lights up when it shows it.
    TAnimBuilder c = BuilderWith({"A", "B", "C", "D"});
    c.Frames[3].Selected = true;
    c.DeleteSelected();
    EXPECT_EQ(c.SelectedIndex(), 2);
    EXPECT_EQ(c.SlotMarked, (TMarks{false, false, true}));

    // Nothing selected: nothing deleted.
    TAnimBuilder d = BuilderWith({"A"});
    EXPECT_EQ(d.DeleteSelected(), TBuilderEnabling());
    EXPECT_EQ(d.Frames.size(), 1u);
}

TEST(AnimBuilder, DeletingTheOnlyFrameEmptiesEverything) {
    TAnimBuilder b = BuilderWith({"A"});
    b.SelectSlot(1);
    const TBuilderEnabling e = b.DeleteSelected();
    EXPECT_TRUE(b.Frames.empty());
    EXPECT_EQ(Slots(b), (std::array<int32_t, 3>{-1, -1, -1}));
    EXPECT_FALSE(b.Modified);
    EXPECT_EQ(b.SlotMarked, TMarks{});
    for (auto control : {e.Image1, e.Image2, e.Image3, e.BitEfface, e.SpinInter, e.BitAnim, e.BitEnr,
                         e.BitNew, e.BitAuto, e.BitEgual, e.BitUp, e.BitDn})
        EXPECT_EQ(control, false);
}

TEST(AnimBuilder, NewAnimationAndHidingStartAfresh) {
    TAnimBuilder b = BuilderWith({"A", "B", "C", "D", "E"});
    b.ScrollTo(2);
    b.SelectSlot(1);
    b.Modified = true;
    const TBuilderEnabling e = b.NewAnimation();
    EXPECT_TRUE(b.Frames.empty());
    EXPECT_EQ(b.FirstShown, 0);
    EXPECT_FALSE(b.Modified);
    EXPECT_EQ(b.SlotMarked, TMarks{});
    EXPECT_TRUE(b.GifFile);
    EXPECT_EQ(e.ScrollBar, false);
    EXPECT_EQ(e.BitNew, false);
    b.AddCurrentImage({Frame("X"), 1, 1});
    EXPECT_EQ(b.SlotFrame(1), 0); // a new frame is in view

    b.FormHide();
    EXPECT_TRUE(b.Frames.empty());
    EXPECT_FALSE(b.GifFile);
    const TBuilderEnabling shown = b.FormShow(false);
    EXPECT_TRUE(b.GifFile);
    EXPECT_EQ(shown.BitAjout, false);
    EXPECT_FALSE(b.FormShow(true).BitAjout.has_value());
}

TEST(AnimBuilder, PreviewTakesTheCommandsAndGivesThemBack) {
    TAnimBuilder b = BuilderWith({"A", "B"});
    int disabled = 0;
    b.PreviewStarted().ForEach([&](std::string_view, bool on) { disabled += on ? 0 : 1; });
    EXPECT_EQ(disabled, 15); // everything but the delay field

    TBuilderEnabling back = b.PreviewEnded(true);
    EXPECT_EQ(back.Image2, true);
    EXPECT_EQ(back.Image3, false);
    EXPECT_EQ(back.ScrollBar, false);
    EXPECT_EQ(back.BitEfface, false);
    b.SelectSlot(2);
    back = b.PreviewEnded(false);
    EXPECT_EQ(back.BitAjout, false);
    EXPECT_EQ(back.BitUp, true);

    TBuilderEnabling merged = back;
    TBuilderEnabling later;
    later.BitUp = false;
    merged.Merge(later);
    EXPECT_EQ(merged.BitUp, false);
    EXPECT_EQ(merged.BitDn, true);
}

TEST(AnimBuilder, NothingChangesTheFrameListWhilePlayingOrSaving) {
    using TEdit = std::function<TBuilderEnabling(TAnimBuilder&)>;
    const struct {
        const char* name;
        TEdit edit;
    } edits[] = {
        {"batch", [](TAnimBuilder& b) { return b.AddBatch({"x"}, Loader()); }},
        {"current image",
         [](TAnimBuilder& b) {
             return b.AddCurrentImage({Frame("x"), 9, 9});
         }},
        {"up", [](TAnimBuilder& b) { return b.MoveUp(); }},
        {"down", [](TAnimBuilder& b) { return b.MoveDown(); }},
        {"delete", [](TAnimBuilder& b) { return b.DeleteSelected(); }},
        {"new", [](TAnimBuilder& b) { return b.NewAnimation(); }},
    };
    for (bool saving : {false, true})
        for (const auto& e : edits) {
            TAnimBuilder b = BuilderWith({"A", "B", "C"});
            b.SelectSlot(2);
            b.Modified = false;
            if (saving)
                b.SaveStarted();
            else
                b.PreviewStarted();
            EXPECT_EQ(e.edit(b), TBuilderEnabling{}) << e.name;
            EXPECT_EQ(Names(b.Frames), (TNames{"A", "B", "C"})) << e.name;
            EXPECT_FALSE(b.Modified) << e.name;
            // The image windows' rule cannot give "Ajouter l'image courante" back meanwhile.
            EXPECT_FALSE(b.AcceptsEnabling("BitAjout", true)) << e.name;
            EXPECT_TRUE(b.AcceptsEnabling("BitAjout", false)) << e.name;
            EXPECT_TRUE(b.AcceptsEnabling("SpinInter", true)) << e.name;
        }

    // A save that ends during a playback gives nothing back; the playback's end does.
    TAnimBuilder b = BuilderWith({"A"});
    b.Modified = true;
    b.PreviewStarted();
    b.SaveStarted();
    EXPECT_EQ(b.SaveEnded(true, true), TBuilderEnabling{});
    EXPECT_FALSE(b.Modified);
    EXPECT_EQ(b.PreviewEnded(true).BitNew, true);
    EXPECT_TRUE(b.AcceptsEnabling("BitAjout", true));
}

TEST(AnimBuilder, OnlyAWrittenFileClearsModified) {
    for (bool written : {false, true}) {
        TAnimBuilder b = BuilderWith({"A", "B"});
        b.Modified = true;
        b.SaveStarted();
        const TBuilderEnabling back = b.SaveEnded(written, false);
        EXPECT_EQ(b.Modified, !written);
        EXPECT_EQ(back.BitEnr, true);
        EXPECT_EQ(back.Image2, true);
    }
}

TEST(AnimBuilder, DroppingAModifiedAnimationAsksAndGoesOnOnlyWhenNothingIsLost) {
    const struct {
        bool modified, answerYes, saved;
        bool asked, saveTried, goesOn;
    } rows[] = {
        {false, true, false, false, false, true}, // nothing to lose: no question
        {true, false, false, true, false, true},  // "Non": dropped on purpose
        {true, true, true, true, true, true},     // "Oui" and written
        {true, true, false, true, true, false},   // "Oui", then cancelled, declined or failed
    };
    for (const auto& r : rows) {
        TAnimBuilder b = BuilderWith({"A"});
        b.Modified = r.modified;
        bool asked = false, saveTried = false;
        const bool goesOn =
            b.MayDrop([&] { return asked = true, r.answerYes; }, [&] { return saveTried = true, r.saved; });
        EXPECT_EQ(asked, r.asked);
        EXPECT_EQ(saveTried, r.saveTried);
        EXPECT_EQ(goesOn, r.goesOn);
    }
}

TEST(AnimBuilder, DelayCommandsMarkModifiedWhenADelayChanges) {
    const struct {
        const char* name;
        std::function<void(TAnimBuilder&)> command;
        bool modified;
    } rows[] = {
        {"typed, no frame selected", [](TAnimBuilder& b) { b.TypeDelay("40"); }, false},
        {"typed, same delay", [](TAnimBuilder& b) { b.SelectSlot(1), b.TypeDelay("15"); }, false},
        {"typed, new delay", [](TAnimBuilder& b) { b.SelectSlot(1), b.TypeDelay("40"); }, true},
        {"equal, same delays", [](TAnimBuilder& b) { b.EqualDelays(15); }, false},
        {"equal, new delays", [](TAnimBuilder& b) { b.EqualDelays(20); }, true},
        {"auto, two frames alike", [](TAnimBuilder& b) { b.AutoDelays(); }, false},
        {"auto, two frames differ", [](TAnimBuilder& b) { b.Frames[0].Delay = 7, b.AutoDelays(); }, true},
        {"raise short delays, none", [](TAnimBuilder& b) { b.Frames[0].Delay = 2, b.RaiseShortDelays(); },
         false},
        {"raise short delays", [](TAnimBuilder& b) { b.Frames[1].Delay = 1, b.RaiseShortDelays(); }, true},
    };
    for (const auto& r : rows) {
        TAnimBuilder b = BuilderWith({"A", "B"});
        r.command(b);
        EXPECT_EQ(b.Modified, r.modified) << r.name;
        EXPECT_FALSE(IsShortDelay(b.Frames[0].Delay) || IsShortDelay(b.Frames[1].Delay)) << r.name;
    }
}
