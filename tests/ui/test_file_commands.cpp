// Duplicating, closing with the Modified question, saving, opening dropped and named files.
#include "program_fixture.h"

#include "core/base/file_io.h"
#include "core/document/gif_document.h"
#include "core/image/display.h"
#include "ui/anim/form_select_lot.h"
#include "ui/image/image_control.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMimeData>
#include <QProcess>
#include <QSignalSpy>
#include <QUrl>

using namespace orv;
using namespace orv::ui;
using namespace orv::ui::test;

namespace {

std::string Touch(const QString& path) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write("x");
    return path.toStdString();
}

} // namespace

TEST_F(ProgramTest, DuplicateIsNamedAfterTheWindowCountInTheSourceFolder) {
    const std::string dir = folder.path().toStdString() + "/";
    TImageDocument source = Int16Document(dir + "M42.FIT", 20, 10);
    source.HighThreshold = 900;
    source.LowThreshold = 50;
    source.Header.Object = "M42";
    source.HistoryLines = {"first"};
    TFormImage* s = OpenFits("M42.FIT", std::move(source));
    FormMain->Dupliquer1->trigger();
    ASSERT_EQ(FormMain->MDIChildCount(), 2);
    TFormImage* t = FormMain->ActiveMDIChild();
    ASSERT_NE(t, s);
    EXPECT_EQ(FormMain->CurrentImage(), t);
    const TImageDocument& d = t->Document();
    EXPECT_EQ(d.FileName, dir + "Image2.Fit");
    EXPECT_EQ(t->windowTitle(), "Image : Image2.Fit (20x10) Entier 16 bits");
    EXPECT_EQ(d.Kind, kKindFits);
    EXPECT_EQ(d.PixelStore, s->Document().PixelStore);
    EXPECT_EQ(d.Header.Object, "M42");
    EXPECT_EQ(d.HistoryLines, s->Document().HistoryLines);
    EXPECT_EQ(d.HighThreshold, 900);
    EXPECT_EQ(d.LowThreshold, 50);
    EXPECT_EQ(t->Image->size(), QSize(20, 10));
    EXPECT_FALSE(FileExists(d.FileName)); // nothing written before the copy is saved
    // The copy is a FITS image: the tools act on it at once.
    EXPECT_TRUE(FormMain->SpeedSeuils->isEnabled());
}

TEST_F(ProgramTest, DuplicateNeverTakesTheNameOfAnExistingFileOrOpenWindow) {
    const std::string dir = folder.path().toStdString() + "/";
    Touch(folder.filePath("Image2.Pic"));
    TFormImage* s = OpenPic("saturn.pic", Int16Document(dir + "saturn.pic", 8, 8, kKindPic));
    FormMain->Dupliquer1->trigger();
    EXPECT_EQ(FormMain->ActiveMDIChild()->Document().FileName, dir + "Image3.Pic");
    // Close nothing, duplicate again from the source: 3 windows, Image3 held by the first copy.
    FormMain->MdiArea->setActiveSubWindow(s);
    FormMain->Dupliquer1->trigger();
    EXPECT_EQ(FormMain->ActiveMDIChild()->Document().FileName, dir + "Image4.Pic");
}

TEST_F(ProgramTest, DuplicateOfABitmapShowsTheSamePictureUnderTheSameName) {
    TFormImage* s = OpenBmp("photo.bmp", 40, 30);
    ASSERT_EQ(s->Document().Kind, kKindBmp);
    FormMain->Dupliquer1->trigger();
    TFormImage* t = FormMain->ActiveMDIChild();
    ASSERT_NE(t, s);
    EXPECT_EQ(t->Document().Kind, kKindEmpty);
    EXPECT_EQ(t->Document().FileName, folder.filePath("photo.bmp").toStdString());
    EXPECT_EQ(t->windowTitle(), "Image : photo.bmp (40x30) ");
    EXPECT_EQ(t->Image->Picture(), s->Image->Picture());
    EXPECT_EQ(t->ClientSize(), s->ClientSize());
    // An empty document: saving does nothing, the tools stay off.
    FormMain->FileSaveItem->trigger();
    EXPECT_TRUE(dialogs.Messages.isEmpty());
    EXPECT_FALSE(FormMain->SpeedSeuils->isEnabled());
}

TEST_F(ProgramTest, DuplicateWithoutCurrentImageDoesNothing) {
    FormMain->Dupliquer1Click();
    EXPECT_EQ(FormMain->MDIChildCount(), 0);
}

