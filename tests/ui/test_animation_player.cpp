// Opening animated GIF files, the player's ticks and steps, and what closing gives back.
#include "anim_fixture.h"

#include <QMdiArea>

using namespace orv;
using namespace orv::ui;
using namespace orv::ui::test;

TEST_F(AnimationTest, AnAnimatedGifFillsTheBuilderAndPlays) {
    FormMain->OpenFile(WriteGif("orbit.gif", {10, 50, 20}));
    EXPECT_EQ(FormMain->MDIChildCount(), 0);
    EXPECT_EQ(FrameNames(), (std::vector<std::string>{"Image 1", "Image 2", "Image 3"}));
    for (const TAnimImg& f : Builder().Frames)
        EXPECT_EQ(f.Time, "00:00:00.000");
    EXPECT_EQ(Builder().Frames[1].Delay, 50);
    EXPECT_EQ(Builder().AnimWidth, 24);
    EXPECT_EQ(Builder().AnimHeight, 16);
    EXPECT_TRUE(FormAnim2->isVisible());
    EXPECT_TRUE(FormCtrlAnim->isVisible());
    EXPECT_EQ(FormAnim2->pos(), QPoint(20, 150));
    EXPECT_EQ(FormAnim2->height(), 16);
    EXPECT_EQ(FormAnim2->Image1->size(), QSize(24, 16));
    EXPECT_GE(FormAnim2->width(), FormAnim2->fontMetrics().horizontalAdvance("Animation"))
        << "a title not cut";
    EXPECT_EQ(FormCtrlAnim->pos().x(), 20);
    EXPECT_GT(FormCtrlAnim->pos().y(), FormAnim2->geometry().bottom()) << "under the player, off the menus";
    EXPECT_TRUE(FormAnim2->TimerEnabled());
    EXPECT_EQ(FormCtrlAnim->TrackBar->maximum(), 2);
    EXPECT_FALSE(FormCreeAnim->isVisible());
    for (const char* name :
         {"BitQuit", "BitSelect", "BitAjout", "BitEnr", "BitEfface", "BitUp", "BitDn", "BitAuto", "BitEgual",
          "BitNew", "BitAnim", "Image1", "Image2", "Image3", "ScrollBar"})
        EXPECT_FALSE(Enabled(FormCreeAnim, name)) << name;

    // A second animation replaces the first and starts again from its first frame.
    FormAnim2->TimerTimer();
    FormMain->OpenFile(WriteGif("moon.gif", {5, 5, 5, 5, 5}));
    EXPECT_EQ(Builder().Frames.size(), 5u);
    EXPECT_EQ(FormCtrlAnim->TrackBar->maximum(), 4);
    EXPECT_EQ(ShownRed(), FrameRed(0));
    EXPECT_EQ(FormAnim2->State.CurrentFrame, 1);
    EXPECT_EQ(Captions(), (QStringList{"Image 1", "Image 2", "Image 3"}));
}

TEST_F(AnimationTest, AGifOfOneImageOpensAWindowAndAnEmptyOneIsReported) {
    FormMain->OpenFile(WriteGif("still.gif", {0}));
    ASSERT_EQ(FormMain->MDIChildCount(), 1);
    EXPECT_EQ(FormMain->ActiveMDIChild()->Document().Kind, kKindGif);
    EXPECT_FALSE(FormAnim2->isVisible());

    // Header, logical screen without colour table, trailer: no image at all.
    const QString empty = folder.filePath("empty.gif");
    const std::vector<uint8_t> bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x3B};
    WriteFileAtomically(empty.toStdString(), bytes);
    dialogs.Messages.clear();
    FormMain->OpenFile(empty);
    EXPECT_EQ(FormMain->MDIChildCount(), 1);
    EXPECT_FALSE(FormAnim2->isVisible());
    ASSERT_EQ(dialogs.Messages.size(), 1);
    EXPECT_TRUE(dialogs.Messages[0].Text.contains("ne contient aucune image"));
}

TEST_F(AnimationTest, TicksShowEachFrameForItsDelayInALoop) {
    FormMain->OpenFile(WriteGif("orbit.gif", {10, 50, 20}));
    // The first frame at once, for its own delay; each tick shows the next.
    EXPECT_EQ(ShownRed(), FrameRed(0));
    EXPECT_EQ(FormAnim2->TimerInterval(), 100);
    const struct { int Frame, Interval; } expected[] = {{1, 500}, {2, 200}, {0, 100}, {1, 500}};
    for (const auto& e : expected) {
        FormAnim2->TimerTimer();
        EXPECT_EQ(ShownRed(), FrameRed(static_cast<size_t>(e.Frame)));
        EXPECT_EQ(FormAnim2->TimerInterval(), e.Interval);
        EXPECT_EQ(FormAnim2->Timer->interval(), e.Interval);
        EXPECT_EQ(FormCtrlAnim->TrackBar->value(), e.Frame);
    }
    // Steps and the slider are refused while playing: the next tick puts the slider back.
    FormCtrlAnim->SpeedButton4->click();
    FormCtrlAnim->TrackBar->setValue(0);
    EXPECT_EQ(FormAnim2->State.CurrentFrame, 2);
    FormAnim2->TimerTimer();
    EXPECT_EQ(FormCtrlAnim->TrackBar->value(), 2);
}

