// The recovery file: what it keeps comes back exactly, anything it could not have written gives
// nothing, and the files of programs that no longer run are the ones found.
#include "core/anim/recovery.h"
#include "core/anim/recovery_store.h"

#include "core/base/file_io.h"
#include "core/image/display.h"
#include "core/image/document_builder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace orv;

namespace {

TDisplaySettings Display(double high, double low, TDisplayFunction function) {
    TDisplaySettings d;
    d.HighThreshold = high;
    d.LowThreshold = low;
    d.DisplayFunction = function;
    for (size_t i = 0; i < 256; ++i)
        d.Palette[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)};
    return d;
}

TRecoveryState RichState() {
    TRecoveryState s;
    s.Owner = {4242, 987654321, "0b5e3c1a-77f1-4c0e-9a3d-2f1e9c8b7a65"};
    s.Options.SameDisplay = true;
    s.Options.Crop = TCropRect{17, 16, 361, 216};
    s.Options.Bin = 3;
    s.Options.Bounce = true;
    s.Options.Align = TAlignMethod::Sky;
    s.Options.Normalize = true;
    s.Options.Track = TTrack{81, 169.5, -141.25, 1e-7};
    s.Frames = {
        {"/data/night one/comet01.fit", -1, 15, Display(1600, 950.25, TDisplayFunction::Asinh)},
        {"/data/anim.gif", 2, 65535, std::nullopt},
        {"/data/odd\\name\nwith lines\r.pic", -1, 0, Display(-0.001, 1e-300, TDisplayFunction::Linear)},
    };
    s.Images = {{"/data/m31.fits.fz", Display(30000, -32768, TDisplayFunction::Log), TZoom{1, 4}},
                {"/data/saturn.pic", Display(12.5, 2.25, TDisplayFunction::Sqrt), TZoom{16, 1}},
                {"/data/jupiter.ser", Display(200, 10, TDisplayFunction::Linear), TZoom{2, 1}, 4294967295u}};
    return s;
}

} // namespace

TEST(RecoveryFile, WhatIsWrittenComesBackExactly) {
    const TRecoveryState state = RichState();
    const std::string text = RecoveryText(state);
    const auto back = ParseRecovery(text);
    ASSERT_TRUE(back.has_value()) << text;
    EXPECT_EQ(*back, state);
    TRecoveryState nothing;
    nothing.Owner.Process = 1;
    EXPECT_EQ(ParseRecovery(RecoveryText(nothing)), nothing);
    // A file of the first version, whose image lines have no frame: frame 0.
    const std::string palette(1536, 'a');
    const auto old =
        ParseRecovery("orvanel-recovery 1\nowner 12 34 -\noptions 0 1 0 0 -\nimage 1 2 /a b.ser\n"
                      "display 100 0 linear " +
                      palette + "\nend\n");
    ASSERT_TRUE(old.has_value());
    ASSERT_EQ(old->Images.size(), 1u);
    EXPECT_EQ(old->Images[0].Path, "/a b.ser");
    EXPECT_EQ(old->Images[0].Frame, 0u);
    // Written before the alignment and the normalisation were kept: neither.
    EXPECT_EQ(ParseRecovery("orvanel-recovery 1\nowner 1 0 -\noptions 0 1 0 0 -\nend\n"), nothing);
}

TEST(RecoveryFile, AFileCutAnywhereGivesNothing) {
    const std::string text = RecoveryText(RichState());
    for (size_t size = 0; size < text.size(); ++size)
        ASSERT_FALSE(ParseRecovery(std::string_view(text).substr(0, size)).has_value()) << size;
}