TEST_F(ProgramTest, ClosingAModifiedWindowAsksInAnErrorBox) {
    TFormImage* w = Load(Int16Document("/data/m31.fit", 8, 8));
    w->DisplayChanged();
    ASSERT_TRUE(w->Document().Modified);
    dialogs.Answers.enqueue(TAnswer::No);
    FormMain->FileCloseItem->trigger();
    ASSERT_EQ(dialogs.Messages.size(), 1);
    EXPECT_EQ(dialogs.Messages[0].Kind, TMsgKind::Error);
    EXPECT_EQ(dialogs.Messages[0].Caption, "Erreur");
    EXPECT_EQ(dialogs.Messages[0].Buttons, TButtons::YesNo);
    EXPECT_EQ(dialogs.Messages[0].Text,
              "Les informations de ce fichier ont changé !\nVoulez vous l'enregistrer ?");
    EXPECT_EQ(FormMain->MDIChildCount(), 0);
    EXPECT_EQ(FormMain->CurrentImage(), nullptr);
}

TEST_F(ProgramTest, AnUnchangedWindowClosesWithoutAQuestion) {
    Load(Int16Document("/data/m31.fit", 8, 8));
    OpenBmp("photo.bmp", 8, 8)->DisplayChanged(); // a bitmap is never "modified"
    FormMain->FileCloseItem->trigger();
    FormMain->FileCloseItem->trigger();
    EXPECT_TRUE(dialogs.Messages.isEmpty());
    EXPECT_EQ(FormMain->MDIChildCount(), 0);
}

TEST_F(ProgramTest, CommandErrorsReachTheOrvanelErrorBoxAndTheProgramGoesOn) {
    TFormImage* w = Load(Int16Document(folder.filePath("no/such/dir/m31.fit").toStdString(), 8, 8));
    FormMain->FileSaveItem->trigger(); // cannot be written
    ASSERT_EQ(dialogs.Messages.size(), 1);
    EXPECT_EQ(dialogs.Messages[0].Caption, "Orvanel");
    EXPECT_EQ(dialogs.Messages[0].Kind, TMsgKind::Error);
    EXPECT_TRUE(dialogs.Messages[0].Text.endsWith(".")) << dialogs.Messages[0].Text.toStdString();
    // A failed save keeps the question for the close; answering Oui fails again and keeps the window.
    w->DisplayChanged();
    dialogs.Answers.enqueue(TAnswer::Yes);
    w->close();
    EXPECT_EQ(FormMain->MDIChildCount(), 1);
    EXPECT_TRUE(w->Document().Modified);
    EXPECT_EQ(dialogs.Messages.size(), 3);
    EXPECT_EQ(dialogs.Messages[2].Caption, "Orvanel");
}

TEST_F(ProgramTest, SavingWritesTheImageAndClearsModified) {
    TFormImage* w = OpenFits("m31.fit", Int16Document("m31.fit", 16, 8));
    const std::string path = w->Document().FileName;
    w->Document().HighThreshold = 1234;
    w->DisplayChanged();
    FormMain->FileSaveItem->trigger();
    EXPECT_FALSE(w->Document().Modified);
    EXPECT_TRUE(dialogs.Messages.isEmpty());
    FormMain->Toutfermer1->trigger();
    FormMain->OpenFile(QString::fromStdString(path));
    EXPECT_EQ(FormMain->ActiveMDIChild()->Document().HighThreshold, 1234);
}

TEST_F(ProgramTest, AnsweringOuiOnCloseSavesTheImage) {
    TFormImage* w = OpenFits("m31.fit", Int16Document("m31.fit", 16, 8));
    const std::string path = w->Document().FileName;
    w->Document().LowThreshold = 77;
    w->DisplayChanged();
    dialogs.Answers.enqueue(TAnswer::Yes);
    FormMain->FileCloseItem->trigger();
    EXPECT_EQ(FormMain->MDIChildCount(), 0);
    FormMain->OpenFile(QString::fromStdString(path));
    EXPECT_EQ(FormMain->ActiveMDIChild()->Document().LowThreshold, 77);
}

TEST_F(ProgramTest, SaveAllWritesCameraImagesOnly) {
    TFormImage* a = OpenFits("a.fit", Int16Document("a.fit", 8, 8));
    TFormImage* b = OpenFits("b.fit", Int16Document("b.fit", 8, 8));
    const QDateTime bmpTime = QFileInfo(OpenBmp("c.bmp", 8, 8)->FileName()).lastModified();
    for (TFormImage* w : {a, b}) {
        w->Document().HighThreshold = 500;
        w->DisplayChanged();
    }
    FormMain->Toutenrgistrer1->trigger();
    EXPECT_FALSE(a->Document().Modified);
    EXPECT_FALSE(b->Document().Modified);
    EXPECT_EQ(QFileInfo(folder.filePath("c.bmp")).lastModified(), bmpTime);
    FormMain->Toutfermer1->trigger();
    FormMain->OpenFile(folder.filePath("b.fit"));
    EXPECT_EQ(FormMain->ActiveMDIChild()->Document().HighThreshold, 500);
}

