// The image window: picture, fitting, readout in the status bar, context menu.
#include "program_fixture.h"

#include "core/anim/recovery_store.h"
#include "core/formats/fits_test_files.h"
#include "core/formats/series_test_files.h"
#include "core/image/display.h"
#include "core/image/display_settings.h"
#include "core/image/sky_cards.h"
#include "ui/display_picture.h"
#include "ui/form_entete.h"
#include "ui/image_control.h"
#include "ui/recovery_keeper.h"
#include "ui/workspace.h"

#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTemporaryDir>
#include <QWheelEvent>

#include <cmath>
#include <functional>

using namespace orv;
using namespace orv::ui;
using namespace orv::ui::test;

namespace {

void MoveMouse(QWidget* control, int x, int y) {
    const QPointF at(x + 0.5, y + 0.5);
    QMouseEvent move(QEvent::MouseMove, at, control->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(control, &move);
}

QStringList Panels(const TFormMain* main) {
    QStringList texts;
    for (QLabel* p : main->StatusPanels)
        texts << p->text();
    return texts;
}

} // namespace

TEST_F(ProgramTest, ReadoutCountsFromTheBottomLeftCorner) {
    // Stored row r, column x holds r * 1000 + x (modulo 32000).
    TFormImage* w = OpenFits("m31.fit", Int16Document("m31.fit", 768, 512));
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->windowTitle(), "Image : m31.fit (768x512) Entier 16 bits");
    ASSERT_EQ(w->Image->size(), QSize(768, 512));
    // X and Y: view pixels under the mouse; at any zoom the view's corners name the image's.
    const struct {
        TZoom Zoom;
        int X, Y;
        QString Panel0, Panel1, Panel2;
    } corners[] = {
        {{1, 1}, 0, 0, "X : 1", "Y : 512", "Intensité : 31000"},     // last stored row: 511 * 1000 % 32000
        {{1, 1}, 0, 511, "X : 1", "Y : 1", "Intensité : 0"},         // first stored value
        {{1, 1}, 767, 0, "X : 768", "Y : 512", "Intensité : 31767"}, // end of the last stored row
        {{1, 1}, 767, 511, "X : 768", "Y : 1", "Intensité : 767"},   // end of the first stored row
        {{1, 1}, 10, 500, "X : 11", "Y : 12", "Intensité : 11010"},
        {{1, 4}, 0, 127, "X : 1", "Y : 1", "Intensité : 0"},
        {{1, 4}, 191, 0, "X : 768", "Y : 512", "Intensité : 31767"},
        {{4, 1}, 0, 2047, "X : 1", "Y : 1", "Intensité : 0"},
        {{4, 1}, 3071, 0, "X : 768", "Y : 512", "Intensité : 31767"},
        {{4, 1}, 42, 2001, "X : 11", "Y : 12", "Intensité : 11010"},
    };
    for (const auto& c : corners) {
        w->SetZoom(c.Zoom);
        MoveMouse(w->Image, c.X, c.Y);
        EXPECT_EQ(Panels(FormMain).mid(0, 3), (QStringList{c.Panel0, c.Panel1, c.Panel2}))
            << ZoomText(c.Zoom) << " " << c.X << "," << c.Y;
    }
    EXPECT_EQ(Panels(FormMain)[3], "");
    // With no image left, no pixel is under the mouse.
    FormMain->Toutfermer1->trigger();
    EXPECT_EQ(Panels(FormMain), (QStringList{"X :", "Y :", "Intensité :", "", "", ""}));
}

