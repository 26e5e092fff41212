// The builder's window over its model: batches, the current image, moving and deleting,
// delays, saving, quitting; and "Ouvrir un lot".
#include "anim_fixture.h"

#include <functional>

#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSignalSpy>

using namespace orv;
using namespace orv::ui;
using namespace orv::ui::test;

namespace {

class BuilderTest : public AnimationTest {
  protected:
    void SetUp() override {
        AnimationTest::SetUp();
        FormCreeAnim->show();
    }
    // Img1..Img3 observed a minute, then two minutes apart.
    void AddThreeFrames() {
        WriteFits("Img2.fit", "10:01:00");
        WriteFits("Img3.fit", "10:03:00");
        WriteFits("Img1.fit", "10:00:00");
        ChooseBatch({"Img3.fit", "Img1.fit", "Img2.fit"});
        FormCreeAnim->BitSelect->click();
    }
};

} // namespace

TEST_F(BuilderTest, ABatchGivesFramesInListOrderAndAFourthFrameEnablesScrolling) {
    AddThreeFrames();
    EXPECT_EQ(dialogs.Executed, QList<QString>{"FormSelectLot"});
    EXPECT_EQ(FrameNames(), (std::vector<std::string>{"Img1.fit", "Img2.fit", "Img3.fit"}));
    EXPECT_EQ(Captions(), (QStringList{"Img1.fit", "Img2.fit", "Img3.fit"}));
    EXPECT_EQ(Builder().Frames[2].Time, "10:03:00");
    EXPECT_EQ(Builder().Frames[0].Delay, 15);
    EXPECT_TRUE(Builder().Modified);
    EXPECT_FALSE(Enabled(FormCreeAnim, "ScrollBar"));
    for (const char* name :
         {"BitAnim", "BitEnr", "BitAuto", "BitEgual", "BitNew", "Image1", "Image2", "Image3"})
        EXPECT_TRUE(Enabled(FormCreeAnim, name)) << name;
    // Thumbnails are never enlarged.
    EXPECT_EQ(FormCreeAnim->Images[0]->size(), QSize(20, 10));
    EXPECT_FALSE(FormAnim2->isVisible());

    // The current image goes at the end.
    Load(Int16Document(folder.filePath("m31.fit").toStdString(), 40, 30));
    FormCreeAnim->BitAjout->click();
    EXPECT_EQ(FrameNames().back(), "m31.fit");
    EXPECT_EQ(Builder().AnimWidth, 40);
    EXPECT_TRUE(Enabled(FormCreeAnim, "ScrollBar"));
    EXPECT_EQ(FormCreeAnim->ScrollBar->maximum(), 1);
    FormCreeAnim->ScrollBar->setValue(1);
    EXPECT_EQ(Captions(), (QStringList{"Img2.fit", "Img3.fit", "m31.fit"}));

    // A cancelled batch adds nothing.
    FormCreeAnim->BitSelect->click();
    EXPECT_EQ(Builder().Frames.size(), 4u);
}

TEST_F(BuilderTest, MovingAndDeletingFollowTheHighlightedSlot) {
    AddThreeFrames();
    Click(2);
    EXPECT_FALSE(FormCreeAnim->Highlights[0]->isVisibleTo(FormCreeAnim));
    EXPECT_TRUE(FormCreeAnim->Highlights[1]->isVisibleTo(FormCreeAnim));
    FormCreeAnim->BitUp->click();
    EXPECT_EQ(FrameNames(), (std::vector<std::string>{"Img2.fit", "Img1.fit", "Img3.fit"}));
    EXPECT_EQ(Captions()[0], "Img2.fit");
    EXPECT_TRUE(FormCreeAnim->Highlights[0]->isVisibleTo(FormCreeAnim));
    EXPECT_FALSE(Enabled(FormCreeAnim, "BitUp"));
    FormCreeAnim->BitDn->click();
    FormCreeAnim->BitDn->click();
    EXPECT_EQ(FrameNames(), (std::vector<std::string>{"Img1.fit", "Img3.fit", "Img2.fit"}));
    EXPECT_TRUE(FormCreeAnim->Highlights[2]->isVisibleTo(FormCreeAnim));
    EXPECT_FALSE(Enabled(FormCreeAnim, "BitDn"));

    FormCreeAnim->BitEfface->click();
    EXPECT_EQ(FrameNames(), (std::vector<std::string>{"Img1.fit", "Img3.fit"}));
    EXPECT_EQ(Captions()[2], "Vide");
    EXPECT_FALSE(Enabled(FormCreeAnim, "Image3"));
    FormCreeAnim->BitEfface->click();
    FormCreeAnim->BitEfface->click();
    EXPECT_TRUE(Builder().Frames.empty());
    EXPECT_EQ(Captions(), (QStringList{"Vide", "Vide", "Vide"}));
    EXPECT_FALSE(Builder().Modified);
    for (const char* name : {"BitAnim", "BitEnr", "BitNew", "BitEfface", "SpinInter", "Image1"})
        EXPECT_FALSE(Enabled(FormCreeAnim, name)) << name;
}