TEST_F(ProgramTest, ARefusedOrUnreadableFileLeavesNoWindow) {
    Touch(folder.filePath("broken.fit"));
    Touch(folder.filePath("broken.bmp"));
    const struct {
        const char* Name;
        int Messages; // the reader's or the error box's, saying why; a bad bitmap in silence
    } files[] = {
        {"broken.fit", 1},  {"missing.pic", 1}, {"missing.PIC", 1}, {"missing.fit", 1},
        {"missing.cpa", 1}, {"missing.bmp", 1}, {"missing.gif", 1}, {"broken.bmp", 0},
    };
    for (const auto& f : files) {
        dialogs.Messages.clear();
        dialogs.FileNames.enqueue(folder.filePath(f.Name)); // chosen in "Ouvrir"
        FormMain->FileOpenItem->trigger();
        EXPECT_EQ(FormMain->MDIChildCount(), 0) << f.Name;
        EXPECT_EQ(FormMain->CurrentImage(), nullptr) << f.Name;
        EXPECT_EQ(dialogs.Messages.size(), f.Messages) << f.Name;
        EXPECT_FALSE(FormMain->FileCloseItem->isEnabled()) << f.Name;
    }
}

TEST_F(ProgramTest, AFileOfNoKnownKindGivesAnEmptyWindow) {
    const QString path = QString::fromStdString(Touch(folder.filePath("notes.txt")));
    FormMain->OpenFile(path);
    ASSERT_EQ(FormMain->MDIChildCount(), 1);
    EXPECT_EQ(FormMain->ActiveMDIChild()->windowTitle(), "Image :");
    EXPECT_EQ(FormMain->ActiveMDIChild()->Document().Kind, kKindEmpty);
    EXPECT_TRUE(dialogs.Messages.isEmpty());
}

