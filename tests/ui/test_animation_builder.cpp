// The builder's window over its model: batches, the current image, moving and deleting,
// delays, saving, quitting; and "Ouvrir un lot".
#include "anim_fixture.h"
#include "core/align/star_frames.h"
#include "core/anim/recovery.h"
#include "core/formats/fits_test_files.h"
#include "core/formats/series_test_files.h"
#include "ui/form_serie.h"
#include "ui/progress_form.h"
#include "ui/workspace.h"

#include <functional>

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QRubberBand>
#include <QSignalSpy>
#include <QTableWidget>
#include <QWheelEvent>

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
    // The wheel over the thumbnails scrolls them, a notch a frame (the thumbnails and their
    // panel leave the wheel to the builder).
    const QPointF over = FormCreeAnim->Images[0]->geometry().center() + FormCreeAnim->Panel1->pos();
    QWheelEvent up(over, FormCreeAnim->mapToGlobal(over), QPoint(), QPoint(0, 120), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(FormCreeAnim, &up);
    EXPECT_EQ(Captions(), (QStringList{"Img1.fit", "Img2.fit", "Img3.fit"}));

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

    // Showing the longest delay a GIF stores keeps it, whole.
    Builder().Frames[1].Delay = 65535;
    Click(2);
    EXPECT_EQ(FormCreeAnim->SpinInter->value(), 65535);
    EXPECT_EQ(Builder().Frames[1].Delay, 65535);
    const QLineEdit* box = FormCreeAnim->SpinInter->findChild<QLineEdit*>();
    ASSERT_NE(box, nullptr);
    EXPECT_GE(box->width(), box->fontMetrics().horizontalAdvance("65535") + 4);
    // Without frames the box shows what a new frame gets.
    FormCreeAnim->BitNew->click();
    EXPECT_EQ(FormCreeAnim->SpinInter->value(), 15);
}

