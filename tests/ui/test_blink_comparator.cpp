// The blink comparator: two open images aligned, shown in turn, their difference, the GIF.
#include "program_fixture.h"

#include "core/align/star_frames.h"
#include "core/gif/gif_file.h"
#include "ui/form_blink.h"
#include "ui/image_control.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QMdiArea>
#include <QTimer>

#include <algorithm>
#include <functional>

using namespace orv;
using namespace orv::ui;
using namespace orv::ui::test;

TEST_F(ProgramTest, TheBlinkComparatorTogglesAndSavesItsTwoFrames) {
    // Two parts of one star field: B's picture is A's 6 pixels left and 4 up, with noise of its own.
    const auto field = align_test::Field(260, 200, 50, 31);
    const auto open = [&](const char* name, int x0, int y0) {
        const TPlane part = align_test::Window(field, x0, y0, 200, 150, uint64_t(x0));
        TImageDocument doc = Int16Document(name, 200, 150);
        for (size_t k = 0; k < part.Values.size(); ++k) {
            const auto v = int16_t(std::min(32767.0f, part.Values[k]));
            std::memcpy(doc.PixelStore.data() + 2 * k, &v, 2);
        }
        doc.LowThreshold = 900;
        doc.HighThreshold = 2000;
        return OpenFits(name, std::move(doc));
    };
    TFormImage* a = open("a.fit", 20, 30);
    EXPECT_FALSE(FormMain->Comparer1->isEnabled()); // one image: nothing to compare
    open("b.fit", 26, 26);
    FormMain->MdiArea->setActiveSubWindow(a); // the active image is A
    ASSERT_TRUE(FormMain->Comparer1->isEnabled());
    FormMain->Comparer1->trigger();
    TFormBlink* blink = FormMain->BlinkWindow();
    ASSERT_NE(blink, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(blink));
    ASSERT_TRUE(blink->Pair().has_value()) << blink->Legend->text().toStdString();
    EXPECT_EQ(blink->Pair()->Move, (TOffset{6, -4})); // B moved onto A, not the other way
    EXPECT_EQ(blink->Legend->text(),
              "A : 1 a.fit — B déplacée de X +6, Y -4 pixels ; partie commune 194 x 146");
    const QImage first = blink->Image1->pixmap().toImage();
    EXPECT_EQ(first.size(), QSize(194, 146));

    using S = TFormBlink::TShown;
    const struct {
        const char* What;
        std::function<void()> Do;
        S Shown;
    } steps[] = {
        {"the space bar", [&] { QTest::keyClick(blink, Qt::Key_Space); }, S::Second},
        {"the button", [&] { blink->Basculer->click(); }, S::First},
        {"the timer",
         [&] {
             blink->Periode->setValue(0.25);
             blink->Clignoter->setChecked(true);
             blink->TimerTimer();
         },
         S::Second},
        {"the difference", [&] { blink->Difference->setChecked(true); }, S::Difference},
        {"the space bar from the difference", [&] { QTest::keyClick(blink, Qt::Key_Space); }, S::First},
    };
    for (const auto& step : steps) {
        step.Do();
        EXPECT_EQ(blink->Shown(), step.Shown) << step.What;
        EXPECT_EQ(blink->Image1->pixmap().toImage() == first, step.Shown == S::First) << step.What;
    }
    EXPECT_EQ(blink->Timer->interval(), 250);
    EXPECT_FALSE(blink->Clignoter->isChecked()); // the difference stopped the blinking

    dialogs.FileNames.enqueue(folder.filePath("blink"));
    blink->EnregistrersousGif->click();
    TGifFile gif;
    gif.LoadFromFile(folder.filePath("blink.gif").toStdString());
    ASSERT_EQ(gif.SubImages.size(), 2u);
    for (const auto& image : gif.SubImages) {
        EXPECT_EQ(image->GetDelay(), 25);
        EXPECT_EQ(QSize(image->Descriptor.Width, image->Descriptor.Height), QSize(194, 146));
    }
}

TEST_F(ProgramTest, TheBlinkComparatorShowsColourPicturesAsTheirWindowsAndTheirDifferenceGrey) {
    // Two mosaics of red, green and blue, B's red brighter; B shown with A's thresholds.
    FormMain->OpenFile(WriteMosaic(folder, "RGGB", {1000, 200, 1000, 200, 200, 50, 200, 50}, "a.fits"));
    TFormImage* a = FormMain->ActiveMDIChild();
    FormMain->OpenFile(WriteMosaic(folder, "RGGB", {3000, 200, 3000, 200, 200, 50, 200, 50}, "b.fits"));
    TFormImage* b = FormMain->ActiveMDIChild();
    ASSERT_TRUE(a && b && a != b);
    b->Document().LowThreshold = a->Document().LowThreshold;
    b->Document().HighThreshold = a->Document().HighThreshold;
    b->DisplayChanged();
    FormMain->MdiArea->setActiveSubWindow(a);
    FormMain->Comparer1->trigger();
    TFormBlink* blink = FormMain->BlinkWindow();
    ASSERT_NE(blink, nullptr);
    blink->Alignement->setCurrentIndex(0); // four pixels hold no stars
    blink->CompareClick();
    ASSERT_TRUE(blink->Pair().has_value()) << blink->Legend->text().toStdString();
    const auto shown = [&] {
        return blink->Image1->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    };
    EXPECT_EQ(shown(), a->Image->Picture().convertToFormat(QImage::Format_RGB32));
    blink->Basculer->click();
    EXPECT_EQ(shown(), b->Image->Picture().convertToFormat(QImage::Format_RGB32));
    EXPECT_NE(shown(), a->Image->Picture().convertToFormat(QImage::Format_RGB32));
    blink->Difference->setChecked(true);
    const QImage difference = shown();
    for (int y = 0; y < difference.height(); ++y)
        for (int x = 0; x < difference.width(); ++x) {
            const QRgb c = difference.pixel(x, y);
            EXPECT_TRUE(qRed(c) == qGreen(c) && qGreen(c) == qBlue(c)) << x << ", " << y;
        }
}