TEST(RecoveryFile, ALineItCouldNotHaveWrittenGivesNothing) {
    const std::string palette(1536, 'a');
    const std::string head = "orvanel-recovery 1\nowner 12 34 -\noptions 0 1 0 0 -\n";
    const std::string display = "display 100 0 linear " + palette + "\n";
    const struct {
        const char* Case;
        std::string Text;
    } rows[] = {
        {"another version", "orvanel-recovery 3\nowner 12 34 -\noptions 0 1 0 0 -\nend\n"},
        {"something after the end", head + "end\nframe 15 -1 /a.fit\n"},
        {"no line feed after the end", head + "end"},
        {"a delay past 65535", head + "frame 65536 -1 /a.fit\nend\n"},
        {"a negative delay", head + "frame -1 -1 /a.fit\nend\n"},
        {"a number with more after it", head + "frame 15x -1 /a.fit\nend\n"},
        {"no path", head + "frame 15 -1 \nend\n"},
        {"an unknown escape", head + "frame 15 -1 /a\\x.fit\nend\n"},
        {"a binning of 17", "orvanel-recovery 1\nowner 12 34 -\noptions 0 17 0 0 -\nend\n"},
        {"a flag of 2", "orvanel-recovery 1\nowner 12 34 -\noptions 2 1 0 0 -\nend\n"},
        {"a region of no width", "orvanel-recovery 1\nowner 12 34 -\noptions 0 1 0 0 1,1,0,5\nend\n"},
        {"two spaces", "orvanel-recovery 1\nowner 12  34 -\noptions 0 1 0 0 -\nend\n"},
        {"no owner", "orvanel-recovery 1\noptions 0 1 0 0 -\nend\n"},
        {"an unknown alignment", "orvanel-recovery 1\nowner 12 34 -\noptions 0 1 0 0 - tilt 0 -\nend\n"},
        {"the alignment alone", "orvanel-recovery 1\nowner 12 34 -\noptions 0 1 0 0 - stars\nend\n"},
        {"a track of three numbers",
         "orvanel-recovery 1\nowner 12 34 -\noptions 0 1 0 0 - none 0 1,2,3\nend\n"},
        {"a track of five numbers",
         "orvanel-recovery 1\nowner 12 34 -\noptions 0 1 0 0 - none 0 1,2,3,4,5\nend\n"},
        {"a zoom both in and out", head + "image 2 2 /a.fit\n" + display + "end\n"},
        {"a zoom of 17", head + "image 17 1 /a.fit\n" + display + "end\n"},
        {"an image without its display", head + "image 1 1 /a.fit\nend\n"},
        {"a negative frame",
         "orvanel-recovery 2\nowner 12 34 -\noptions 0 1 0 0 -\nimage 1 1 -1 /a.ser\n" + display + "end\n"},
        {"a display of nothing", head + display + "end\n"},
        {"two displays for a frame", head + "frame 15 -1 /a.fit\n" + display + display + "end\n"},
        {"a frame after an image", head + "image 1 1 /a.fit\n" + display + "frame 15 -1 /b.fit\nend\n"},
        {"an unknown function", head + "frame 15 -1 /a.fit\ndisplay 100 0 gamma " + palette + "\nend\n"},
        {"a threshold not a number",
         head + "frame 15 -1 /a.fit\ndisplay nan 0 linear " + palette + "\nend\n"},
        {"a palette one entry short",
         head + "frame 15 -1 /a.fit\ndisplay 100 0 linear " + palette.substr(6) + "\nend\n"},
        {"a palette not in hex",
         head + "frame 15 -1 /a.fit\ndisplay 100 0 linear " + palette.substr(1) + "g\nend\n"},
        {"an unknown line", head + "window 1 2 3\nend\n"},
    };
    for (const auto& r : rows)
        EXPECT_FALSE(ParseRecovery(r.Text).has_value()) << r.Case;
}

