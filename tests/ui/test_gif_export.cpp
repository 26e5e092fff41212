// "Enregistrer sous Gif": the displayed picture as a one-image GIF file.
#include "program_fixture.h"

#include "core/formats/fits_test_files.h"
#include "core/gif/gif_file.h"
#include "core/gif/gif_sub_image.h"
#include "core/image/display.h"
#include "ui/display_picture.h"
#include "ui/form_seuils.h"
#include "ui/image_control.h"
#include "ui/progress_form.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <functional>

using namespace orv;
using namespace orv::ui;
using namespace orv::ui::test;

namespace {

// The first image of a GIF file, as the program's reader reads it.
struct TReadGif {
    size_t Images = 0;
    int Width = 0, Height = 0;
    int Colours = 0;
    QImage Picture;
};

TReadGif ReadGif(const QString& path) {
    TGifFile gif;
    gif.LoadFromFile(path.toStdString());
    TReadGif r;
    r.Images = gif.SubImages.size();
    r.Width = gif.ScreenWidth;
    r.Height = gif.ScreenHeight;
    r.Colours = gif.GlobalTable.Count;
    if (!gif.SubImages.empty()) {
        const TBitmap& b = gif.SubImages.front()->GetBitmap();
        QImage picture(b.Width, b.Height, QImage::Format_RGB32);
        for (int y = 0; y < b.Height; ++y)
            for (int x = 0; x < b.Width; ++x) {
                const uint32_t c = b.Palette[b.Pixels[static_cast<size_t>(y) * b.Width + x]];
                picture.setPixel(x, y, qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
            }
        r.Picture = picture;
    }
    return r;
}

} // namespace

class GifExportTest : public ProgramTest {
  protected:
    TFormImage* Fits() {
        TImageDocument doc = Int16Document(folder.filePath("m31.fit").toStdString(), 48, 40);
        doc.HighThreshold = 40000;
        return Load(std::move(doc));
    }
};

TEST_F(GifExportTest, TheDisplayedPictureBecomesAOneImageGif) {
    TFormImage* w = Fits();
    const QString caption = w->windowTitle();
    dialogs.FileNames.enqueue(folder.filePath("export")); // no extension: ".gif" is added
    FormMain->EnregistrersousGif1->trigger();
    ASSERT_EQ(dialogs.SaveFilters.size(), 1);
    // Shown as "Image Gif (*.gif)", matching "*.Gif" (the file dialog ignores case).
    EXPECT_EQ(QtFilterString(dialogs.SaveFilters[0]), "Image Gif (*.gif) (*.Gif)");
    ASSERT_TRUE(QFile::exists(folder.filePath("export.gif")));
    const TReadGif gif = ReadGif(folder.filePath("export.gif"));
    EXPECT_EQ(gif.Images, 1u);
    EXPECT_EQ(gif.Width, 48);
    EXPECT_EQ(gif.Height, 40);
    EXPECT_EQ(gif.Colours, 256);
    EXPECT_EQ(gif.Picture, w->Image->Picture().convertToFormat(QImage::Format_RGB32));
    EXPECT_FALSE(ProgressForm->isVisible());
    EXPECT_TRUE(dialogs.Messages.isEmpty());
    // The camera image keeps its name and kind: "Enregistrer" writes FITS to the FITS file.
    EXPECT_EQ(w->FileName(), folder.filePath("m31.fit"));
    EXPECT_EQ(w->windowTitle(), caption);
    FormMain->FileSaveItem->trigger();
    QFile fits(folder.filePath("m31.fit"));
    ASSERT_TRUE(fits.open(QIODevice::ReadOnly));
    EXPECT_TRUE(fits.read(6) == "SIMPLE");
    EXPECT_EQ(ReadGif(folder.filePath("export.gif")).Images, 1u); // the GIF is untouched
}

TEST_F(GifExportTest, AColourImageIsSavedInTheColoursItShows) {
    const QString path = WriteMosaic(folder, "GBRG", {1000, 200, 700, 50, 300, 900, 100, 600});
    FormMain->OpenFile(path);
    TFormImage* w = FormMain->ActiveMDIChild();
    ASSERT_NE(w, nullptr);
    dialogs.FileNames.enqueue(folder.filePath("colour.gif"));
    FormMain->EnregistrersousGif1->trigger();
    EXPECT_EQ(ReadGif(folder.filePath("colour.gif")).Picture, w->Image->Picture()); // 8 colours: exact
}

TEST_F(GifExportTest, TwoExportsUnderTwoNamesHoldTheirOwnPicture) {
    TFormImage* w = Fits();
    dialogs.FileNames.enqueue(folder.filePath("first.GIF")); // used as typed
    FormMain->EnregistrersousGif1Click();
    const QImage first = w->Image->Picture().convertToFormat(QImage::Format_RGB32);
    FormSeuils->show();
    FormSeuils->Invert->click();
    dialogs.FileNames.enqueue(folder.filePath("second.gif"));
    FormMain->EnregistrersousGif1Click();
    const TReadGif a = ReadGif(folder.filePath("first.GIF")), b = ReadGif(folder.filePath("second.gif"));
    EXPECT_FALSE(QFile::exists(folder.filePath("first.GIF.gif")));
    EXPECT_EQ(a.Images, 1u);
    EXPECT_EQ(b.Images, 1u);
    EXPECT_EQ(a.Picture, first);
    EXPECT_NE(b.Picture, first);
}

// Zoomed out, a change of display renders only the view: whatever takes the picture at 1:1
// afterwards must still get it with the change.
TEST_F(GifExportTest, AChangeMadeZoomedOutReachesTheExportThePrintAndTheFullView) {
    TFormImage* w = Fits();
    const struct {
        const char* What;
        std::function<void()> Change;
    } changes[] = {
        {"display function",
         [w] {
             w->Document().DisplayFunction = TDisplayFunction::Asinh;
             w->ViewChanged();
         }},
        {"thresholds",
         [w] {
             w->Document().HighThreshold = 9000;
             w->DisplayChanged();
         }},
    };
    const QString gif = folder.filePath("zoomed.gif");
    const struct {
        const char* What;
        std::function<QImage()> Take;
    } takers[] = {
        {"export",
         [this, gif] {
             QFile::remove(gif);
             dialogs.FileNames.enqueue(gif);
             FormMain->EnregistrersousGif1Click();
             return ReadGif(gif).Picture;
         }},
        {"print", [w] { return w->Picture(); }},
        {"1:1",
         [this, w] {
             FormMain->TailleReelle1->trigger();
             return w->Image->Picture();
         }},
    };
    for (const auto& change : changes)
        for (const auto& taker : takers) {
            // Shown at 1:1 with the first display, then changed while zoomed out.
            w->SetZoom(TZoom{});
            w->Document().DisplayFunction = TDisplayFunction::Linear;
            w->Document().HighThreshold = 40000;
            w->ViewChanged();
            w->SetZoom(TZoom{1, 2});
            change.Change();
            TImageDocument expected = w->Document();
            Render(expected);
            EXPECT_EQ(taker.Take().convertToFormat(QImage::Format_RGB32),
                      DisplayPicture(expected.DisplayStream).convertToFormat(QImage::Format_RGB32))
                << change.What << ", then " << taker.What;
        }
    w->Document().Modified = false;
}

TEST_F(GifExportTest, AnExistingFileIsOverwrittenOnlyAfterYes) {
    Fits();
    const QString path = folder.filePath("old.gif");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old");
    }
    dialogs.FileNames.enqueue(path);
    dialogs.Answers.enqueue(TAnswer::No);
    FormMain->EnregistrersousGif1Click();
    ASSERT_EQ(dialogs.Messages.size(), 1);
    EXPECT_EQ(dialogs.Messages[0].Kind, TMsgKind::Confirmation);
    EXPECT_EQ(dialogs.Messages[0].Buttons, TButtons::YesNo);
    EXPECT_EQ(dialogs.Messages[0].Caption, "Confirmation");
    EXPECT_EQ(dialogs.Messages[0].Text, "Le fichier :\n" + path + "\nExiste deja, l'ecraser ?");
    EXPECT_EQ(QFileInfo(path).size(), 3);
    dialogs.FileNames.enqueue(path);
    dialogs.Answers.enqueue(TAnswer::Yes);
    FormMain->EnregistrersousGif1Click();
    EXPECT_EQ(ReadGif(path).Images, 1u);
}