TEST_F(BuilderTest, SavingWritesTheAnimationAndAsksBeforeOverwriting) {
    AddThreeFrames();
    Builder().Frames[1].Delay = 70;
    // The progress window counts the frames as they are written, then goes away.
    QStringList shown;
    ProgressForm->Gauge1->reset();
    const auto watch = QObject::connect(ProgressForm->Gauge1, &QProgressBar::valueChanged, [&](int value) {
        if (ProgressForm->isVisible()) shown << ProgressForm->Label1->text() + QString(" %1").arg(value);
    });
    dialogs.FileNames.enqueue(folder.filePath("orbite"));
    FormCreeAnim->BitEnr->click();
    QObject::disconnect(watch);
    EXPECT_EQ(shown, (QStringList{"Compression de l'image numéro 1 0", "Compression de l'image numéro 2 33",
                                  "Compression de l'image numéro 3 67"}));
    EXPECT_FALSE(ProgressForm->isVisible());
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
        {"Quitter, Oui, name cancelled", [this] { FormCreeAnim->BitQuit->click(); }, {TAnswer::Yes}, {}},
        {"Quitter, Oui, overwrite declined",
         [this] { FormCreeAnim->BitQuit->click(); },
         {TAnswer::Yes, TAnswer::No},
         {existing}},
        {"Enregistrer, overwrite declined",
         [this] { FormCreeAnim->BitEnr->click(); },
         {TAnswer::No},
         {existing}},
        {"Enregistrer, write failed", [this] { FormCreeAnim->BitEnr->click(); }, {}, {unwritable}},
        {"close box, Oui, write failed", [this] { FormCreeAnim->close(); }, {TAnswer::Yes}, {unwritable}},
        {"Nouvelle Animation, Oui, name cancelled",
         [this] { FormCreeAnim->BitNew->click(); },
         {TAnswer::Yes},
         {}},
        {"animated GIF, Oui, name cancelled", [&] { FormMain->OpenFile(animated); }, {TAnswer::Yes}, {}},
        {"Quitter the program, Oui, name cancelled",
         [this] { FormMain->FileExitItem->trigger(); },
         {TAnswer::Yes},
         {}},
        {"main window's close box, Oui, overwrite declined",
         [this] { FormMain->close(); },
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
        {"Nouvelle Animation", [this] { FormCreeAnim->BitNew->click(); }, 0},
        {"animated GIF", [&] { FormMain->OpenFile(animated); }, 4},
        {"Quitter the program", [this] { FormMain->FileExitItem->trigger(); }, 3},
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
    Load(Int16Document(folder.filePath("m31.fit").toStdString(), 40, 30));
    Program().Workspace().SetBitAjoutEnabled(true);
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
    // d.fit: a threshold that is no number stops its reader with an error.
    QFile bad(folder.filePath("d.fit"));
    ASSERT_TRUE(bad.open(QIODevice::ReadWrite));
    QByteArray bytes = bad.readAll();
    const qsizetype card = bytes.indexOf("THRESL  = ");
    ASSERT_GE(card, 0);
    bytes.replace(card + 10, 20, QByteArray(16, ' ') + "1.5e");
    bad.seek(0);
    bad.write(bytes);
    bad.close();
    WriteFile(folder.filePath("e.fit"), "not a FITS file"); // refused by its reader
    WriteFile(folder.filePath("f.txt"), "no reader for this");
    ChooseBatch({"b.fit", "C.fit", "a.fit", "d.fit", "e.fit", "f.txt", "g.pic"}); // g.pic is missing
    // No empty window stands beside a message about its file.
    int emptyWindowsShown = 0;
    dialogs.WhileAsked = [&](const QString&) {
        for (QMdiSubWindow* w : FormMain->MdiArea->subWindowList())
            if (w->isVisible() && static_cast<TFormImage*>(w)->Document().Kind == kKindEmpty)
                ++emptyWindowsShown;
    };
    FormMain->Ouvrirunlot1->trigger();
    EXPECT_EQ(emptyWindowsShown, 0);
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
    ASSERT_EQ(reports.size(), 4) << reports.join(" | ").toStdString();
    EXPECT_EQ(reports[0], "'1.5e' n'est pas une valeur entière correcte.");
    EXPECT_TRUE(reports[1].contains("e.fit"));
    EXPECT_EQ(reports[2], UnknownFormatMessage(folder.filePath("f.txt")));
    EXPECT_TRUE(reports[3].contains("g.pic"));
    // Cancelled: nothing more.
    FormMain->Ouvrirunlot1->trigger();
    EXPECT_EQ(FormMain->MDIChildCount(), 3);
}

namespace {

// The builder's options column over three 40 x 30 frames observed a minute apart, each shown
// with thresholds of its own.
class BuilderOptionsTest : public BuilderTest {
  protected:
    void AddSeries() {
        for (int i = 0; i < 3; ++i) {
            TImageDocument doc =
                Int16Document(folder.filePath(QString("S%1.fit").arg(i)).toStdString(), 40, 30);
            doc.HighThreshold = 20000 + 4000 * i;
            doc.Header.DateObs = "2024-03-09";
            doc.Header.TimeBeg = "22:1" + std::to_string(i) + ":00";
            SaveFits(doc, doc.FileName);
        }
        ChooseBatch({"S0.fit", "S1.fit", "S2.fit"});
        FormCreeAnim->BitSelect->click();
    }
    // Saved through "Enregister l'animation", read back.
    std::unique_ptr<TGifFile> Saved() {
        const QString path = folder.filePath("options.gif");
        QFile::remove(path);
        dialogs.FileNames.enqueue(path);
        FormCreeAnim->BitEnr->click();
        auto gif = std::make_unique<TGifFile>();
        gif->LoadFromFile(path.toStdString());
        return gif;
    }
    static std::vector<uint32_t> Colors(TGifSubImage& image) {
        const TBitmap& b = image.GetBitmap();
        std::vector<uint32_t> colors;
        for (int32_t y = 0; y < b.Height; ++y)
            for (int32_t x = 0; x < b.Width; ++x)
                colors.push_back(b.PixelColor(x, y));
        return colors;
    }
};

// A drag with the left button on an image window's picture, from one pixel to another.
void Drag(TFormImage* window, QPoint from, QPoint to) {
    QWidget* picture = window->Image;
    const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent e(type, QPointF(at) + QPointF(0.5, 0.5), picture->mapToGlobal(QPointF(at)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(picture, &e);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton);
    send(QEvent::MouseMove, to, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, to, Qt::NoButton);
}

} // namespace

TEST_F(BuilderOptionsTest, TheCommandsKeepTheirPlacesAndNamesAndTheOptionsLieBesideThem) {
    struct {
        const char* Name;
        QPoint At;
    } places[] = {{"Panel1", {8, 8}},       {"BitNew", {216, 8}},      {"BitSelect", {216, 40}},
                  {"BitAjout", {216, 72}},  {"BitUp", {216, 104}},     {"BitDn", {216, 136}},
                  {"BitEgual", {216, 168}}, {"BitAuto", {216, 200}},   {"BitEfface", {216, 232}},
                  {"Label5", {216, 264}},   {"SpinInter", {216, 280}}, {"Label6", {216, 302}}};
    for (const auto& p : places) {
        const auto* w = FormCreeAnim->findChild<QWidget*>(p.Name);
        ASSERT_NE(w, nullptr) << p.Name;
        EXPECT_EQ(w->pos(), p.At) << p.Name;
    }
    const int below = FormCreeAnim->Label6->geometry().bottom() + 1 + 2;
    EXPECT_EQ(FormCreeAnim->BitAnim->pos(), QPoint(216, below));
    EXPECT_EQ(FormCreeAnim->BitEnr->pos(), QPoint(216, below + 32));
    EXPECT_EQ(FormCreeAnim->BitQuit->pos(), QPoint(216, below + 64));
    EXPECT_EQ(FormCreeAnim->height(), FormCreeAnim->BitQuit->geometry().bottom() + 1 + 8);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(FormCreeAnim->Images[k]->pos(), QPoint(8, 16 + 128 * k)) << k;

    const QRect options = FormCreeAnim->GroupReglages->geometry();
    EXPECT_GT(options.left(), FormCreeAnim->BitNew->geometry().right());
    EXPECT_LE(options.bottom(), FormCreeAnim->BitQuit->geometry().bottom());
    EXPECT_TRUE(FormCreeAnim->rect().contains(options));
    for (const char* name : {"CheckMemesReglages", "ComboAlignement", "BitZone", "LabelZone", "SpinReduction",
                             "CheckHeure", "CheckAllerRetour"}) {
        const auto* w = FormCreeAnim->GroupReglages->findChild<QWidget*>(name);
        ASSERT_NE(w, nullptr) << name;
        EXPECT_TRUE(FormCreeAnim->GroupReglages->rect().contains(w->geometry())) << name;
    }
    const QRect file = FormCreeAnim->GroupFichier->geometry();
    EXPECT_FALSE(file.intersects(options));
    EXPECT_TRUE(FormCreeAnim->rect().contains(file));
    for (const char* name :
         {"CheckOptimiser", "SpinTolerance", "LabelToleranceAdu", "LabelTaille", "BitPorter"}) {
        const auto* w = FormCreeAnim->GroupFichier->findChild<QWidget*>(name);
        ASSERT_NE(w, nullptr) << name;
        EXPECT_TRUE(FormCreeAnim->GroupFichier->rect().contains(w->geometry())) << name;
    }
    EXPECT_EQ(FormCreeAnim->CheckOptimiser->text(), "Optimiser la taille");
    EXPECT_EQ(FormCreeAnim->LabelTaille->text(), "Taille estimée : —");
    EXPECT_EQ(FormCreeAnim->BitPorter->text(), "Porter à 2 centièmes");
    EXPECT_EQ(FormCreeAnim->CheckMemesReglages->text(), "Mêmes réglages pour toutes les images");
    EXPECT_EQ(FormCreeAnim->BitZone->text(), "Zone…");
    EXPECT_EQ(FormCreeAnim->LabelZone->text(), "Toute l'image");
}

TEST_F(BuilderOptionsTest, EachOptionReachesTheSavedFile) {
    AddSeries();
    const auto plain = Saved();
    ASSERT_EQ(plain->SubImages.size(), 3u);
    EXPECT_NE(Colors(*plain->SubImages[0]), Colors(*plain->SubImages[1]));
    EXPECT_FALSE(Builder().Modified);

    FormCreeAnim->CheckMemesReglages->click();
    EXPECT_TRUE(Builder().Modified);
    auto gif = Saved();
    EXPECT_EQ(Colors(*gif->SubImages[1]), Colors(*plain->SubImages[0])) << "the first frame's thresholds";
    EXPECT_EQ(Colors(*gif->SubImages[2]), Colors(*plain->SubImages[0]));
    FormCreeAnim->CheckMemesReglages->click();

    FormCreeAnim->SpinReduction->setValue(3);
    gif = Saved();
    EXPECT_EQ(gif->SubImages[0]->Descriptor.Width, 13);
    EXPECT_EQ(gif->SubImages[0]->Descriptor.Height, 10);
    FormCreeAnim->SpinReduction->setValue(1);
    EXPECT_EQ(FormCreeAnim->SpinReduction->text(), "Aucune");

    FormCreeAnim->CheckHeure->click();
    gif = Saved();
    for (size_t k = 0; k < 3; ++k) {
        const TBitmap& b = gif->SubImages[k]->GetBitmap();
        EXPECT_EQ(b.PixelColor(0, b.Height - 1), MakeColor(0, 0, 0)) << "the box in the corner";
        EXPECT_EQ(b.PixelColor(b.Width - 1, 0), plain->SubImages[k]->GetBitmap().PixelColor(b.Width - 1, 0));
    }
    EXPECT_NE(Colors(*gif->SubImages[0]), Colors(*plain->SubImages[0]));
    FormCreeAnim->CheckHeure->click();

    FormCreeAnim->CheckAllerRetour->click();
    gif = Saved();
    ASSERT_EQ(gif->SubImages.size(), 4u);
    EXPECT_EQ(Colors(*gif->SubImages[3]), Colors(*plain->SubImages[1]));
    FormCreeAnim->CheckAllerRetour->click();

    // The region, typed, then drawn on an image window.
    FormCreeAnim->BitZone->click();
    ASSERT_TRUE(FormCreeAnim->FormZone->isVisible());
    EXPECT_EQ(FormCreeAnim->FormZone->Region(), (TCropRect{1, 1, 40, 30})) << "the whole first frame";
    FormCreeAnim->FormZone->ShowRegion({2, 3, 10, 8});
    FormCreeAnim->FormZone->BitOK->click();
    EXPECT_EQ(FormCreeAnim->LabelZone->text(), "X 2, Y 3, 10 x 8");
    gif = Saved();
    EXPECT_EQ(gif->SubImages[0]->Descriptor.Width, 10);
    EXPECT_EQ(gif->SubImages[0]->Descriptor.Height, 8);

    TFormImage* image =
        OpenFits("drawn.fit", Int16Document(folder.filePath("drawn.fit").toStdString(), 40, 30));
    Drag(image, {5, 5}, {20, 12}); // no region is being chosen: nothing happens
    FormCreeAnim->BitZone->click();
    EXPECT_EQ(FormCreeAnim->FormZone->Region(), (TCropRect{2, 3, 10, 8}));
    Drag(image, {20, 12}, {5, 5});
    EXPECT_EQ(FormCreeAnim->FormZone->Region(), (TCropRect{6, 18, 16, 8}));
    const auto* band = image->Image->findChild<QRubberBand*>();
    ASSERT_NE(band, nullptr);
    EXPECT_TRUE(band->isVisible()) << "the region drawn stays while it is chosen";
    EXPECT_EQ(band->geometry(), QRect(5, 5, 16, 8));
    image->SetZoom(TZoom{2, 1}); // drawn on a zoomed view: the image pixels under the mouse
    FormCreeAnim->FormZone->ShowRegion({2, 3, 10, 8});
    Drag(image, {41, 25}, {10, 11});
    EXPECT_EQ(FormCreeAnim->FormZone->Region(), (TCropRect{6, 18, 16, 8}));
    EXPECT_EQ(band->geometry(), QRect(10, 11, 32, 15));
    image->SetZoom(TZoom{});
    EXPECT_FALSE(band->isVisible()) << "a band drawn at another zoom would stand elsewhere";
    FormCreeAnim->FormZone->BitOK->click();
    EXPECT_FALSE(band->isVisible());
    gif = Saved();
    EXPECT_EQ(gif->SubImages[0]->Descriptor.Width, 16);

    // A region no frame holds: nothing is written, the animation stays modified.
    FormCreeAnim->BitZone->click();
    FormCreeAnim->FormZone->ShowRegion({30, 1, 20, 5});
    FormCreeAnim->FormZone->BitOK->click();
    dialogs.FileNames.enqueue(folder.filePath("none.gif"));
    FormCreeAnim->BitEnr->click();
    EXPECT_FALSE(QFileInfo::exists(folder.filePath("none.gif")));
    EXPECT_TRUE(Builder().Modified);
    FormCreeAnim->BitZone->click();
    FormCreeAnim->FormZone->BitToute->click();
    EXPECT_EQ(FormCreeAnim->LabelZone->text(), "Toute l'image");
    EXPECT_FALSE(Builder().Options.Crop);
}

TEST_F(BuilderOptionsTest, TheOptionsStayFromOneUseToTheNextAndThePlayerShowsThem) {
    AddSeries();
    FormCreeAnim->CheckAllerRetour->click();
    FormCreeAnim->SpinReduction->setValue(2);
    FormCreeAnim->CheckMemesReglages->click();
    FormCreeAnim->CheckHeure->click();
    FormCreeAnim->BitZone->click();
    FormCreeAnim->FormZone->ShowRegion({1, 1, 40, 30});
    FormCreeAnim->FormZone->BitOK->click();
    FormCreeAnim->BitAnim->click();
    ASSERT_TRUE(FormAnim2->isVisible());
    EXPECT_EQ(FormCreeAnim->Builder.ShownFrames().size(), 4u);
    FormAnim2->TimerTimer();
    EXPECT_EQ(FormAnim2->Image1->pixmap().size(), QSize(20, 15));
    EXPECT_FALSE(FormCreeAnim->GroupReglages->isEnabled()) << "nothing changes what is played";
    FormAnim2->close();
    EXPECT_TRUE(FormCreeAnim->GroupReglages->isEnabled());
    EXPECT_TRUE(FormCreeAnim->Builder.Preview.empty());

    dialogs.Answers.enqueue(TAnswer::No);
    FormCreeAnim->BitQuit->click();
    FormCreeAnim->show();
    EXPECT_TRUE(FormCreeAnim->CheckAllerRetour->isChecked());
    EXPECT_EQ(FormCreeAnim->SpinReduction->value(), 2);
    EXPECT_TRUE(FormCreeAnim->CheckMemesReglages->isChecked());
    EXPECT_TRUE(FormCreeAnim->CheckHeure->isChecked());
    EXPECT_EQ(FormCreeAnim->LabelZone->text(), "X 1, Y 1, 40 x 30");
    TAnimOptions kept;
    kept.SameDisplay = kept.Stamp = kept.Bounce = true;
    kept.Bin = 2;
    kept.Crop = TCropRect{1, 1, 40, 30};
    EXPECT_EQ(Builder().Options, kept);
}

namespace {

// Three 40 x 30 frames in which a bright square moves right; the third frame's sky is also
// brighter by between two and three display levels, as passing cloud or twilight make it.
class BuilderFileTest : public BuilderOptionsTest {
  protected:
    void AddBrighteningSeries() {
        for (int i = 0; i < 3; ++i) {
            const QString name = QString("B%1.fit").arg(i);
            TImageDocument doc = Int16Document(folder.filePath(name).toStdString(), 40, 30);
            auto* v = reinterpret_cast<int16_t*>(doc.PixelStore.data());
            for (size_t k = 0; i == 2 && k < doc.PixelStore.size() / 2; ++k)
                v[k] = static_cast<int16_t>(v[k] + 160);
            for (int r = 5; r < 8; ++r)
                for (int x = 5 + 12 * i; x < 8 + 12 * i; ++x)
                    v[r * 40 + x] = 16000;
            SaveFits(doc, doc.FileName);
        }
        ChooseBatch({"B0.fit", "B1.fit", "B2.fit"});
        FormCreeAnim->BitSelect->click();
    }
    // "Taille estimée" once the estimate asked last has arrived, in bytes.
    double EstimatedBytes() {
        QSignalSpy arrived(FormCreeAnim, &TFormCreeAnim::SizeEstimated);
        if (FormCreeAnim->LabelTaille->text().endsWith("…")) {
            EXPECT_TRUE(arrived.wait(10000));
        }
        QString text = FormCreeAnim->LabelTaille->text().section(" : ", 1);
        double unit = 1;
        if (text.endsWith(" Ko")) unit = 1e3;
        if (text.endsWith(" Mo")) unit = 1e6;
        text = text.section(' ', 0, 0).replace(',', '.');
        bool number = false;
        const double value = text.toDouble(&number);
        EXPECT_TRUE(number) << FormCreeAnim->LabelTaille->text().toStdString();
        return value * unit;
    }
    // The pictures the saved file shows, frame after frame.
    std::vector<TBitmap> Shown(const QString& path) {
        TGifFile gif;
        gif.LoadFromFile(path.toStdString());
        std::vector<TBitmap> pictures;
        for (const TAnimImg& f : GifFrames(gif, path.toStdString()))
            pictures.push_back(f.Bitmap);
        return pictures;
    }
    static int MaxDifference(const TBitmap& a, const TBitmap& b) {
        int most = 0;
        for (int32_t y = 0; y < a.Height; ++y)
            for (int32_t x = 0; x < a.Width; ++x)
                for (int shift : {0, 8, 16})
                    most = std::max(most, std::abs(int((a.PixelColor(x, y) >> shift) & 255) -
                                                   int((b.PixelColor(x, y) >> shift) & 255)));
        return most;
    }
};

} // namespace

TEST_F(BuilderFileTest, OptimisationAndToleranceReachTheFileAndTheEstimateFollowsThem) {
    AddBrighteningSeries();
    const QString plainPath = folder.filePath("plain.gif");
    dialogs.FileNames.enqueue(plainPath);
    FormCreeAnim->BitEnr->click();
    const std::vector<TBitmap> plain = Shown(plainPath);
    ASSERT_EQ(plain.size(), 3u);
    const struct {
        const char* Case;
        bool Optimize;
        int Tolerance;
        int SecondWidth, ThirdWidth; // of what the second and third frames write
        int MostOff;                 // levels a shown pixel is off by
    } rows[] = {
        {"whole frames", false, 0, 40, 40, 0},
        {"what changes, exactly", true, 0, 15, 40, 0},
        {"the sky's change is beyond the tolerance", true, 1, 15, 40, 0},
        {"the sky's change is within the tolerance", true, 4, 15, 15, 3},
    };
    for (const auto& r : rows) {
        // Both changed before the first estimate arrives: only the last one's is shown.
        FormCreeAnim->CheckOptimiser->setChecked(r.Optimize);
        FormCreeAnim->SpinTolerance->setValue(r.Tolerance);
        EXPECT_EQ(FormCreeAnim->SpinTolerance->isEnabled(), r.Optimize) << r.Case;
        const double estimated = EstimatedBytes();
        const auto gif = Saved();
        const QString path = folder.filePath("options.gif");
        ASSERT_EQ(gif->SubImages.size(), 3u) << r.Case;
        EXPECT_EQ(gif->SubImages[1]->Descriptor.Width, r.SecondWidth) << r.Case;
        EXPECT_EQ(gif->SubImages[2]->Descriptor.Width, r.ThirdWidth) << r.Case;
        const std::vector<TBitmap> shown = Shown(path);
        int mostOff = 0;
        for (size_t k = 0; k < 3; ++k)
            mostOff = std::max(mostOff, MaxDifference(shown[k], plain[k]));
        EXPECT_LE(mostOff, r.Tolerance) << r.Case;
        EXPECT_EQ(mostOff, r.MostOff) << r.Case;
        const double bytes = double(QFileInfo(path).size());
        EXPECT_LE(std::abs(estimated - bytes), 0.1 * bytes)
            << r.Case << ": " << estimated << " for " << bytes;
    }
    // In the first frame's values: 4 levels of 16383 / 255 ADU.
    EXPECT_EQ(FormCreeAnim->LabelToleranceAdu->text(), "4 niveaux = 257 ADU");

    // Kept for the next session, as the program ended.
    FormCreeAnim->SpinTolerance->setValue(6);
    RestartProgram();
    FormCreeAnim->show();
    EXPECT_TRUE(FormCreeAnim->CheckOptimiser->isChecked());
    EXPECT_EQ(FormCreeAnim->SpinTolerance->value(), 6);
    EXPECT_TRUE(Builder().Options.Optimize);
    EXPECT_EQ(Builder().Options.Tolerance, 6);
    FormCreeAnim->CheckOptimiser->click();
    EXPECT_EQ(Builder().Options.Tolerance, 0) << "the tolerance goes with the optimisation";
    RestartProgram();
    EXPECT_FALSE(FormCreeAnim->CheckOptimiser->isChecked());
    EXPECT_EQ(FormCreeAnim->SpinTolerance->value(), 6);
}

TEST_F(BuilderTest, ShortDelaysAreMarkedAndRaisedToTwoHundredths) {
    AddThreeFrames();
    Click(1);
    FormCreeAnim->SpinInter->setValue(0);
    Click(2);
    FormCreeAnim->SpinInter->setValue(1);
    const auto marks = [this] {
        std::vector<bool> shown;
        for (const QLabel* mark : FormCreeAnim->ShortMarks)
            shown.push_back(mark->isVisibleTo(FormCreeAnim));
        return shown;
    };
    EXPECT_EQ(marks(), (std::vector<bool>{true, true, false}));
    EXPECT_TRUE(
        FormCreeAnim->LabelDelaisCourts->text().startsWith("2 images ont un délai de 0 ou 1 centième"));
    Builder().Modified = false;
    FormCreeAnim->BitPorter->click();
    EXPECT_EQ(marks(), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(FormCreeAnim->LabelDelaisCourts->text(), "");
    EXPECT_FALSE(FormCreeAnim->BitPorter->isEnabled());
    EXPECT_TRUE(Builder().Modified);
    const QString path = folder.filePath("raised.gif");
    dialogs.FileNames.enqueue(path);
    FormCreeAnim->BitEnr->click();
    TGifFile gif;
    gif.LoadFromFile(path.toStdString());
    ASSERT_EQ(gif.SubImages.size(), 3u);
    EXPECT_EQ(gif.SubImages[0]->GetDelay(), 2);
    EXPECT_EQ(gif.SubImages[1]->GetDelay(), 2);
    EXPECT_EQ(gif.SubImages[2]->GetDelay(), 15);
}

TEST_F(BuilderTest, TheSeriesTableMarksABrightFrameAndRemovingDropsItFromTheAnimation) {
    // Four frames of one ramp; the third lifted far above the others' sky.
    for (int k = 0; k < 4; ++k) {
        TImageDocument doc =
            Int16Document(folder.filePath(QStringLiteral("s%1.fit").arg(k)).toStdString(), 20, 10);
        if (k == 2)
            for (size_t i = 0; i < doc.PixelStore.size(); i += 2)
                doc.PixelStore[i + 1] = static_cast<uint8_t>(doc.PixelStore[i + 1] + 80); // + 20480
        Load(std::move(doc));
        FormCreeAnim->BitAjout->click();
    }
    Builder().Modified = false;
    FormCreeAnim->BitSerie->click(); // the figures arrive through the event loop
    TFormSerie* serie = FormCreeAnim->FormSerie;
    QSignalSpy measured(serie, &TFormSerie::Measured);
    ASSERT_TRUE(measured.wait(5000));
    ASSERT_EQ(serie->Table->rowCount(), 4);
    const QStringList expected = {"", "", "sky", ""};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(serie->Table->item(k, 0)->text(), QStringLiteral("s%1.fit").arg(k));
        EXPECT_EQ(serie->Table->item(k, 5)->text(), expected[k]) << k;
    }
    ASSERT_TRUE(serie->BitRetirer->isEnabled());
    serie->BitRetirer->click();
    EXPECT_EQ(FrameNames(), (std::vector<std::string>{"s0.fit", "s1.fit", "s3.fit"}));
    EXPECT_TRUE(Builder().Modified);
    ASSERT_TRUE(measured.wait(5000));
    EXPECT_EQ(serie->Table->rowCount(), 3);
    EXPECT_FALSE(serie->BitRetirer->isEnabled());
}

TEST_F(BuilderFileTest, TheNameChosenSaysWhetherAGifAWebPOrAnMp4IsWritten) {
    AddBrighteningSeries();
    FormCreeAnim->CheckOptimiser->setChecked(true); // a GIF's matter only
    const struct {
        const char* Name;
        qsizetype At;
        QByteArray Mark;
        int Frames; // the animation chunks of a WebP
    } rows[] = {
        {"a.gif", 0, "GIF89a", 0},
        {"a.webp", 8, "WEBP", 3},
        {"a.mp4", 4, "ftyp", 0},
    };
    for (const auto& r : rows) {
        const QString path = folder.filePath(r.Name);
        dialogs.FileNames.enqueue(path);
        FormCreeAnim->BitEnr->click();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << r.Name;
        const QByteArray bytes = file.readAll();
        EXPECT_EQ(bytes.mid(r.At, r.Mark.size()), r.Mark) << r.Name;
        if (r.Frames) {
            EXPECT_EQ(bytes.count("ANMF"), r.Frames) << r.Name;
        }
    }
    QStringList offered;
    for (const TFileFilter& f : dialogs.SaveFilters.last())
        offered << f.Patterns.toLower();
    EXPECT_EQ(offered, QStringList({"*.gif", "*.webp", "*.mp4"}));
}

namespace {

// Three 80 x 60 windows on one field of stars, moved by whole pixels, without noise: aligned,
// they show the same pixels.
class BuilderAlignTest : public BuilderOptionsTest {
  protected:
    void AddDriftingSeries() {
        const std::vector<align_test::TSpot> field = align_test::Field(100, 80, 25, 7);
        const int moves[3][2] = {{0, 0}, {4, 3}, {9, 1}};
        for (int i = 0; i < 3; ++i) {
            const QString name = QString("D%1.fit").arg(i);
            TImageDocument doc = Int16Document(folder.filePath(name).toStdString(), 80, 60);
            auto* v = reinterpret_cast<int16_t*>(doc.PixelStore.data());
            for (int y = 0; y < 60; ++y)
                for (int x = 0; x < 80; ++x) {
                    const double fx = x + moves[i][0], fy = y + moves[i][1];
                    double value = 1000 + 0.2 * fx + 0.1 * fy;
                    for (const align_test::TSpot& s : field)
                        value += s.Peak * std::exp(-((fx - s.X) * (fx - s.X) + (fy - s.Y) * (fy - s.Y)) /
                                                   (2 * s.Sigma * s.Sigma));
                    v[y * 80 + x] = static_cast<int16_t>(std::min(value, 32000.0));
                }
            doc.LowThreshold = 1000;
            doc.HighThreshold = 3000;
            SaveFits(doc, doc.FileName);
        }
        ChooseBatch({"D0.fit", "D1.fit", "D2.fit"});
        FormCreeAnim->BitSelect->click();
    }
};

} // namespace

TEST_F(BuilderAlignTest, TheAlignmentChosenReachesTheSavedFile) {
    AddDriftingSeries();
    const struct {
        int Choice;
        const char* Shown;
        int Width, Height; // of the saved frames; 0: nothing written
        bool Alike;        // the frames show the same pixels
        const char* Tip;   // the second and third thumbnails' tooltips begin so
        const char* ThirdTip;
    } rows[] = {
        {0, "aucun", 80, 60, false, "", ""},
        {1, "étoiles", 71, 57, true, "Décalage : X 4, Y 3", "Décalage : X 9, Y 1"},
        {2, "coordonnées", 0, 0, false, "D1.fit : ", "D2.fit : "}, // no frame has any
    };
    for (const auto& r : rows) {
        QSignalSpy estimated(FormCreeAnim, &TFormCreeAnim::SizeEstimated);
        FormCreeAnim->ComboAlignement->setCurrentIndex(r.Choice);
        EXPECT_EQ(FormCreeAnim->ComboAlignement->currentText(), r.Shown);
        EXPECT_EQ(Builder().Options.Align, static_cast<TAlignMethod>(r.Choice)) << r.Shown;
        if (r.Choice != 0) {
            EXPECT_TRUE(estimated.wait(10000)) << r.Shown;
        }
        for (const auto& [slot, start] : {std::pair{1, r.Tip}, std::pair{2, r.ThirdTip}}) {
            const QString tip = FormCreeAnim->Images[slot]->toolTip();
            EXPECT_TRUE(*start ? tip.startsWith(QString::fromUtf8(start)) : tip.isEmpty())
                << r.Shown << ": " << tip.toStdString();
        }
        dialogs.Messages.clear();
        if (r.Width == 0) {
            const QString path = folder.filePath("none.gif");
            dialogs.FileNames.enqueue(path);
            FormCreeAnim->BitEnr->click();
            EXPECT_FALSE(QFileInfo::exists(path)) << r.Shown;
            ASSERT_FALSE(dialogs.Messages.isEmpty()) << r.Shown;
            EXPECT_TRUE(dialogs.Messages[0].Text.contains("D1.fit"))
                << dialogs.Messages[0].Text.toStdString();
            continue;
        }
        const auto gif = Saved();
        ASSERT_EQ(gif->SubImages.size(), 3u) << r.Shown;
        for (size_t k = 0; k < 3; ++k) {
            EXPECT_EQ(gif->SubImages[k]->Descriptor.Width, r.Width) << r.Shown;
            EXPECT_EQ(gif->SubImages[k]->Descriptor.Height, r.Height) << r.Shown;
        }
        EXPECT_EQ(Colors(*gif->SubImages[1]) == Colors(*gif->SubImages[0]), r.Alike) << r.Shown;
        EXPECT_EQ(Colors(*gif->SubImages[2]) == Colors(*gif->SubImages[0]), r.Alike) << r.Shown;
    }
}

TEST_F(BuilderFileTest, NormalisingTheSkyReachesTheSavedFile) {
    AddBrighteningSeries();
    const struct {
        bool Normalize;
        int MostOff; // levels the third frame's sky is off the first's
    } rows[] = {{false, 3}, {true, 0}};
    for (const auto& r : rows) {
        if (FormCreeAnim->CheckNormaliser->isChecked() != r.Normalize) FormCreeAnim->CheckNormaliser->click();
        EXPECT_EQ(Builder().Options.Normalize, r.Normalize);
        Saved();
        const std::vector<TBitmap> shown = Shown(folder.filePath("options.gif"));
        ASSERT_EQ(shown.size(), 3u);
        int mostOff = 0;
        for (int32_t y = 0; y < shown[0].Height; ++y)
            for (int32_t x = 0; x < shown[0].Width; ++x)
                if (y < 22 || y > 24) // not the rows the square moves along
                    mostOff = std::max(mostOff, std::abs(int(shown[2].PixelColor(x, y) & 255) -
                                                         int(shown[0].PixelColor(x, y) & 255)));
        EXPECT_EQ(mostOff, r.MostOff) << r.Normalize;
    }
}

TEST_F(BuilderTest, ABatchTakesEveryFrameOfAVideoAndARecoveryGivesThemBack) {
    orv::test::TSerFile ser;
    ser.Width = 4;
    ser.Height = 2;
    for (uint16_t k = 0; k < 3; ++k)
        ser.Frames.push_back(std::vector<uint16_t>(8, uint16_t(1000 * (k + 1))));
    const std::vector<uint8_t> bytes = ser.Bytes();
    QFile file(folder.filePath("clip.ser"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    file.close();
    WriteFits("a.fit", "22:10:00");
    ChooseBatch({"a.fit", "clip.ser"});
    FormCreeAnim->BitSelect->click();
    const std::vector<std::string> names = {"a.fit", "clip.ser (image 1)", "clip.ser (image 2)",
                                            "clip.ser (image 3)"};
    ASSERT_EQ(FrameNames(), names);
    std::vector<std::vector<uint8_t>> values;
    for (const TAnimImg& f : Builder().Frames)
        values.push_back(f.Source->Raw.Store);
    EXPECT_NE(values[1], values[2]);
    EXPECT_NE(values[2], values[3]);

    // Made again from their files after a crash: each frame from its own place in the video.
    EXPECT_TRUE(FormCreeAnim->RestoreAnimation(RecordedFrames(Builder()), Builder().Options).empty());
    EXPECT_EQ(FrameNames(), names);
    for (size_t k = 0; k < values.size(); ++k)
        EXPECT_EQ(Builder().Frames[k].Source->Raw.Store, values[k]) << k;
}

TEST_F(BuilderOptionsTest, AnObjectFollowedStaysStillInTheSavedFile) {
    AddSeries(); // a minute apart
    TFormImage* image =
        OpenFits("drawn.fit", Int16Document(folder.filePath("drawn.fit").toStdString(), 40, 30));
    FormCreeAnim->BitSuivre->click();
    ASSERT_TRUE(FormCreeAnim->FormSuivi->isVisible());
    Drag(image, {9, 19}, {11, 21});  // the first frame's place: the middle, readout (11, 10)
    Drag(image, {19, 15}, {19, 15}); // then the last frame's
    TTrack clicked = FormCreeAnim->FormSuivi->Track();
    EXPECT_EQ(clicked, (TTrack{11, 10, 20, 15}));
    const struct {
        const char* Case;
        std::optional<TTrack> Track;
        int Width, Height;
        const char* Caption;
    } rows[] = {
        {"followed", TTrack{10, 10, 18, 14}, 32, 26, "Suivi…"},
        {"not followed", std::nullopt, 40, 30, "Suivre…"},
    };
    for (const auto& r : rows) {
        if (!FormCreeAnim->FormSuivi->isVisible()) FormCreeAnim->BitSuivre->click();
        if (r.Track) {
            FormCreeAnim->FormSuivi->ShowTrack(*r.Track);
            FormCreeAnim->FormSuivi->BitOK->click();
        } else {
            FormCreeAnim->FormSuivi->BitAucun->click();
        }
        EXPECT_EQ(Builder().Options.Track, r.Track) << r.Case;
        EXPECT_EQ(FormCreeAnim->BitSuivre->text(), r.Caption) << r.Case;
        const auto gif = Saved();
        ASSERT_EQ(gif->SubImages.size(), 3u) << r.Case;
        EXPECT_EQ(gif->SubImages[2]->Descriptor.Width, r.Width) << r.Case;
        EXPECT_EQ(gif->SubImages[2]->Descriptor.Height, r.Height) << r.Case;
    }
}

TEST_F(BuilderOptionsTest, ColourImagesGiveColourFramesWithTheirOwnOrTheFirstFramesDisplay) {
    // Two windows of the same mosaic, the second shown with a lower high threshold.
    std::vector<TFormImage*> windows;
    for (const char* name : {"osc1.fits", "osc2.fits"}) {
        FormMain->OpenFile(WriteMosaic(folder, "GBRG", {1000, 200, 700, 50, 300, 900, 100, 600}, name));
        TFormImage* w = FormMain->ActiveMDIChild();
        ASSERT_NE(w, nullptr);
        if (!windows.empty()) {
            w->Document().HighThreshold = w->Document().LowThreshold + 300;
            w->DisplayChanged();
        }
        windows.push_back(w);
        FormCreeAnim->BitAjout->click();
    }
    ASSERT_EQ(Builder().Frames.size(), 2u);
    const auto shown = [](const TFormImage* w) {
        std::vector<uint32_t> colors;
        const QImage& p = w->Image->Picture();
        for (int y = 0; y < p.height(); ++y)
            for (int x = 0; x < p.width(); ++x)
                colors.push_back(MakeColor(uint8_t(qRed(p.pixel(x, y))), uint8_t(qGreen(p.pixel(x, y))),
                                           uint8_t(qBlue(p.pixel(x, y)))));
        return colors;
    };
    ASSERT_NE(shown(windows[0]), shown(windows[1]));
    EXPECT_EQ(Builder().Frames[0].Bitmap.BitCount, 24) << "the thumbnail is in colour";
    // Few colours in all: the one table holds them exactly.
    const struct {
        const char* Case;
        bool Same;
        size_t SecondLike;
    } rows[] = {{"each its own display", false, 1}, {"the first frame's display", true, 0}};
    for (const auto& r : rows) {
        if (FormCreeAnim->CheckMemesReglages->isChecked() != r.Same)
            FormCreeAnim->CheckMemesReglages->click();
        const auto gif = Saved();
        ASSERT_EQ(gif->SubImages.size(), 2u) << r.Case;
        EXPECT_GT(gif->GlobalTable.Count, 0) << r.Case;
        EXPECT_EQ(Colors(*gif->SubImages[0]), shown(windows[0])) << r.Case;
        EXPECT_EQ(Colors(*gif->SubImages[1]), shown(windows[r.SecondLike])) << r.Case;
    }
}