TEST_F(ProgramTest, DroppedFilesOpenAsOuvrirOpensThem) {
    const QString a = QString::fromStdString(Touch(folder.filePath("a.txt")));
    const QString b = QString::fromStdString(Touch(folder.filePath("b.dat")));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b), QUrl("https://example.org/c.fit")});
    const QPoint at = FormMain->MdiArea->geometry().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(FormMain, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(FormMain, &drop);
    EXPECT_EQ(FormMain->MDIChildCount(), 2);

    QMimeData text;
    text.setText("hello");
    QDragEnterEvent refused(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    refused.setAccepted(false);
    QApplication::sendEvent(FormMain, &refused);
    EXPECT_FALSE(refused.isAccepted());
}

TEST_F(ProgramTest, AGifThatCannotBeReadLeavesNoWindow) {
    const QString path = QString::fromStdString(Touch(folder.filePath("anim.GIF")));
    dialogs.FileNames.enqueue(path); // chosen in "Ouvrir"; no GIF in it
    FormMain->FileOpenItem->trigger();
    EXPECT_EQ(FormMain->MDIChildCount(), 0);
    ASSERT_EQ(dialogs.Messages.size(), 1);
    EXPECT_EQ(dialogs.Messages[0].Caption, "Orvanel");
}

TEST_F(ProgramTest, AOneImageGifOpensAsAGifWindowAndSavesAsGif) {
    TImageDocument source = Int16Document("m.fit", 24, 12);
    Render(source);
    const QString path = folder.filePath("one.gif");
    TDocumentHost host;
    WriteDisplayedPictureAsGif(source, path.toStdString(), host);
    dialogs.FileNames.enqueue(path);
    FormMain->FileOpenItem->trigger();
    ASSERT_EQ(FormMain->MDIChildCount(), 1);
    TFormImage* w = FormMain->ActiveMDIChild();
    EXPECT_EQ(w->Document().Kind, kKindGif);
    EXPECT_EQ(w->windowTitle(), "Image : one.gif (24x12) ");
    EXPECT_EQ(w->Image->size(), QSize(24, 12));
    EXPECT_FALSE(FormMain->SpeedSeuils->isEnabled());
    QFile::remove(path);
    FormMain->FileSaveItem->trigger();
    EXPECT_TRUE(dialogs.Messages.isEmpty());
    EXPECT_TRUE(QFile::exists(path));
}

TEST_F(ProgramTest, QuittingAsksNothingEvenWithModifiedImages) {
    TFormImage* w = OpenFits("m31.fit", Int16Document("m31.fit", 8, 8));
    w->DisplayChanged();
    QSignalSpy closed(FormMain, &TFormMain::Closed);
    FormMain->FileExitItem->trigger();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_TRUE(dialogs.Messages.isEmpty());
    EXPECT_FALSE(FormMain->isVisible());
}

TEST_F(ProgramTest, FileDialogsOpenInTheCurrentImagesFolderOrTheLastOneUsed) {
    QDir(folder.path()).mkdir("images");
    const QString images = folder.filePath("images");
    FormMain->FileOpenItem->trigger(); // nothing chosen yet: the start folder
    OpenFits("images/m31.fit", Int16Document("m31.fit", 8, 8));
    FormMain->FileOpenItem->trigger();
    dialogs.FileNames.enqueue(folder.filePath("export.gif"));
    FormMain->EnregistrersousGif1->trigger();
    FormMain->Toutfermer1->trigger();
    FormMain->FileOpenItem->trigger(); // no image: where the GIF went
    EXPECT_EQ(dialogs.Folders, (QList<QString>{"", images, images, folder.path()}));
    // The batch tool too, each use from an empty list: nothing of the last use slips in.
    OpenFits("images/m31.fit", Int16Document("m31.fit", 8, 8));
    FormMain->Ouvrirunlot1->trigger();
    EXPECT_EQ(FormSelectLot->Directory(), images);
    FormSelectLot->SetDirectory(folder.path());
    FormSelectLot->SetSelection({"export.gif"});
    FormMain->Ouvrirunlot1->trigger();
    EXPECT_EQ(FormSelectLot->Directory(), images);
    EXPECT_TRUE(FormSelectLot->Selection().empty());
}

TEST_F(ProgramTest, TodaysFitsFilesOpenAsThePlainFile) {
    TImageDocument source = Int16Document("", 40, 30);
    source.HighThreshold = 900;
    source.LowThreshold = 50;
    const std::string plain = folder.filePath("m31.fit").toStdString();
    SaveFits(source, plain);
    const std::vector<uint8_t> bytes = ReadWholeFile(plain);
    WriteFileAtomically(folder.filePath("m31.FITS").toStdString(), bytes);
    SaveFits(source, folder.filePath("m31.fits.gz").toStdString());
    ASSERT_EQ(
        QProcess::execute("fpack", {"-O", folder.filePath("m31.fits.fz"), QString::fromStdString(plain)}), 0);
    // The same image in an extension after an empty primary HDU.
    std::string primary = "SIMPLE  =                    T";
    primary.resize(80, ' ');
    primary += "NAXIS   =                    0";
    primary.resize(160, ' ');
    primary += "END";
    primary.resize(2880, ' ');
    std::string extension = "XTENSION= 'IMAGE   '";
    extension.resize(80, ' ');
    std::vector<uint8_t> withExtension(primary.begin(), primary.end());
    withExtension.insert(withExtension.end(), extension.begin(), extension.end());
    withExtension.insert(withExtension.end(), bytes.begin() + 80, bytes.end());
    WriteFileAtomically(folder.filePath("ext.fits").toStdString(), withExtension);

    FormMain->OpenFile(QString::fromStdString(plain));
    const TImageDocument& expected = FormMain->ActiveMDIChild()->Document();
    for (const char* name : {"m31.FITS", "m31.fits.gz", "m31.fits.fz", "ext.fits"}) {
        SCOPED_TRACE(name);
        FormMain->OpenFile(folder.filePath(name));
        TFormImage* w = FormMain->ActiveMDIChild();
        ASSERT_NE(w, nullptr);
        const TImageDocument& d = w->Document();
        EXPECT_EQ(d.Kind, kKindFits);
        EXPECT_EQ(d.ImageWidth, 40);
        EXPECT_EQ(d.ImageHeight, 30);
        EXPECT_EQ(d.HighThreshold, 900);
        EXPECT_EQ(d.LowThreshold, 50);
        EXPECT_EQ(d.PixelStore, expected.PixelStore);
        EXPECT_EQ(d.DisplayStream, expected.DisplayStream);
    }
    EXPECT_EQ(FormMain->MDIChildCount(), 5);
    EXPECT_TRUE(dialogs.Messages.isEmpty()) << dialogs.Messages.value(0).Text.toStdString();
    // The tile-compressed file is saved beside itself, never over itself.
    EXPECT_EQ(FormMain->MDIChildren()[1]->windowTitle(), "Image : m31.fits (40x30) Entier 16 bits");
}

TEST_F(ProgramTest, ACorruptGzipFileLeavesNoWindow) {
    TImageDocument source = Int16Document("", 40, 30);
    const std::string path = folder.filePath("cut.fits.gz").toStdString();
    SaveFits(source, path);
    std::vector<uint8_t> gz = ReadWholeFile(path);
    gz.resize(gz.size() / 2);
    WriteFileAtomically(path, gz);
    FormMain->OpenFile(QString::fromStdString(path));
    EXPECT_EQ(FormMain->MDIChildCount(), 0);
    ASSERT_EQ(dialogs.Messages.size(), 1);
    EXPECT_EQ(dialogs.Messages[0].Text,
              "Le fichier cut.fits.gz est corrompu (flux gzip incomplet) !\nOuverture annulée");
}