TEST_F(BuilderTest, DelaysByHandEquallyAndFromObservationTimes) {
    AddThreeFrames();
    FormCreeAnim->BitAuto->click();
    std::vector<uint16_t> delays;
    for (const TAnimImg& f : Builder().Frames)
        delays.push_back(f.Delay);
    EXPECT_EQ(delays, (std::vector<uint16_t>{15, 30, 30}));

    Click(3); // the spin edit shows the frame's delay, typing changes it
    EXPECT_EQ(FormCreeAnim->SpinInter->value(), 30);
    FormCreeAnim->SpinInter->setValue(42);
    EXPECT_EQ(Builder().Frames[2].Delay, 42);
    EXPECT_EQ(Builder().Frames[1].Delay, 30);
    FormCreeAnim->BitEgual->click();
    for (const TAnimImg& f : Builder().Frames)
        EXPECT_EQ(f.Delay, 42);

    // Showing the longest delay a GIF stores keeps it.
    Builder().Frames[1].Delay = 65535;
    Click(2);
    EXPECT_EQ(FormCreeAnim->SpinInter->value(), 65535);
    EXPECT_EQ(Builder().Frames[1].Delay, 65535);
}

TEST_F(BuilderTest, SavingWritesTheAnimationAndAsksBeforeOverwriting) {
    AddThreeFrames();
    Builder().Frames[1].Delay = 70;
    dialogs.FileNames.enqueue(folder.filePath("orbite"));
    FormCreeAnim->BitEnr->click();
    const QString saved = folder.filePath("orbite.gif");
    ASSERT_TRUE(QFileInfo::exists(saved));
    EXPECT_FALSE(Builder().Modified);
    TGifFile gif;
    gif.LoadFromFile(saved.toStdString());
    ASSERT_EQ(gif.SubImages.size(), 3u);
    EXPECT_EQ(gif.SubImages[0]->GetDelay(), 15);
    EXPECT_EQ(gif.SubImages[1]->GetDelay(), 70);
    EXPECT_EQ(gif.SubImages[2]->Descriptor.Width, 20);

    // Declining the overwrite writes nothing.
    Builder().Frames.pop_back();
    dialogs.FileNames.enqueue(saved);
    dialogs.Answers.enqueue(TAnswer::No);
    FormCreeAnim->BitEnr->click();
    ASSERT_FALSE(dialogs.Messages.isEmpty());
    EXPECT_EQ(dialogs.Messages.last().Text, "Le fichier :\n" + saved + "\nExiste déjà, l'ecraser ?");
    gif.LoadFromFile(saved.toStdString());
    EXPECT_EQ(gif.SubImages.size(), 3u);
    // The dialog opens where the last name was chosen.
    EXPECT_EQ(dialogs.Folders.last(), folder.path());
}