TEST_F(AnimationTest, ASecondPlaybackShowsTheFirstFrameForItsOwnDelay) {
    FormMain->OpenFile(WriteGif("two.gif", {15, 3000}));
    FormAnim2->TimerTimer(); // frame 2 up for 30 s
    EXPECT_EQ(FormAnim2->TimerInterval(), 30000);
    FormCtrlAnim->SpeedButton5->click();
    FormCreeAnim->show();
    FormCreeAnim->BitAnim->click();
    EXPECT_EQ(ShownRed(), FrameRed(0));
    EXPECT_EQ(FormAnim2->TimerInterval(), 150);
    EXPECT_EQ(FormAnim2->Timer->interval(), 150);
}

TEST_F(AnimationTest, StepsCountFromTheFrameAfterTheOneShownAndWrapAround) {
    FormMain->OpenFile(WriteGif("ten.gif", std::vector<uint16_t>(5, 10)));
    for (int i = 0; i < 3; ++i)
        FormAnim2->TimerTimer(); // frame 3 on screen, frame 4 next
    FormCtrlAnim->SpeedButton2->click();
    EXPECT_FALSE(FormAnim2->TimerEnabled());
    const struct {
        QToolButton* Button;
        int Shown;
    } steps[] = {
        {FormCtrlAnim->SpeedButton7, 0}, // after frame 4 (the last) comes frame 0
        {FormCtrlAnim->SpeedButton3, 4}, // before frame 0 the last one
        {FormCtrlAnim->SpeedButton3, 3}, {FormCtrlAnim->SpeedButton9, 0},
        {FormCtrlAnim->SpeedButton4, 4}, {FormCtrlAnim->SpeedButton7, 0},
    };
    for (const auto& s : steps) {
        s.Button->click();
        EXPECT_EQ(ShownRed(), FrameRed(static_cast<size_t>(s.Shown))) << s.Button->toolTip().toStdString();
        EXPECT_EQ(FormCtrlAnim->TrackBar->value(), s.Shown);
    }
    FormCtrlAnim->TrackBar->setValue(2);
    EXPECT_EQ(ShownRed(), FrameRed(2));
    // "Marche" plays on from the frame on screen.
    FormCtrlAnim->SpeedButton1->click();
    EXPECT_TRUE(FormAnim2->TimerEnabled());
    FormAnim2->TimerTimer();
    EXPECT_EQ(ShownRed(), FrameRed(2));
}

TEST_F(AnimationTest, ClosingThePlayerGivesTheBuilderItsCommandsBack) {
    Load(Int16Document("/data/a.fit", 8, 8));
    FormMain->OpenFile(WriteGif("orbit.gif", {10, 10, 10, 10}));
    FormCtrlAnim->SpeedButton5->click();
    EXPECT_FALSE(FormAnim2->isVisible());
    EXPECT_FALSE(FormCtrlAnim->isVisible());
    EXPECT_FALSE(FormAnim2->TimerEnabled());
    for (const char* name : {"BitQuit", "BitSelect", "BitAjout", "BitEnr", "BitNew", "BitAuto", "BitEgual",
                             "BitAnim", "Image1", "Image2", "Image3", "ScrollBar"})
        EXPECT_TRUE(Enabled(FormCreeAnim, name)) << name;
    for (const char* name : {"BitEfface", "BitUp", "BitDn"}) // no frame is selected
        EXPECT_FALSE(Enabled(FormCreeAnim, name)) << name;

    // The controls' close box closes the player too; with no image window open, no adding.
    FormMain->Toutfermer1->trigger();
    FormMain->OpenFile(WriteGif("two.gif", {10, 10}));
    FormCtrlAnim->close();
    EXPECT_FALSE(FormAnim2->isVisible());
    EXPECT_FALSE(Enabled(FormCreeAnim, "BitAjout"));
    EXPECT_TRUE(Enabled(FormCreeAnim, "Image2"));
    EXPECT_FALSE(Enabled(FormCreeAnim, "Image3"));
    EXPECT_FALSE(Enabled(FormCreeAnim, "ScrollBar"));
}