TEST_F(GifExportTest, AGifDocumentTakesTheNewNameAndNothingHappensWithoutAnImage) {
    dialogs.FileNames.enqueue(folder.filePath("nothing.gif"));
    FormMain->EnregistrersousGif1Click(); // no current image
    EXPECT_FALSE(QFile::exists(folder.filePath("nothing.gif")));
    FormMain->EnregistrersousGif1Click(); // cancelled dialog
    // A GIF document, saved as GIF by "Enregistrer": it follows its new file.
    Fits();
    dialogs.FileNames.enqueue(folder.filePath("a.gif"));
    FormMain->EnregistrersousGif1Click();
    FormMain->OpenFile(folder.filePath("a.gif"));
    TFormImage* gif = FormMain->ActiveMDIChild();
    ASSERT_EQ(gif->Document().Kind, kKindGif);
    dialogs.FileNames.enqueue(folder.filePath("b"));
    FormMain->EnregistrersousGif1Click();
    EXPECT_EQ(gif->FileName(), folder.filePath("b.gif"));
    EXPECT_TRUE(gif->windowTitle().contains("b.gif")) << gif->windowTitle().toStdString();
    EXPECT_EQ(ReadGif(folder.filePath("b.gif")).Images, 1u);
}

TEST_F(GifExportTest, AFileThatCannotBeWrittenReachesTheErrorBox) {
    TFormImage* w = Fits();
    const QString caption = w->windowTitle();
    dialogs.FileNames.enqueue(folder.filePath("missing/dir/x.gif"));
    FormMain->EnregistrersousGif1->trigger();
    ASSERT_EQ(dialogs.Messages.size(), 1);
    EXPECT_EQ(dialogs.Messages[0].Caption, "Orvanel");
    EXPECT_EQ(w->windowTitle(), caption);
    EXPECT_FALSE(ProgressForm->isVisible());
}