TEST_F(ProgramTest, ReadoutAppliesBScaleAndBZeroToFitsOnly) {
    TImageDocument fits = Int16Document("/data/s.fit", 4, 1);
    fits.Header.BScale = 2;
    fits.Header.BZero = 100;
    int16_t ten = 10;
    std::memcpy(fits.PixelStore.data(), &ten, 2);
    TFormImage* f = OpenFits("scaled.fit", std::move(fits));
    ASSERT_EQ(f->Document().Header.BScale, 2);
    MoveMouse(f->Image, 0, 0);
    EXPECT_EQ(Panels(FormMain)[2], "Intensité : 120");
    TImageDocument pic = Int16Document("/data/s.pic", 4, 1, kKindPic);
    pic.Header.BScale = 2;
    pic.Header.BZero = 100;
    std::memcpy(pic.PixelStore.data() + 2, &ten, 2);
    TFormImage* p = Load(std::move(pic));
    MoveMouse(p->Image, 1, 0);
    EXPECT_EQ(Panels(FormMain)[2], "Intensité : 10");
}

TEST_F(ProgramTest, ReadoutOfRealsUsesTheShortGeneralForm) {
    TImageDocument doc;
    doc.Kind = kKindFits;
    doc.PixelType = kPixelReal64;
    doc.ImageWidth = 2;
    doc.ImageHeight = 1;
    const double values[2] = {0.5, 1e9};
    doc.PixelStore.resize(16);
    std::memcpy(doc.PixelStore.data(), values, 16);
    doc.HighThreshold = 1;
    TFormImage* w = Load(std::move(doc));
    MoveMouse(w->Image, 0, 0);
    EXPECT_EQ(Panels(FormMain)[2], "Intensité : 0.5");
    MoveMouse(w->Image, 1, 0);
    EXPECT_EQ(Panels(FormMain)[2], "Intensité : 1E9");
}

TEST_F(ProgramTest, ABitmapLeavesTheStatusBarAlone) {
    TFormImage* fits = Load(Int16Document("/data/m.fit", 8, 8));
    TFormImage* bmp = OpenBmp("photo.bmp", 8, 8);
    ASSERT_EQ(bmp->windowTitle(), "Image : photo.bmp (8x8) ");
    FormMain->MdiArea->setActiveSubWindow(fits);
    MoveMouse(fits->Image, 2, 3);
    const QStringList before = Panels(FormMain);
    MoveMouse(bmp->Image, 1, 1);
    EXPECT_EQ(Panels(FormMain), before);
}

TEST_F(ProgramTest, MouseReadoutNeverRendersAgain) {
    TFormImage* w = Load(Int16Document("/data/m.fit", 32, 32));
    const QImage before = w->Image->Picture();
    w->Document().DisplayStream.clear(); // a render or show would rebuild the picture from it
    MoveMouse(w->Image, 3, 3);
    EXPECT_EQ(w->Image->Picture().cacheKey(), before.cacheKey());
}