TEST(RecoveryFile, AFrameComesBackAsItWasShown) {
    // The frame was made from the image shown with thresholds of the user's; the file holds
    // others, as a new opening reads them.
    TImageDocument shown =
        image_test::MakeDocument<int16_t>(kKindFits, kPixelInt16, 3, 2, {0, 100, 200, 300, 400, 500});
    shown.FileName = "/data/m31.fit";
    ApplyDisplaySettings(shown, Display(300, 100, TDisplayFunction::Sqrt));
    Render(shown);
    TAnimBuilder builder;
    builder.AddCurrentImage(LoadedFrame(shown, 40));
    ASSERT_EQ(RecordedFrames(builder).size(), 1u);
    const TRecoveredFrame record = RecordedFrames(builder)[0];
    EXPECT_EQ(record.Path, "/data/m31.fit");
    EXPECT_EQ(record.Delay, 40);

    TImageDocument reread = shown;
    reread.HighThreshold = 16383;
    reread.LowThreshold = 0;
    Render(reread);
    const TLoadedFrame back = RecoveredFrame(std::move(reread), record);
    EXPECT_EQ(back.Frame.Bitmap.Pixels, builder.Frames[0].Bitmap.Pixels);
    EXPECT_EQ(back.Frame.Delay, 40);
    EXPECT_EQ(back.Width, 3);

    // Saved, the animation leaves nothing to recover.
    builder.Modified = false;
    EXPECT_TRUE(RecordedFrames(builder).empty());
}

TEST(RecoveryStore, OnlyTheFilesOfProgramsThatNoLongerRunAreFound) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("orvanel-recovery-" + std::to_string(CurrentOwner().Process));
    std::filesystem::remove_all(folder);
    TRecoveryState alive = RichState(), dead = RichState(), empty;
    alive.Owner = CurrentOwner();
    ASSERT_GT(alive.Owner.Process, 0);
    ASSERT_TRUE(OwnerRuns(alive.Owner));
    dead.Owner = alive.Owner;
    dead.Owner.StartTicks += 1; // the same number, another start: an earlier program
    empty.Owner = dead.Owner;
    WriteRecovery((folder / "recovery-1.txt").string(), alive);
    WriteRecovery((folder / "recovery-2.txt").string(), dead);
    std::ofstream(folder / "recovery-3.txt") << RecoveryText(dead).substr(0, 100); // cut
    std::ofstream(folder / "recovery-4.txt") << RecoveryText(empty);
    std::ofstream(folder / "notes-5.txt") << RecoveryText(dead);
    const std::vector<TFoundRecovery> found = FindRecoveries(folder.string());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].Path, (folder / "recovery-2.txt").string());
    EXPECT_EQ(found[0].State, dead);
    // Nothing left to keep: the file goes.
    WriteRecovery(found[0].Path, empty);
    EXPECT_FALSE(std::filesystem::exists(found[0].Path));
    std::filesystem::remove_all(folder);
    EXPECT_TRUE(FindRecoveries(folder.string()).empty());
}

TEST(RecoveryStore, TheStateFolderFollowsTheUsersSettings) {
    const char* state = std::getenv("XDG_STATE_HOME");
    const char* home = std::getenv("HOME");
    const std::string savedState = state ? state : "", savedHome = home ? home : "";
    const struct {
        const char* State;
        const char* Home;
        std::string Folder;
    } rows[] = {
        {"/tmp/state", "/home/ann", "/tmp/state/orvanel"},
        {"relative/state", "/home/ann", "/home/ann/.local/state/orvanel"}, // ignored, as the rule says
        {nullptr, "/home/ann", "/home/ann/.local/state/orvanel"},
        {nullptr, nullptr, ""},
    };
    for (const auto& r : rows) {
        r.State ? setenv("XDG_STATE_HOME", r.State, 1) : unsetenv("XDG_STATE_HOME");
        r.Home ? setenv("HOME", r.Home, 1) : unsetenv("HOME");
        EXPECT_EQ(RecoveryFolder(), r.Folder) << (r.State ? r.State : "-");
    }
    state ? setenv("XDG_STATE_HOME", savedState.c_str(), 1) : unsetenv("XDG_STATE_HOME");
    home ? setenv("HOME", savedHome.c_str(), 1) : unsetenv("HOME");
    EXPECT_EQ(RecoveryFileName("/tmp/state/orvanel", TRecoveryOwner{77, 0, ""}),
              "/tmp/state/orvanel/recovery-77.txt");
}