TEST_F(BuilderTest, NoPathLosesTheFramesOrTheirModifiedMark) {
    const QString existing = WriteGif("exists.gif", {5, 5});
    const QString animated = WriteGif("other.gif", {5, 5, 5, 5});
    const QString unwritable = folder.filePath("missing/anim.gif");
    const struct {
        const char* Case;
        std::function<void()> Command;
        QList<TAnswer> Answers;
        QStringList Names;
    } rows[] = {
        {"Quitter, Oui, name cancelled", [] { FormCreeAnim->BitQuit->click(); }, {TAnswer::Yes}, {}},
        {"Quitter, Oui, overwrite declined",
         [] { FormCreeAnim->BitQuit->click(); },
         {TAnswer::Yes, TAnswer::No},
         {existing}},
        {"Enregistrer, overwrite declined", [] { FormCreeAnim->BitEnr->click(); }, {TAnswer::No}, {existing}},
        {"Enregistrer, write failed", [] { FormCreeAnim->BitEnr->click(); }, {}, {unwritable}},
        {"close box, Oui, write failed", [] { FormCreeAnim->close(); }, {TAnswer::Yes}, {unwritable}},
        {"Nouvelle Animation, Oui, name cancelled",
         [] { FormCreeAnim->BitNew->click(); },
         {TAnswer::Yes},
         {}},
        {"animated GIF, Oui, name cancelled", [&] { FormMain->OpenFile(animated); }, {TAnswer::Yes}, {}},
        {"Quitter the program, Oui, name cancelled",
         [] { FormMain->FileExitItem->trigger(); },
         {TAnswer::Yes},
         {}},
        {"main window's close box, Oui, overwrite declined",
         [] { FormMain->close(); },
         {TAnswer::Yes, TAnswer::No},
         {existing}},
    };
    AddThreeFrames();
    for (const auto& r : rows) {
        dialogs.Answers = QQueue<TAnswer>(r.Answers);
        dialogs.FileNames = QQueue<QString>(r.Names);
        r.Command();
        EXPECT_TRUE(FormCreeAnim->isVisible()) << r.Case;
        EXPECT_TRUE(FormMain->isVisible()) << r.Case;
        EXPECT_FALSE(FormAnim2->isVisible()) << r.Case;
        EXPECT_EQ(FrameNames(), (std::vector<std::string>{"Img1.fit", "Img2.fit", "Img3.fit"})) << r.Case;
        EXPECT_TRUE(Builder().Modified) << r.Case;
        EXPECT_TRUE(Enabled(FormCreeAnim, "BitEnr")) << r.Case;
    }
    EXPECT_FALSE(QFileInfo::exists(unwritable));
}