TEST_F(ProgramTest, PictureShowsTheFirstStoredRowAtTheBottomWithThePalette) {
    TImageDocument doc = Int16Document("/data/m.fit", 5, 3);
    doc.HighThreshold = 2000;
    doc.LowThreshold = 0;         // row 0 dark, row 2 white
    doc.Palette[0] = {255, 0, 0}; // blue, green, red: level 0 shown blue
    Render(doc);
    const QImage picture = DisplayPicture(doc.DisplayStream);
    ASSERT_EQ(picture.size(), QSize(5, 3));
    EXPECT_EQ(picture.pixel(0, 2), qRgb(0, 0, 255)); // stored row 0 at the bottom, level 0
    EXPECT_EQ(picture.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(picture.pixel(4, 1), qRgb(128, 128, 128)); // 1004 -> Round(128.0) = 128
    EXPECT_TRUE(DisplayPicture({}).isNull());
    std::vector<uint8_t> cut = doc.DisplayStream;
    cut.resize(cut.size() - 1);
    EXPECT_TRUE(DisplayPicture(cut).isNull());
}

TEST_F(ProgramTest, FilesAstropyWritesShowTheLevelsOfTheDisplayRule) {
    // astropy writes each file and, beside it, the levels the display rule gives its stored values.
    QProcess writer;
    writer.start(QStringLiteral(ORVANEL_PYTHON),
                 {QStringLiteral(ORVANEL_SOURCE_DIR "/tests/ui/astropy_levels.py"), folder.path()});
    ASSERT_TRUE(writer.waitForFinished(60000));
    ASSERT_EQ(writer.exitCode(), 0) << writer.readAllStandardError().toStdString();
    const struct {
        const char* Name;
        const char* PixelType;
    } files[] = {
        {"bitpix8", "Entier 16 bits"},          {"bitpix8_bzero", "Entier 16 bits"},
        {"bitpix16", "Entier 16 bits"},         {"bitpix16_bzero", "Entier 16 bits"},
        {"bitpix16_bscale", "Entier 16 bits"},  {"bitpix32", "Entier 32 bits"},
        {"bitpix32_bzero", "Entier 32 bits"},   {"bitpix-32", "Réel 32 bits"},
        {"bitpix-32_negative", "Réel 32 bits"}, {"bitpix-64", "Réel 64 bits"},
    };
    for (const auto& f : files) {
        FormMain->OpenFile(folder.filePath(QString(f.Name) + ".fit"));
        TFormImage* w = FormMain->ActiveMDIChild();
        ASSERT_NE(w, nullptr) << f.Name;
        EXPECT_EQ(w->windowTitle(), QString("Image : %1.fit (37x23) %2").arg(f.Name, f.PixelType));
        QFile expected(folder.filePath(QString(f.Name) + ".levels"));
        ASSERT_TRUE(expected.open(QIODevice::ReadOnly)) << f.Name;
        const QByteArray levels = expected.readAll();
        const QImage shown = w->Image->Picture();
        ASSERT_EQ(shown.size(), QSize(37, 23)) << f.Name;
        ASSERT_EQ(levels.size(), 37 * 23) << f.Name;
        int wrong = 0;
        for (int y = 0; y < 23; ++y)
            for (int x = 0; x < 37; ++x)
                wrong += qRed(shown.pixel(x, y)) != uint8_t(levels[y * 37 + x]);
        EXPECT_EQ(wrong, 0) << f.Name;
        FormMain->Toutfermer1->trigger();
    }
    EXPECT_TRUE(dialogs.Messages.isEmpty());
}

TEST_F(ProgramTest, FirstShowFitsTheWindowToItsImage) {
    TFormImage* small = Load(Int16Document("/data/small.fit", 100, 80));
    EXPECT_EQ(small->ClientSize(), QSize(100, 80));
    EXPECT_FALSE(small->Document().FirstShow);
    // Larger than the frame in both directions: both scroll bars, the window within the frame.
    TFormImage* big = Load(Int16Document("/data/big.fit", 3000, 2500));
    const QSize client = big->ClientSize();
    EXPECT_LT(client.width(), FormMain->MdiArea->width());
    EXPECT_LT(client.height(), FormMain->MdiArea->height());
    EXPECT_EQ(big->ScrollBox->horizontalScrollBar()->maximum(), 3000 - big->ScrollBox->viewport()->width());
    // A later show keeps the size the user gave; "Ajuster la Fenêtre" fits again.
    small->SetClientSize(QSize(300, 300));
    small->DisplayChanged();
    EXPECT_EQ(small->ClientSize(), QSize(300, 300));
    EXPECT_EQ(small->PopupMenu1->actions().first()->text(), "Ajuster la Fenêtre");
    small->AjusterlaFentre1->trigger();
    EXPECT_EQ(small->ClientSize(), QSize(100, 80));
}

TEST_F(ProgramTest, ZoomChangesTheViewNeverTheDocument) {
    TFormImage* w = Load(Int16Document("/data/m31.fit", 768, 512));
    w->SetClientSize(QSize(400, 300));
    const std::vector<uint8_t> bitmap = w->Document().DisplayStream;
    const QImage picture = w->Picture();
    const QString caption = "Image : m31.fit (768x512) Entier 16 bits";
    const struct {
        const char* Command;
        std::function<void()> Do;
        QString Zoom;
        QSize View;
    } steps[] = {
        {"Ctrl++",
         [this] { QTest::keyClick(FormMain, Qt::Key_Plus, Qt::ControlModifier); },
         "2:1",
         {1536, 1024}},
        {"Ctrl+=",
         [this] { QTest::keyClick(FormMain, Qt::Key_Equal, Qt::ControlModifier); },
         "3:1",
         {2304, 1536}},
        {"Ctrl+0", [this] { QTest::keyClick(FormMain, Qt::Key_0, Qt::ControlModifier); }, "1:1", {768, 512}},
        {"Ctrl+-",
         [this] { QTest::keyClick(FormMain, Qt::Key_Minus, Qt::ControlModifier); },
         "1:2",
         {384, 256}},
        {"Ctrl+- again",
         [this] { QTest::keyClick(FormMain, Qt::Key_Minus, Qt::ControlModifier); },
         "1:3",
         {256, 171}},
        {"Zoom avant", [this] { FormMain->ZoomAvant1->trigger(); }, "1:2", {384, 256}},
        {"Taille réelle", [this] { FormMain->TailleReelle1->trigger(); }, "1:1", {768, 512}},
        // 768 x 512 in 400 x 300: 1:2 is the largest step that shows it whole.
        {"fit, from the menu", [this] { FormMain->AjusterImage1->trigger(); }, "1:2", {384, 256}},
        {"Zoom arrière", [this] { FormMain->ZoomArriere1->trigger(); }, "1:3", {256, 171}},
        {"fit, from the picture's menu", [w] { w->Ajusterlimagelafentre1->trigger(); }, "1:2", {384, 256}},
    };
    for (const auto& s : steps) {
        s.Do();
        EXPECT_EQ(ZoomText(w->Zoom()), s.Zoom.toStdString()) << s.Command;
        EXPECT_EQ(w->Image->size(), s.View) << s.Command;
        EXPECT_EQ(w->windowTitle(), s.Zoom == "1:1" ? caption : caption + " - " + s.Zoom) << s.Command;
        EXPECT_EQ(w->Document().DisplayStream, bitmap) << s.Command;
        EXPECT_EQ(w->Picture(), picture) << s.Command; // what prints
        EXPECT_FALSE(w->Document().Modified) << s.Command;
    }
    // The averaged view: stored rows 510 and 511, columns 0 and 1 in the top-left block.
    FormMain->TailleReelle1->trigger();
    w->Document().HighThreshold = 32000;
    w->Document().LowThreshold = 0;
    w->DisplayChanged();
    FormMain->ZoomArriere1->trigger();
    const int level = static_cast<int>(std::lround((30000 + 30001 + 31000 + 31001) / 4.0 * 255 / 32000));
    EXPECT_EQ(w->Image->grab().toImage().pixel(0, 0), qRgb(level, level, level));
}

TEST_F(ProgramTest, ControlWheelZoomsAboutThePointUnderTheMouse) {
    TFormImage* w = Load(Int16Document("/data/m31.fit", 768, 512));
    w->SetClientSize(QSize(400, 300));
    QScrollBar* across = w->ScrollBox->horizontalScrollBar();
    QScrollBar* down = w->ScrollBox->verticalScrollBar();
    across->setValue(100);
    down->setValue(50);
    auto wheel = [&](int angle, Qt::KeyboardModifiers modifiers) {
        const QPointF at(40, 30); // over image pixel (140, 80) at 1:1
        QWheelEvent e(at, w->ScrollBox->viewport()->mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w->ScrollBox->viewport(), &e);
    };
    wheel(120, Qt::ControlModifier);
    EXPECT_EQ(ZoomText(w->Zoom()), "2:1");
    EXPECT_EQ(across->value(), 2 * 140 - 40);
    EXPECT_EQ(down->value(), 2 * 80 - 30);
    wheel(-240, Qt::ControlModifier); // two notches out
    EXPECT_EQ(ZoomText(w->Zoom()), "1:2");
    wheel(60, Qt::ControlModifier); // half a notch: not yet a step
    EXPECT_EQ(ZoomText(w->Zoom()), "1:2");
    wheel(120, Qt::NoModifier); // without Ctrl the wheel scrolls
    EXPECT_EQ(ZoomText(w->Zoom()), "1:2");
    EXPECT_FALSE(w->Document().Modified);
}

TEST_F(ProgramTest, ThresholdOrPaletteChangesMarkACameraImageModified) {
    TFormImage* w = Load(Int16Document("/data/m.fit", 8, 8));
    EXPECT_FALSE(w->Document().Modified);
    w->Document().HighThreshold = 100;
    w->DisplayChanged();
    EXPECT_TRUE(w->Document().Modified);
    EXPECT_EQ(w->Image->Picture().pixel(7, 0), qRgb(255, 255, 255)); // re-rendered: 7007 >= 100
}

TEST_F(ProgramTest, SkyCoordinatesShowInTwoMorePanelsWhereTheHeaderHasThem) {
    TImageDocument sky = Int16Document("", 300, 200);
    sky.OtherCards = orv::image_test::RotatedTanCards();
    sky.Header.Equinox = 2000;
    TFormImage* w = OpenFits("wcs.fits.gz", std::move(sky));
    ASSERT_NE(w, nullptr);
    MoveMouse(w->Image, 149, 100);
    EXPECT_EQ(Panels(FormMain).mid(4), (QStringList{"AD : 05:34:31.94", "Dec : +22:00:51.2"}));
    EXPECT_FALSE(FormMain->StatusPanels[4]->isHidden());
    EXPECT_FALSE(FormMain->StatusPanels[5]->isHidden());
    // Another window current: the readout that told of the first goes, before the mouse moves.
    TFormImage* plain = OpenFits("plain.fit", Int16Document("", 4, 4));
    FormMain->MdiArea->setActiveSubWindow(w);
    MoveMouse(w->Image, 149, 100);
    FormMain->MdiArea->setActiveSubWindow(plain);
    EXPECT_EQ(Panels(FormMain), (QStringList{"X :", "Y :", "Intensité :", "", "", ""}));
    EXPECT_TRUE(FormMain->StatusPanels[4]->isHidden());
    MoveMouse(plain->Image, 0, 0);
    EXPECT_EQ(Panels(FormMain)[0], "X : 1");
    EXPECT_TRUE(FormMain->StatusPanels[4]->isHidden());
    EXPECT_TRUE(FormMain->StatusPanels[5]->isHidden());
}

TEST_F(ProgramTest, TheHeaderWindowShowsTheCardsSavingWritesAndFindsText) {
    TImageDocument doc = Int16Document("", 8, 8);
    doc.Header.Object = "M31";
    doc.OtherCards = {"EXPTIME =                120.0 / seconds"};
    TFormImage* w = OpenFits("m31.fits", std::move(doc));
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(FormMain->EnteteFITS1->isEnabled());
    EXPECT_TRUE(w->EnteteFITS2->isVisible());
    w->Document().HighThreshold = 777; // what saving would write now, not what was read
    FormMain->EnteteFITS1->trigger();
    ASSERT_TRUE(FormEntete->isVisible());
    QStringList cards;
    for (const std::string& card : BuildFitsHeaderCards(w->Document()))
        cards << QString::fromStdString(card);
    EXPECT_EQ(FormEntete->MemoEntete->toPlainText().split('\n'), cards);
    EXPECT_TRUE(FormEntete->MemoEntete->isReadOnly());
    EXPECT_TRUE(cards.filter("THRESH  =                  777").size() == 1);

    FormEntete->EditRecherche->setText("exptime"); // whatever the case
    FormEntete->BtnSuivant->click();
    EXPECT_EQ(FormEntete->MemoEntete->textCursor().selectedText(), "EXPTIME");
    EXPECT_EQ(FormEntete->MemoEntete->textCursor().blockNumber(),
              cards.indexOf(QRegularExpression("^EXPTIME.*")));
    FormEntete->EditRecherche->setText("NGC 7000");
    FormEntete->BtnSuivant->click();
    EXPECT_EQ(FormEntete->LabelTrouve->text(), "Introuvable");

    // A bitmap has no header: the command is disabled and its context menu lacks the item.
    TFormImage* b = OpenBmp("photo.bmp", 4, 4);
    EXPECT_FALSE(FormMain->EnteteFITS1->isEnabled());
    EXPECT_FALSE(b->EnteteFITS2->isVisible());
    EXPECT_EQ(FormEntete->MemoEntete->toPlainText(), "");
    // The FITS image's context menu brings its header back.
    w->EnteteFITS2->trigger();
    EXPECT_EQ(FormMain->CurrentImage(), w);
    EXPECT_EQ(FormEntete->MemoEntete->toPlainText().split('\n'), cards);
}

TEST_F(ProgramTest, TheFrameSliderShowsEachFrameOfAVideoOrACube) {
    // Four frames of 4 x 2 values (three planes would be a colour image): in frame f the pixel of
    // column x holds 1000 (f + 1) + x.
    constexpr int kFrames = 4;
    std::vector<std::vector<uint16_t>> frames(kFrames);
    std::vector<uint64_t> planes;
    for (int f = 0; f < kFrames; ++f)
        for (int i = 0; i < 8; ++i) {
            frames[f].push_back(uint16_t(1000 * (f + 1) + i % 4));
            planes.push_back(1000 * (f + 1) + i % 4);
        }
    orv::test::TSerFile ser;
    ser.Width = 4;
    ser.Frames = frames;
    orv::test::TFitsBuilder cube;
    cube.Image(16, 4, 2).Value("NAXIS", "3").Value("NAXIS3", std::to_string(kFrames));
    cube.End().Blanks().BigEndian(planes, 2).Zeros();
    const struct {
        QString File;
        std::vector<uint8_t> Bytes;
        QString ThirdFrameCaption;
    } files[] = {
        {"capture.ser", ser.Bytes(), "Image : capture_3.fit (4x2) Entier 16 bits"},
        {"cube.fits", cube.Bytes, "Image : cube_3.fits (4x2) Entier 16 bits"},
    };
    for (const auto& file : files) {
        const QString path = folder.filePath(file.File);
        WriteFile(path,
                  QByteArray(reinterpret_cast<const char*>(file.Bytes.data()), qsizetype(file.Bytes.size())));
        FormMain->OpenFile(path);
        TFormImage* w = FormMain->ActiveMDIChild();
        ASSERT_NE(w, nullptr) << file.File.toStdString();
        ASSERT_FALSE(w->FrameBar->isHidden()) << file.File.toStdString();
        EXPECT_EQ(w->FrameLabel->text(), "Image 1 / 4");
        w->FrameSlider->setValue(3);
        EXPECT_EQ(w->FrameLabel->text(), "Image 3 / 4");
        EXPECT_EQ(w->windowTitle(), file.ThirdFrameCaption);
        MoveMouse(w->Image, 2, 0);
        EXPECT_EQ(Panels(FormMain)[2], "Intensité : 3002") << file.File.toStdString();
        // The picture is the third frame's, with the display the first frame had.
        TImageDocument shown = w->Document();
        Render(shown);
        EXPECT_EQ(w->Picture(), DisplayPicture(shown.DisplayStream)) << file.File.toStdString();
        EXPECT_FALSE(w->Document().Modified);
        w->close();
    }
    // A single image has no frame bar.
    EXPECT_TRUE(OpenFits("one.fit", Int16Document("one.fit", 4, 2))->FrameBar->isHidden());

    // A crash left frame 3 of the video modified: the next start reopens it on that frame.
    QTemporaryDir state;
    TRecoveryState left;
    left.Owner = {2147483646, 1, "gone"}; // no such process runs
    TImageDocument shown = Int16Document("x", 4, 2);
    shown.HighThreshold = 3003;
    left.Images = {{folder.filePath("capture.ser").toStdString(), DisplaySettingsOf(shown), TZoom{1, 1}, 2}};
    WriteRecovery(RecoveryFileName(state.filePath("orvanel").toStdString(), left.Owner), left);
    const QByteArray saved = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    dialogs.Answers.enqueue(TAnswer::Yes);
    Program().KeepRecovery();
    saved.isEmpty() ? qunsetenv("XDG_STATE_HOME") : qputenv("XDG_STATE_HOME", saved);
    TFormImage* back = FormMain->ActiveMDIChild();
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->FrameLabel->text(), "Image 3 / 4");
    EXPECT_EQ(back->Document().HighThreshold, 3003);
    ASSERT_EQ(Program().Recovery()->State().Images.size(), 1u);
    EXPECT_EQ(Program().Recovery()->State().Images[0].Frame, 2u);
}

