// The palette tool, the statistics window and printing, on the current image.
#include "program_fixture.h"

#include "core/formats/fits_test_files.h"

#include "ui/form_impr.h"
#include "ui/form_pal.h"
#include "ui/image_control.h"
#include "ui/printer.h"
#include "ui/stat.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QPrinter>
#include <QProcess>

using namespace orv;
using namespace orv::ui;
using namespace orv::ui::test;

namespace {

// A palette file: "PAL" (or another signature), 15 header bytes, then entries r, g, b, unused.
QByteArray PaletteBytes(const char* signature, int entries, uint8_t red) {
    QByteArray bytes(signature, 3);
    bytes += QByteArray(15, 'x');
    for (int i = 0; i < entries; ++i)
        bytes += QByteArray::fromStdString({char(red), char(i), 0, 7});
    return bytes;
}

// A 16-bit image holding the values given, in one row.
TImageDocument ValuesDocument(std::initializer_list<int16_t> values, uint8_t kind = kKindFits) {
    TImageDocument doc = Int16Document("/data/v.fit", static_cast<int32_t>(values.size()), 1, kind);
    std::memcpy(doc.PixelStore.data(), values.begin(), values.size() * 2);
    return doc;
}

} // namespace

class PaletteTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        FormPal->Directory = folder.path();
        WriteFile(folder.filePath("rouge.Pal"), PaletteBytes("PAL", 256, 255));
        WriteFile(folder.filePath("spectre.PAL"), PaletteBytes("PAL", 100, 200));
        WriteFile(folder.filePath("grey.pal"), PaletteBytes("PAX", 256, 9));
        WriteFile(folder.filePath("notes.txt"), "PAL");
    }
    // Chooses a name in the list as a click does.
    void Choose(const QString& name) {
        const auto items = FormPal->FileListBox1->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << name.toStdString();
        FormPal->FileListBox1->setCurrentItem(items.first());
    }
};

TEST_F(PaletteTest, TheListHoldsThePaletteFilesOfItsFolderReadOnce) {
    EXPECT_EQ(FormPal->windowTitle(), "Palettes");
    EXPECT_EQ(FormPal->FileListBox1->count(), 0); // read when first shown
    FormMain->Palettes1->setEnabled(true);
    FormMain->Palettes1Click();
    QStringList names;
    for (int i = 0; i < FormPal->FileListBox1->count(); ++i)
        names << FormPal->FileListBox1->item(i)->text();
    EXPECT_EQ(names, (QStringList{"grey.pal", "rouge.Pal", "spectre.PAL"}));
    WriteFile(folder.filePath("later.pal"), PaletteBytes("PAL", 256, 1));
    FormPal->hide();
    FormPal->show();
    EXPECT_EQ(FormPal->FileListBox1->count(), 3);
}

TEST_F(PaletteTest, AStartFolderWithoutPalettesListsTheInstalledOnes) {
    QTemporaryDir installed, empty;
    WriteFile(installed.filePath("Glace.Pal"), PaletteBytes("PAL", 256, 17));
    const struct {
        QString start;
        QStringList listed;
        QString chosen;
        int red; // of entry 0 in the chosen file
    } cases[] = {
        {empty.path(), {"Glace.Pal"}, "Glace.Pal", 17},
        {folder.path(), {"grey.pal", "rouge.Pal", "spectre.PAL"}, "rouge.Pal", 255},
    };
    for (const auto& c : cases) {
        TearDown(); // a new run: the list is read once per run
        SetUp();
        FormPal->Directory = c.start;
        FormPal->InstalledDirectory = installed.path();
        TFormImage* w = Load(ValuesDocument({0, 20000}));
        FormPal->show();
        QStringList names;
        for (int i = 0; i < FormPal->FileListBox1->count(); ++i)
            names << FormPal->FileListBox1->item(i)->text();
        EXPECT_EQ(names, c.listed);
        Choose(c.chosen);
        EXPECT_EQ(w->Image->Picture().pixel(0, 0), qRgb(c.red, 0, 0)) << c.chosen.toStdString();
    }
    EXPECT_TRUE(dialogs.Messages.isEmpty());
}