TEST_F(BuilderTest, DroppingAModifiedAnimationAsksFirst) {
    const QString animated = WriteGif("other.gif", {5, 5, 5, 5});
    QSignalSpy closed(FormMain, &TFormMain::Closed);
    const struct {
        const char* Case;
        std::function<void()> Command;
        size_t FramesAfter;
    } rows[] = {
        {"Nouvelle Animation", [] { FormCreeAnim->BitNew->click(); }, 0},
        {"animated GIF", [&] { FormMain->OpenFile(animated); }, 4},
        {"Quitter the program", [] { FormMain->FileExitItem->trigger(); }, 3},
    };
    for (const auto& r : rows) {
        FormCtrlAnim->SpeedButton5->click();
        FormCreeAnim->BitNew->click();
        AddThreeFrames();
        dialogs.Messages.clear();
        dialogs.Answers.enqueue(TAnswer::No); // dropped on purpose
        r.Command();
        ASSERT_EQ(dialogs.Messages.size(), 1) << r.Case;
        EXPECT_EQ(dialogs.Messages[0].Text, AnimationModifiedQuestion()) << r.Case;
        EXPECT_EQ(Builder().Frames.size(), r.FramesAfter) << r.Case;
    }
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(BuilderTest, NothingChangesTheFramesWhilePlaying) {
    AddThreeFrames();
    Click(2);
    FormCreeAnim->BitAnim->click();
    // An image window of another size opens and becomes current while the animation plays.
    TFormImage* w = Load(Int16Document(folder.filePath("m31.fit").toStdString(), 40, 30));
    w->SetBitAjoutEnabled(true);
    for (const char* name : {"BitAjout", "BitNew", "BitSelect", "BitEfface", "BitUp", "BitDn", "BitQuit"})
        EXPECT_FALSE(Enabled(FormCreeAnim, name)) << name;
    FormCreeAnim->BitAjoutClick();
    FormCreeAnim->BitNewClick();
    FormCreeAnim->BitEffaceClick();
    FormCreeAnim->BitUpClick();
    FormCreeAnim->BitSelectClick();
    FormCreeAnim->close();
    EXPECT_TRUE(FormCreeAnim->isVisible());
    EXPECT_EQ(FrameNames(), (std::vector<std::string>{"Img1.fit", "Img2.fit", "Img3.fit"}));
    EXPECT_EQ(dialogs.Executed, QList<QString>{"FormSelectLot"}); // the batch before playing only
    FormCtrlAnim->SpeedButton5->click();
    EXPECT_TRUE(Enabled(FormCreeAnim, "BitAjout"));
}

TEST_F(BuilderTest, EveryControlLiesInsideTheBuilder) {
    const QRect inside = FormCreeAnim->rect();
    for (const QWidget* w : FormCreeAnim->findChildren<QWidget*>()) {
        if (w->isWindow() || !w->isVisibleTo(FormCreeAnim)) continue;
        const QRect at(w->mapTo(FormCreeAnim, QPoint(0, 0)), w->size());
        EXPECT_TRUE(inside.contains(at)) << w->objectName().toStdString();
    }
    // Captions are not cut.
    for (const QLabel* l : {FormCreeAnim->Label5, FormCreeAnim->Label6})
        EXPECT_GE(l->width(), l->fontMetrics().horizontalAdvance(l->text())) << l->text().toStdString();
}

TEST_F(BuilderTest, QuittingAsksOnlyWhenModifiedAndFreesTheFrames) {
    AddThreeFrames();
    FormCreeAnim->BitQuit->click(); // "Non": closed without saving
    ASSERT_EQ(dialogs.Messages.size(), 1);
    EXPECT_EQ(dialogs.Messages[0].Text, "L'animation a été modifiée\nVoulez vous l'enregistrer ?");
    EXPECT_EQ(dialogs.Messages[0].Caption, "Avertissement");
    EXPECT_FALSE(FormCreeAnim->isVisible());
    EXPECT_TRUE(Builder().Frames.empty());
    FormCreeAnim->show();
    FormCreeAnim->BitQuit->click();
    EXPECT_EQ(dialogs.Messages.size(), 1);
}

TEST_F(BuilderTest, ThePreviewPlaysTheBuilderFramesAndBlocksEditing) {
    AddThreeFrames();
    Click(1);
    FormCreeAnim->BitAnim->click();
    EXPECT_TRUE(FormAnim2->isVisible());
    EXPECT_FALSE(Enabled(FormCreeAnim, "BitQuit"));
    EXPECT_FALSE(Enabled(FormCreeAnim, "Image1"));
    FormCtrlAnim->SpeedButton5->click();
    EXPECT_TRUE(Enabled(FormCreeAnim, "BitQuit"));
    EXPECT_TRUE(Enabled(FormCreeAnim, "BitEfface")); // a frame is selected
}

TEST_F(AnimationTest, OpeningABatchOpensOneWindowPerEntryInListOrderAndSkipsBadFiles) {
    for (const char* name : {"b.fit", "C.fit", "a.fit", "d.fit"})
        WriteFits(name, "10:00:00", 8);
    // d.fit: a threshold that is no whole number stops its reader with an error.
    QFile bad(folder.filePath("d.fit"));
    ASSERT_TRUE(bad.open(QIODevice::ReadWrite));
    QByteArray bytes = bad.readAll();
    const qsizetype card = bytes.indexOf("THRESL  = ");
    ASSERT_GE(card, 0);
    bytes.replace(card + 10, 20, QByteArray(17, ' ') + "1.5");
    bad.seek(0);
    bad.write(bytes);
    bad.close();
    WriteFile(folder.filePath("e.fit"), "not a FITS file"); // refused by its reader
    WriteFile(folder.filePath("f.txt"), "no reader for this");
    ChooseBatch({"b.fit", "C.fit", "a.fit", "d.fit", "e.fit", "f.txt"});
    FormMain->Ouvrirunlot1->trigger();
    QStringList opened;
    for (QMdiSubWindow* w : FormMain->MdiArea->subWindowList(QMdiArea::CreationOrder)) {
        opened << QFileInfo(static_cast<TFormImage*>(w)->FileName()).fileName();
        EXPECT_NE(static_cast<TFormImage*>(w)->Document().Kind, kKindEmpty);
    }
    EXPECT_EQ(opened, (QStringList{"a.fit", "b.fit", "C.fit"}));
    // Each bad file reported once.
    QStringList reports;
    for (const TAskedMessage& m : dialogs.Messages)
        reports << m.Text;
    ASSERT_EQ(reports.size(), 3) << reports.join(" | ").toStdString();
    EXPECT_EQ(reports[0], "'1.5' n'est pas une valeur entière correcte.");
    EXPECT_TRUE(reports[1].contains("e.fit"));
    EXPECT_EQ(reports[2], UnknownFormatMessage(folder.filePath("f.txt")));
    // Cancelled: nothing more.
    FormMain->Ouvrirunlot1->trigger();
    EXPECT_EQ(FormMain->MDIChildCount(), 3);
}