TEST_F(ProgramTest, ABayerImageShowsInColourAsTheDebayerMenuChooses) {
    // Stored rows R G R G / G B G B, the first at the bottom: red 1000, green 200, blue 50.
    const QString path = WriteMosaic(folder, "RGGB", {1000, 200, 1000, 200, 200, 50, 200, 50});
    FormMain->OpenFile(path);
    TFormImage* w = FormMain->ActiveMDIChild();
    ASSERT_NE(w, nullptr);
    const struct {
        const char* Action; // "" for the window as it opens
        QSize Size;
        QString Intensity; // under the top-left pixel, a green one of the mosaic
        bool Colour;
    } cases[] = {
        {"", {4, 2}, "Intensité : 1000 / 200 / 50", true},
        {"DematricageSuperpixel1", {2, 1}, "Intensité : 1000 / 200 / 50", true},
        {"DematricageAucun1", {4, 2}, "Intensité : 200", false},
        {"DematricageBilineaire1", {4, 2}, "Intensité : 1000 / 200 / 50", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Action);
        emit FormMain->Visualisation1->aboutToShow();
        EXPECT_TRUE(FormMain->Dematricage1->menuAction()->isEnabled());
        if (*c.Action) FormMain->findChild<QAction*>(c.Action)->trigger();
        const QImage picture = w->Image->Picture();
        EXPECT_EQ(picture.size(), c.Size);
        EXPECT_TRUE(
            w->windowTitle().contains(QStringLiteral("(%1x%2)").arg(c.Size.width()).arg(c.Size.height())))
            << w->windowTitle().toStdString();
        const QRgb p = picture.pixel(0, picture.height() - 1); // bottom left, red in the mosaic
        if (c.Colour) {
            EXPECT_GT(qRed(p), qGreen(p));
            EXPECT_GT(qGreen(p), qBlue(p));
        } else {
            EXPECT_EQ(qRed(p), qGreen(p));
            EXPECT_EQ(qGreen(p), qBlue(p));
        }
        MoveMouse(w->Image, 0, 0);
        EXPECT_EQ(Panels(FormMain)[2], c.Intensity);
        QLabel* intensity = FormMain->StatusPanels[2];
        EXPECT_LE(intensity->fontMetrics().horizontalAdvance(intensity->text()),
                  intensity->contentsRect().width());
        FormMain->UpdateMenuItems();                            // as an activation does
        EXPECT_EQ(FormMain->Palettes1->isEnabled(), !c.Colour); // palettes colour grey levels only
    }
    // The last choice is the next mosaic's, in this session and the next.
    FormMain->findChild<QAction*>("DematricageSuperpixel1")->trigger();
    FormMain->OpenFile(WriteMosaic(folder, "RGGB", {1000, 200, 1000, 200, 200, 50, 200, 50}, "next.fits"));
    ASSERT_NE(FormMain->ActiveMDIChild(), w);
    EXPECT_EQ(FormMain->ActiveMDIChild()->Image->Picture().size(), QSize(2, 1));
    EXPECT_EQ(TWorkspace(nullptr).DefaultDebayer(), TDebayer::Superpixel);
    OpenFits("grey.fit", Int16Document("grey.fit", 4, 2));
    emit FormMain->Visualisation1->aboutToShow();
    EXPECT_FALSE(FormMain->Dematricage1->menuAction()->isEnabled());
}