TEST_F(GifExportTest, ClosingTheWindowDuringItsOwnSaveKeepsTheFile) {
    const struct {
        const char* Case;
        std::function<void(TFormImage*)> Close;
    } rows[] = {
        {"its close box", [](TFormImage* w) { w->close(); }},
        {"Tout fermer", [this](TFormImage*) { FormMain->Toutfermer1->trigger(); }},
        {"Fermer", [this](TFormImage*) { FormMain->FileCloseItem->trigger(); }},
    };
    for (const auto& r : rows) {
        TFormImage* w = Fits();
        w->Document().Modified = true; // a close asks first: "Non" closes without saving
        const QString path = folder.filePath(QString::fromUtf8(r.Case) + ".gif");
        dialogs.FileNames.enqueue(path);
        // Runs while the progress window lets events through.
        bool duringSave = false;
        QTimer::singleShot(0, w, [&] {
            duringSave = w->Saving();
            r.Close(w);
        });
        FormMain->EnregistrersousGif1->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(duringSave) << r.Case;
        EXPECT_EQ(ReadGif(path).Images, 1u) << r.Case;
        EXPECT_EQ(FormMain->MDIChildCount(), 0) << r.Case;
        EXPECT_FALSE(ProgressForm->isVisible()) << r.Case;
    }
}