TEST_F(PaletteTest, APaletteColoursTheCurrentImageOnly) {
    TFormImage* other = Load(ValuesDocument({0, 20000, 0, 20000}));
    TFormImage* w = Load(ValuesDocument({0, 20000, 0, 20000}));
    FormPal->show();
    Choose("rouge.Pal");
    // Level 0 takes entry 0 (red 255, green 0), level 255 entry 255 (red 255, green 255).
    EXPECT_EQ(w->Image->Picture().pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(w->Image->Picture().pixel(1, 0), qRgb(255, 255, 0));
    EXPECT_EQ(other->Image->Picture().pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_TRUE(w->Document().Modified);
    EXPECT_FALSE(other->Document().Modified);
    // A short file replaces the entries it reaches.
    Choose("spectre.PAL");
    EXPECT_EQ(w->Image->Picture().pixel(0, 0), qRgb(200, 0, 0));
    EXPECT_EQ(w->Image->Picture().pixel(1, 0), qRgb(255, 255, 0));
    EXPECT_TRUE(dialogs.Messages.isEmpty());
    // The list highlights the current image's own palette, none for an image given none.
    const auto highlighted = [this] {
        const auto picked = FormPal->FileListBox1->selectedItems();
        return picked.isEmpty() ? QString() : picked.first()->text();
    };
    FormMain->MdiArea->setActiveSubWindow(other);
    EXPECT_EQ(highlighted(), "");
    FormMain->MdiArea->setActiveSubWindow(w);
    EXPECT_EQ(highlighted(), "spectre.PAL");
    EXPECT_EQ(other->Image->Picture().pixel(0, 0), qRgb(0, 0, 0)) << "moving the highlight applies nothing";
}

TEST_F(PaletteTest, OnlyTheUsersPickAppliesNeverTheFocus) {
    QFile::remove(folder.filePath("grey.pal")); // the first row is a palette that would apply
    TFormImage* w = Load(ValuesDocument({0, 20000}));
    FormPal->show();
    FormPal->activateWindow();
    QListWidget* list = FormPal->FileListBox1;
    for (Qt::FocusReason reason :
         {Qt::MouseFocusReason, Qt::TabFocusReason, Qt::BacktabFocusReason, Qt::ActiveWindowFocusReason,
          Qt::PopupFocusReason, Qt::ShortcutFocusReason, Qt::MenuBarFocusReason, Qt::OtherFocusReason}) {
        list->selectionModel()->clearCurrentIndex();
        list->clearSelection();
        QFocusEvent out(QEvent::FocusOut, reason);
        QApplication::sendEvent(list, &out);
        QFocusEvent in(QEvent::FocusIn, reason);
        QApplication::sendEvent(list, &in);
        EXPECT_FALSE(w->Document().Modified) << reason;
        EXPECT_EQ(w->Image->Picture().pixel(0, 0), qRgb(0, 0, 0)) << reason;
    }
    EXPECT_TRUE(dialogs.Messages.isEmpty());
    // A move by the keyboard is a pick.
    list->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(list->selectedItems().value(0)->text(), "spectre.PAL");
    EXPECT_TRUE(w->Document().Modified);
    EXPECT_EQ(w->Image->Picture().pixel(0, 0), qRgb(200, 0, 0));
}

TEST_F(PaletteTest, AFileThatIsNoPaletteIsRefusedWithAWarning) {
    TFormImage* w = Load(ValuesDocument({0, 20000}));
    FormPal->show();
    Choose("grey.pal");
    ASSERT_EQ(dialogs.Messages.size(), 1);
    EXPECT_EQ(dialogs.Messages[0].Kind, TMsgKind::Warning);
    EXPECT_EQ(dialogs.Messages[0].Caption, "Avertissement");
    EXPECT_EQ(dialogs.Messages[0].Text,
              "Le fichier grey.pal\nn'est pas une palette couleur d'Quenno !\nopen aborted");
    EXPECT_EQ(w->Image->Picture().pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(w->Document().PaletteHeader[2], 'X');
    EXPECT_FALSE(w->Document().Modified);
}

TEST_F(PaletteTest, AVanishedFileReachesTheErrorBox) {
    TFormImage* w = Load(ValuesDocument({0, 20000}));
    FormPal->show();
    QFile::remove(folder.filePath("rouge.Pal"));
    Choose("rouge.Pal");
    ASSERT_EQ(dialogs.Messages.size(), 1);
    EXPECT_EQ(dialogs.Messages[0].Caption, "Orvanel");
    EXPECT_TRUE(
        dialogs.Messages[0].Text.startsWith("Ne peut ouvrir le fichier " + folder.filePath("rouge.Pal")))
        << dialogs.Messages[0].Text.toStdString();
    EXPECT_EQ(w->Image->Picture().pixel(0, 0), qRgb(0, 0, 0));
}

TEST_F(PaletteTest, NothingForABitmapOrWithoutAnImage) {
    FormPal->show();
    Choose("rouge.Pal"); // no image at all
    TFormImage* bmp = OpenBmp("photo.bmp", 4, 4);
    FormPal->FileListBox1->setEnabled(true);
    const QImage before = bmp->Image->Picture();
    Choose("spectre.PAL");
    EXPECT_EQ(bmp->Image->Picture(), before);
    EXPECT_TRUE(dialogs.Messages.isEmpty());
}

TEST_F(PaletteTest, TheShippedPalettesAreAccepted) {
    const QDir shipped(QStringLiteral(ORVANEL_SOURCE_DIR "/data/palettes"));
    const QStringList files = PaletteFiles(shipped.path());
    ASSERT_GE(files.size(), 2);
    FormPal->Directory = shipped.path();
    TFormImage* w = Load(ValuesDocument({0, 8000, 16000}));
    FormPal->show();
    for (const QString& f : files) {
        Choose(f);
        EXPECT_NE(w->Image->Picture().pixel(1, 0), qRgb(128, 128, 128)) << f.toStdString(); // coloured
    }
    EXPECT_TRUE(dialogs.Messages.isEmpty());
}

TEST_F(ProgramTest, StatisticsShowInTheirPanels) {
    Load(ValuesDocument({10, 20, 30, 40}));
    FormMain->SpeedStat->click();
    ASSERT_EQ(dialogs.Executed, QList<QString>{"Stat"});
    EXPECT_EQ(Stat->windowTitle(), "Statistiques");
    const struct {
        QLabel* Label;
        QLabel* Panel;
        const char* Caption;
        const char* Value;
    } rows[] = {
        {Stat->IntMin, Stat->PanelMin, "Intensité minimum :", "10"},
        {Stat->IntMax, Stat->PanelMax, "Intensité maximum :", "40"},
        {Stat->IntMoy, Stat->PanelMoy, "Intensité moyenne :", "25"},
        {Stat->IntMed, Stat->PanelMed, "Intensité mediane :", "29.6"},
        {Stat->EcartType, Stat->PanelEcart, "Ecart type :", "11.18034"},
    };
    int previousY = -1;
    Stat->show();
    for (const auto& r : rows) {
        EXPECT_EQ(r.Label->text(), QString::fromUtf8(r.Caption));
        EXPECT_EQ(r.Panel->text(), r.Value) << r.Caption;
        EXPECT_EQ(r.Panel->frameShadow(), QFrame::Sunken);
        EXPECT_GT(r.Label->y(), previousY) << r.Caption; // top to bottom in this order
        previousY = r.Label->y();
    }
    Stat->OKBtn->click();
    EXPECT_FALSE(Stat->isVisible());
}

TEST_F(ProgramTest, AColourImageHasAColumnOfStatisticsPerChannel) {
    orv::test::TFitsBuilder cube; // red 10 30, green 100 300, blue 1000 3000
    cube.Image(16, 2, 1).Value("NAXIS", "3").Value("NAXIS3", "3");
    cube.End().Blanks().BigEndian({10, 30, 100, 300, 1000, 3000}, 2).Zeros();
    const QString path = folder.filePath("rgb.fits");
    WriteFile(path,
              QByteArray(reinterpret_cast<const char*>(cube.Bytes.data()), qsizetype(cube.Bytes.size())));
    FormMain->OpenFile(path);
    FormMain->SpeedStat->click();
    const auto row = [this](size_t i) {
        const std::array<QLabel*, 5> red{Stat->PanelMin, Stat->PanelMax, Stat->PanelMoy, Stat->PanelMed,
                                         Stat->PanelEcart};
        return QStringList{red[i]->text(), Stat->GreenBluePanels[0][i]->text(),
                           Stat->GreenBluePanels[1][i]->text()};
    };
    EXPECT_EQ(row(0), (QStringList{"10", "100", "1000"}));
    EXPECT_EQ(row(1), (QStringList{"30", "300", "3000"}));
    EXPECT_EQ(row(2), (QStringList{"20", "200", "2000"}));
    Stat->show();
    EXPECT_TRUE(Stat->GreenBluePanels[1][4]->isVisible());
    EXPECT_EQ(Stat->ChannelHeads[1]->text(), "V");
    // A grey image afterwards has one column again.
    Load(ValuesDocument({10, 20, 30, 40}));
    FormMain->SpeedStat->click();
    EXPECT_FALSE(Stat->GreenBluePanels[1][4]->isVisible());
    EXPECT_FALSE(Stat->ChannelHeads[0]->isVisible());
}

TEST_F(ProgramTest, StatisticsDoNothingForABitmapAGifOrAnEmptyDocument) {
    for (uint8_t kind : {kKindBmp, kKindGif, kKindEmpty}) {
        TFormImage* w = Load(ValuesDocument({10, 20}, kind));
        FormMain->SpeedStatClick();
        EXPECT_TRUE(dialogs.Executed.isEmpty()) << int(kind);
        w->close();
    }
    FormMain->SpeedStatClick(); // no image
    EXPECT_TRUE(dialogs.Executed.isEmpty());
}

class PrintTest : public ProgramTest {
  protected:
    TScriptedPrinter& printer = dialogs.ScriptedPrinter;
    QColor Face() const { return FormImpr->palette().color(QPalette::Button); }
};

TEST_F(PrintTest, PreviewShowsTheSheetAndThePrintedExtent) {
    Load(Int16Document("/data/m.fit", 512, 512));
    dialogs.ExecResults.enqueue(QDialog::Rejected);
    FormMain->Imprimer1->trigger();
    // The factor's caption is whole and clear of the preview.
    const QLabel* caption = FormImpr->Label1;
    EXPECT_GE(caption->width(), caption->fontMetrics().horizontalAdvance(caption->text()));
    EXPECT_FALSE(caption->geometry().intersects(FormImpr->ImageImpr->geometry()));
    EXPECT_TRUE(FormImpr->rect().contains(FormImpr->BitBtn2->geometry()));
    EXPECT_TRUE(FormImpr->RadioButton1->isChecked());
    EXPECT_EQ((QSize(FormImpr->SheetWidth, FormImpr->SheetHeight)), QSize(73, 100));
    EXPECT_EQ((QSize(FormImpr->PrintWidth, FormImpr->PrintHeight)), QSize(512, 512));
    const struct {
        int Factor;
        int Outline; // last column and row of the picture's outline in the preview
    } factors[] = {{1, 7}, {9, 69}};
    for (const auto& f : factors) {
        FormImpr->SpinEdit1->setValue(f.Factor);
        const QImage& p = FormImpr->Preview;
        EXPECT_EQ(p.pixelColor(f.Outline, f.Outline), QColor(Qt::black)) << f.Factor;
        EXPECT_EQ(p.pixelColor(f.Outline / 2, f.Outline / 2), QColor(Qt::white)) << f.Factor;
        EXPECT_EQ(p.pixelColor(f.Outline + 1, f.Outline + 1), QColor(Qt::white)) << f.Factor; // sheet
        EXPECT_EQ(p.pixelColor(73, 50), Face()) << f.Factor; // beyond the sheet
    }
    // Factor 13 passes the page: the outline's right edge is hidden by the strip.
    FormImpr->SpinEdit1->setValue(13);
    EXPECT_EQ(FormImpr->PrintWidth, 6656);
    EXPECT_EQ(FormImpr->Preview.pixelColor(72, 50), QColor(Qt::white));
    EXPECT_EQ(FormImpr->Preview.pixelColor(73, 50), Face());
    // "Paysage" turns the printer at once; cancelling prints nothing and keeps it turned.
    FormImpr->RadioButton2->click();
    EXPECT_EQ(printer.Current, TOrientation::Landscape);
    EXPECT_EQ((QSize(FormImpr->SheetWidth, FormImpr->SheetHeight)), QSize(100, 73));
    EXPECT_EQ(FormImpr->Preview.pixelColor(50, 73), Face());
    EXPECT_TRUE(printer.Printed.isEmpty());
}

TEST_F(PrintTest, FactorTypedOutsideTheRangeIsBroughtBack) {
    const struct {
        const char* Typed;
        int Value;
    } cases[] = {{"500", 200}, {"0", 1}, {"abc", 1}, {"37", 37}};
    for (const auto& c : cases) {
        FormImpr->SpinEdit1->setValue(5);
        FormImpr->SpinEdit1->findChild<QLineEdit*>()->setText(c.Typed);
        FormImpr->SpinEdit1->interpretText();
        EXPECT_EQ(FormImpr->SpinEdit1->value(), c.Value) << c.Typed;
    }
}

TEST_F(PrintTest, PrintingStretchesThePictureFromTheTopLeftCorner) {
    TFormImage* w = Load(Int16Document("/data/m31.fit", 64, 32));
    w->SetZoom(TZoom{1, 2}); // a way of looking: the picture printed stays at 1:1
    dialogs.Setups.enqueue(TOrientation::Landscape);
    FormMain->Configurationdelimpression1->trigger();
    EXPECT_EQ(dialogs.PrinterSetups, 1);
    FormImpr->SpinEdit1->setValue(3);
    dialogs.ExecResults.enqueue(QDialog::Accepted);
    FormMain->SpeedPrint->click();
    EXPECT_EQ(dialogs.Executed, QList<QString>{"FormImpr"});
    // The printer was in landscape: "Paysage" shows it.
    EXPECT_TRUE(FormImpr->RadioButton2->isChecked());
    EXPECT_FALSE(FormImpr->RadioButton1->isChecked());
    ASSERT_EQ(printer.Printed.size(), 1);
    EXPECT_EQ(printer.Printed[0].Target, QRect(0, 0, 192, 96));
    EXPECT_EQ(printer.Printed[0].Picture, QSize(64, 32));
    EXPECT_EQ((QSize(FormImpr->PrintWidth, FormImpr->PrintHeight)), QSize(192, 96));
    EXPECT_EQ(printer.Printed[0].Orientation, TOrientation::Landscape);
    EXPECT_EQ(printer.Printed[0].Title, "Orvanel - m31.fit");
    EXPECT_FALSE(w->Document().Modified);
}

TEST_F(PrintTest, PrintingErrorsReachTheErrorBoxAndNothingWithoutAnImage) {
    dialogs.ExecResults.enqueue(QDialog::Accepted);
    FormMain->Imprimer1Click(); // no image: not even the dialog
    EXPECT_TRUE(dialogs.Executed.isEmpty());
    Load(Int16Document("/data/m.fit", 8, 8));
    printer.FailWith = "Aucune imprimante n'est disponible";
    FormMain->Imprimer1->setEnabled(true);
    FormMain->Imprimer1->trigger();
    ASSERT_EQ(dialogs.Messages.size(), 1);
    EXPECT_EQ(dialogs.Messages[0].Caption, "Orvanel");
    EXPECT_EQ(dialogs.Messages[0].Text, "Aucune imprimante n'est disponible.");
    EXPECT_TRUE(printer.Printed.isEmpty());
}

TEST_F(PrintTest, WithoutAPrinterThePagePrintsToAPdfFile) {
    Load(Int16Document("/data/m.fit", 8, 8));
    const struct {
        const char* Case;
        bool Installed, ToPdf;
        QString Chosen;
        QString Written; // empty: the printer
    } rows[] = {
        {"a printer", true, false, "", ""},
        {"no printer", false, false, folder.filePath("page"), folder.filePath("page.pdf")},
        {"chosen in the set-up", true, true, folder.filePath("p.PDF"), folder.filePath("p.PDF")},
        {"name cancelled", false, false, "", "-"},
    };
    for (const auto& r : rows) {
        printer.Installed = r.Installed;
        printer.ToPdf = r.ToPdf;
        printer.PdfFiles.clear();
        dialogs.SaveFilters.clear();
        if (!r.Chosen.isEmpty()) dialogs.FileNames.enqueue(r.Chosen);
        dialogs.ExecResults.enqueue(QDialog::Accepted);
        FormMain->Imprimer1->trigger();
        EXPECT_EQ(dialogs.SaveFilters.size(), r.ToPdf || !r.Installed ? 1 : 0) << r.Case;
        EXPECT_EQ(printer.PdfFiles, r.Written == "-" ? QStringList{} : QStringList{r.Written}) << r.Case;
    }
    EXPECT_EQ(dialogs.SaveFilters.value(0).value(0).Description, "Document PDF (*.pdf)");
}

TEST_F(PrintTest, APdfPrintedAtFactorTwoHoldsThePictureAtTheTopLeft) {
    TQtPrinter pdfPrinter;
    pdfPrinter.SetPrintsToPdf(true);
    dialogs.RealPrinter = &pdfPrinter;
    TFormImage* w = Load(BitmapDocument("/data/photo.bmp", 120, 80)); // red left half, black right
    ASSERT_EQ(w->Image->size(), QSize(120, 80));
    FormImpr->SpinEdit1->setValue(2);
    dialogs.ExecResults.enqueue(QDialog::Accepted);
    dialogs.FileNames.enqueue(folder.filePath("page"));
    FormMain->Imprimer1->trigger();
    ASSERT_TRUE(dialogs.Messages.isEmpty()) << dialogs.Messages.value(0).Text.toStdString();
    ASSERT_TRUE(QFileInfo::exists(folder.filePath("page.pdf")));

    // Rendered at the printer's resolution, one printer pixel is one rendered pixel.
    const QPrinter& device = pdfPrinter.Device();
    const int dpi = device.resolution();
    const QPoint corner = device.pageLayout().paintRectPixels(dpi).topLeft() -
                          device.pageLayout().fullRectPixels(dpi).topLeft();
    QProcess render;
    render.start("pdftoppm", {"-png", "-r", QString::number(dpi), "-x", "0", "-y", "0", "-W",
                              QString::number(corner.x() + 400), "-H", QString::number(corner.y() + 300),
                              "-singlefile", folder.filePath("page.pdf"), folder.filePath("page")});
    ASSERT_TRUE(render.waitForFinished(60000)) << "pdftoppm (poppler-utils, installed by scripts/deps)";
    ASSERT_EQ(render.exitCode(), 0) << render.readAllStandardError().toStdString();
    const QImage page(folder.filePath("page.png"));
    ASSERT_FALSE(page.isNull());
    QRect painted;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (page.pixelColor(x, y) != QColor(Qt::white)) painted |= QRect(x, y, 1, 1);
    // 240 x 160 printer pixels from the printable area's corner, give or take the edge pixels.
    EXPECT_NEAR(painted.left(), corner.x(), 1);
    EXPECT_NEAR(painted.top(), corner.y(), 1);
    EXPECT_NEAR(painted.width(), 240, 2);
    EXPECT_NEAR(painted.height(), 160, 2);
    const QRgb red = page.pixel(corner.x() + 60, corner.y() + 80);
    const QRgb black = page.pixel(corner.x() + 180, corner.y() + 80);
    EXPECT_GT(qRed(red), 240);
    EXPECT_LT(qGreen(red) + qBlue(red) + qRed(black) + qGreen(black) + qBlue(black), 20);
    dialogs.RealPrinter = nullptr;
}
