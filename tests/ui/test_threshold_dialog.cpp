// The threshold dialog's handlers on the current image: each changes the thresholds through
// its controls, renders the picture again and marks a camera image modified.
#include "program_fixture.h"

#include "core/formats/fits_test_files.h"
#include "core/text/number_text.h"
#include "ui/application.h"
#include "ui/form_seuils.h"
#include "ui/histogram_view.h"
#include "ui/image_control.h"
#include "ui/workspace.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMouseEvent>
#include <QScrollBar>

using namespace orv;
using namespace orv::ui;
using namespace orv::ui::test;

namespace {

struct TShown {
    QString High, Low;
    int HighBar, LowBar;
    double HighThreshold, LowThreshold;
};

void SendMouse(QWidget* widget, QEvent::Type type, int x, Qt::MouseButtons buttons) {
    const QPointF at(x + 0.5, widget->height() / 2);
    QMouseEvent e(type, at, widget->mapToGlobal(at),
                  type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &e);
}

void PressEnter(QLineEdit* edit, const QString& text) {
    edit->setText(text);
    QTest::keyClick(edit, Qt::Key_Return);
}

} // namespace

class ThresholdDialogTest : public ProgramTest {
  protected:
    TShown Shown(const TFormImage* w) {
        return {FormSeuils->editsh->text(),       FormSeuils->Editsb->text(),
                FormSeuils->ScrollBarsh->value(), FormSeuils->ScrollBarsb->value(),
                w->Document().HighThreshold,      w->Document().LowThreshold};
    }

    void ExpectShown(const TFormImage* w, const TShown& e, const std::string& when) {
        const TShown s = Shown(w);
        EXPECT_EQ(s.High, e.High) << when;
        EXPECT_EQ(s.Low, e.Low) << when;
        EXPECT_EQ(s.HighBar, e.HighBar) << when;
        EXPECT_EQ(s.LowBar, e.LowBar) << when;
        EXPECT_EQ(s.HighThreshold, e.HighThreshold) << when;
        EXPECT_EQ(s.LowThreshold, e.LowThreshold) << when;
    }

    // Presses on a marker of the dialog's histogram, drags it to column x and lets it go.
    void DragMarker(TThresholdMarker marker, int x) {
        THistogramView* h = FormSeuils->Histogram;
        SendMouse(h, QEvent::MouseButtonPress, h->MarkerX(marker), Qt::LeftButton);
        SendMouse(h, QEvent::MouseMove, (h->MarkerX(marker) + x) / 2, Qt::LeftButton);
        SendMouse(h, QEvent::MouseMove, x, Qt::LeftButton);
        SendMouse(h, QEvent::MouseButtonRelease, x, Qt::NoButton);
    }

    // A 16-bit FITS image: stored row r, column x hold r * 1000 + x; thresholds 16384 / 0.
    TFormImage* Image(double high = 16384, double low = 0) {
        TImageDocument doc = Int16Document("/data/m.fit", 16, 20);
        doc.HighThreshold = high;
        doc.LowThreshold = low;
        TFormImage* w = Load(std::move(doc));
        FormMain->SpeedSeuils->click();
        return w;
    }
};

TEST_F(ThresholdDialogTest, ButtonsMoveTheThresholdsRenderAndMarkModified) {
    struct {
        const char* Button;
        TShown After;
    } cases[] = {
        {"ButtonLump", {"16284", "-100", 16284, -100, 16284, -100}},
        {"ButtonLumpp", {"15384", "-1000", 15384, -1000, 15384, -1000}},
        {"ButtonLumm", {"16484", "100", 16484, 100, 16484, 100}},
        {"ButtonLummm", {"17384", "1000", 17384, 1000, 17384, 1000}},
        {"ButtonConp", {"16334", "50", 16334, 50, 16334, 50}},
        {"ButtonConpp", {"15884", "500", 15884, 500, 15884, 500}},
        {"ButtonConm", {"16434", "-50", 16434, -50, 16434, -50}},
        {"ButtonConmm", {"16884", "-500", 16884, -500, 16884, -500}},
        {"Invert", {"0", "16384", 0, 16384, 0, 16384}},
    };
    for (const auto& c : cases) {
        TFormImage* w = Image();
        const QImage before = w->Image->Picture();
        ASSERT_FALSE(w->Document().Modified);
        auto* button = FormSeuils->findChild<QAbstractButton*>(c.Button);
        ASSERT_NE(button, nullptr) << c.Button;
        ASSERT_TRUE(button->isEnabled()) << c.Button;
        button->click();
        ExpectShown(w, c.After, c.Button);
        EXPECT_TRUE(w->Document().Modified) << c.Button;
        EXPECT_NE(w->Image->Picture(), before) << c.Button;
        EXPECT_TRUE(dialogs.Messages.isEmpty()) << c.Button;
        w->Document().Modified = false;
        w->close();
    }
}

TEST_F(ThresholdDialogTest, SpeedChoicesSetTheStepsOfBarsAndButtons) {
    TFormImage* w = Image(100, 96);
    FormSeuils->Slow->click();
    EXPECT_EQ(FormSeuils->ScrollBarsh->singleStep(), 1);
    EXPECT_EQ(FormSeuils->ScrollBarsb->pageStep(), 10);
    FormSeuils->ButtonConp->click(); // each end by exactly 1
    ExpectShown(w, {"99", "97", 99, 97, 99, 97}, "slow contrast");
    FormSeuils->ButtonConp->click(); // 2 apart: refused, applied as the bars are
    ExpectShown(w, {"99", "97", 99, 97, 99, 97}, "refused");
    FormSeuils->Fast->click();
    EXPECT_EQ(FormSeuils->ScrollBarsh->singleStep(), 400);
    EXPECT_EQ(FormSeuils->ScrollBarsh->pageStep(), 4000);
    FormSeuils->ButtonLump->click();
    ExpectShown(w, {"-301", "-303", -301, -303, -301, -303}, "fast brightness");
    FormSeuils->Normal->click();
    EXPECT_EQ(FormSeuils->ScrollBarsb->singleStep(), 100);
    EXPECT_EQ(FormSeuils->ScrollBarsb->pageStep(), 1000);
}

TEST_F(ThresholdDialogTest, PresetsComeFromTheStatistics) {
    TFormImage* w = Image();
    // Values r * 1000 + x for r in 0..19, x in 0..15: maximum 19015.
    FormSeuils->Planet->click();
    EXPECT_EQ(w->Document().HighThreshold, 19015);
    EXPECT_EQ(FormSeuils->editsh->text(), "19015");
    const double planetLow = w->Document().LowThreshold;
    EXPECT_GT(planetLow, 8000);
    EXPECT_LT(planetLow, 11000);
    FormSeuils->Stel->click();
    EXPECT_EQ(w->Document().LowThreshold, planetLow);         // the median again
    EXPECT_GT(w->Document().HighThreshold, planetLow + 5000); // 2 standard deviations above
    EXPECT_TRUE(w->Document().Modified);

    // A colour cube whose planes are 1000 + x, 200 + x and 50 + x (x = 0..19, ten rows each)
    // shares one pair of thresholds: the presets read the three channels, not the red plane the
    // document holds first. Low: the lowest median (blue's 59.52); planet: the highest maximum;
    // deep sky: the highest median + 2 deviations (red's 1009.52 + 2 x 5.766).
    orv::test::TFitsBuilder cube;
    cube.Image(16, 20, 10).Value("NAXIS", "3").Value("NAXIS3", "3");
    std::vector<uint64_t> planes;
    for (const uint64_t base : {1000, 200, 50})
        for (uint64_t k = 0; k < 200; ++k)
            planes.push_back(base + k % 20);
    cube.End().Blanks().BigEndian(planes, 2).Zeros();
    const QString path = folder.filePath("rgb.fits");
    WriteFile(path,
              QByteArray(reinterpret_cast<const char*>(cube.Bytes.data()), qsizetype(cube.Bytes.size())));
    FormMain->OpenFile(path);
    const struct {
        QToolButton* Preset;
        double Low, High;
    } colourRows[] = {{FormSeuils->Planet, 60, 1019}, {FormSeuils->Stel, 60, 1021}};
    for (const auto& r : colourRows) {
        r.Preset->click();
        EXPECT_EQ(FormMain->ActiveMDIChild()->Document().LowThreshold, r.Low)
            << r.Preset->objectName().toStdString();
        EXPECT_EQ(FormMain->ActiveMDIChild()->Document().HighThreshold, r.High)
            << r.Preset->objectName().toStdString();
    }
}

TEST_F(ThresholdDialogTest, EnterInTheEditBoxesAppliesWithTheOuterBound) {
    TFormImage* w = Image();
    PressEnter(FormSeuils->Editsb, "-40000");
    ExpectShown(w, {"16384", "-32768", 16384, -32768, 16384, -32768}, "low below the bar");
    PressEnter(FormSeuils->Editsb, "40000");
    ExpectShown(w, {"16384", "40000", 16384, 32767, 16384, 40000}, "low above: stored as typed");
    PressEnter(FormSeuils->editsh, "50000");
    ExpectShown(w, {"32767", "40000", 32767, 32767, 32767, 40000}, "high above the bar");
    EXPECT_TRUE(w->Document().Modified);
    // Other keys are typing: nothing is applied.
    FormSeuils->editsh->setText("");
    QTest::keyClicks(FormSeuils->editsh, "1200");
    EXPECT_EQ(FormSeuils->editsh->text(), "1200");
    EXPECT_EQ(w->Document().HighThreshold, 32767);
    QTest::keyClick(FormSeuils->editsh, Qt::Key_Enter); // the keypad's Enter too
    EXPECT_EQ(w->Document().HighThreshold, 1200);
    EXPECT_TRUE(dialogs.Messages.isEmpty());
}

TEST_F(ThresholdDialogTest, ScrollingAppliesThePosition) {
    TFormImage* w = Image();
    const QImage before = w->Image->Picture();
    FormSeuils->ScrollBarsh->triggerAction(QAbstractSlider::SliderSingleStepSub);
    ExpectShown(w, {"16284", "0", 16284, 0, 16284, 0}, "arrow");
    FormSeuils->ScrollBarsb->triggerAction(QAbstractSlider::SliderPageStepAdd);
    ExpectShown(w, {"16284", "1000", 16284, 1000, 16284, 1000}, "page");
    FormSeuils->ScrollBarsh->setSliderPosition(2000); // thumb dragging
    ExpectShown(w, {"2000", "1000", 2000, 1000, 2000, 1000}, "thumb");
    EXPECT_NE(w->Image->Picture(), before);
    EXPECT_TRUE(w->Document().Modified);
}

TEST_F(ThresholdDialogTest, RealThresholdsApplyAndInvert) {
    // A CPA image's real thresholds: shown exactly, the bars rounded, inverted exactly.
    TFormImage* w = Image(12.5, 2.5);
    ExpectShown(w, {"12.5", "2.5", 12, 2, 12.5, 2.5}, "pushed");
    FormSeuils->Invert->click();
    ExpectShown(w, {"2.5", "12.5", 2, 12, 2.5, 12.5}, "inverted");
    PressEnter(FormSeuils->Editsb, "2.25");
    ExpectShown(w, {"2.5", "2.25", 2, 2, 2.5, 2.25}, "typed");
    EXPECT_TRUE(dialogs.Messages.isEmpty());
}

TEST_F(ThresholdDialogTest, AConversionErrorReachesTheErrorBoxAndKeepsWhatWasDone) {
    // The low text is stored, then applying fails on the high one.
    TFormImage* w = Image(2.5, 0);
    const QImage before = w->Image->Picture();
    FormSeuils->Editsb->setText("7");
    FormSeuils->editsh->setText("1,5");
    RunCommand([this] { FormSeuils->ApplyThresholds(); });
    ASSERT_EQ(dialogs.Messages.size(), 1);
    EXPECT_EQ(dialogs.Messages[0].Caption, "Orvanel");
    EXPECT_EQ(dialogs.Messages[0].Text, "'1,5' n'est pas une valeur entière correcte.");
    EXPECT_EQ(w->Document().LowThreshold, 7); // stored before the high text failed
    EXPECT_EQ(w->Document().HighThreshold, 2.5);
    EXPECT_EQ(w->Image->Picture(), before); // not rendered
    EXPECT_TRUE(w->Document().Modified);
    // Through a control: the typed text fails, the box shows it, the window goes on.
    PressEnter(FormSeuils->Editsb, "abc");
    ASSERT_EQ(dialogs.Messages.size(), 2);
    EXPECT_EQ(dialogs.Messages[1].Text, "'abc' n'est pas une valeur entière correcte.");
    EXPECT_EQ(FormSeuils->Editsb->text(), "abc");
    // The bars are whole: a step works again. Low 7 over high 2.5 is a negative, so
    // brighter moves both bars up.
    FormSeuils->ButtonLump->click();
    EXPECT_EQ(dialogs.Messages.size(), 2);
    ExpectShown(w, {"102", "100", 102, 100, 102, 100}, "after the errors");
}

TEST_F(ThresholdDialogTest, NothingWithoutACurrentImageAndNoPresetOnABitmap) {
    FormSeuils->show();
    FormSeuils->ApplyThresholds();
    FormSeuils->PlanetClick();
    FormSeuils->InvertClick();
    FormSeuils->ButtonLumpClick();
    EXPECT_EQ(FormSeuils->editsh->text(), "16384");
    TFormImage* bmp = OpenBmp("photo.bmp", 8, 8);
    ASSERT_EQ(FormMain->CurrentImage(), bmp);
    const QImage before = bmp->Image->Picture();
    FormSeuils->PlanetClick();
    FormSeuils->StelClick();
    FormSeuils->InvertClick();
    EXPECT_EQ(bmp->Image->Picture(), before);
    EXPECT_FALSE(bmp->Document().Modified);
    EXPECT_TRUE(dialogs.Messages.isEmpty());
}

TEST_F(ThresholdDialogTest, TheDialogIsAToolWindowOnTopWithItsCaption) {
    EXPECT_EQ(FormSeuils->windowTitle(), "Reglage des seuils");
    // Above the main window it belongs to, never above the dialogs the program opens.
    EXPECT_EQ(FormSeuils->parentWidget(), FormMain);
    EXPECT_FALSE(FormSeuils->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ((FormSeuils->windowFlags() & Qt::WindowType_Mask), Qt::Tool);
    EXPECT_EQ(FormSeuils->Invert->toolTip(), QString::fromUtf8("Inverser les seuils haut et bas (négatif)"));
    EXPECT_FALSE(FormSeuils->Invert->icon().isNull());
    EXPECT_FALSE(FormSeuils->Planet->icon().isNull());
}

TEST_F(ThresholdDialogTest, DraggingAHistogramMarkerAppliesAsItsBar) {
    // Whole values: the marker's bar takes the whole value under the pointer and applies it,
    // as scrolling the bar there does. Reals: the value applies as if typed in the box.
    TImageDocument reals;
    reals.Kind = kKindFits;
    reals.PixelType = kPixelReal64;
    reals.ImageWidth = 5, reals.ImageHeight = 1;
    const double values[5] = {0, 0.25, 0.5, 0.75, 1};
    reals.PixelStore.assign(reinterpret_cast<const uint8_t*>(values),
                            reinterpret_cast<const uint8_t*>(values + 5));
    reals.HighThreshold = 1;
    const struct {
        TThresholdMarker Marker;
        int X;
        bool Real;
    } drags[] = {{TThresholdMarker::High, 300, false},
                 {TThresholdMarker::Low, 40, false},
                 {TThresholdMarker::Low, 390, false}, // past the high marker: a negative
                 {TThresholdMarker::High, 200, true}};
    for (const auto& d : drags) {
        TFormImage* w = d.Real ? Load(TImageDocument(reals)) : Image();
        if (d.Real) FormMain->SpeedSeuils->click();
        ASSERT_TRUE(FormSeuils->Histogram->isEnabled());
        const QImage before = w->Image->Picture();
        TShown expected = Shown(w);
        const THistogram& h = FormSeuils->Histogram->Histogram();
        ASSERT_FALSE(h.Counts.empty());
        const double value = MarkerValue(h, FormSeuils->Histogram->PlaceAt(d.X), !d.Real);
        const bool high = d.Marker == TThresholdMarker::High;
        (high ? expected.High : expected.Low) = QString::fromStdString(FormatReal15(value));
        (high ? expected.HighBar : expected.LowBar) = static_cast<int>(std::lround(value));
        (high ? expected.HighThreshold : expected.LowThreshold) = value;
        DragMarker(d.Marker, d.X);
        const std::string what = (high ? "high to " : "low to ") + std::to_string(d.X);
        ExpectShown(w, expected, what);
        EXPECT_EQ(FormSeuils->Histogram->MarkerX(d.Marker), d.X) << what;
        EXPECT_NE(w->Image->Picture(), before) << what;
        EXPECT_TRUE(w->Document().Modified) << what;
        w->Document().Modified = false;
        w->close();
    }
}

TEST_F(ThresholdDialogTest, TheDisplayFunctionIsEachImagesOwnAndNeverModifies) {
    const QStringList captions{"Linéaire", "Racine carrée", "Logarithme", "Asinh", "MTF"};
    QStringList items;
    for (int i = 0; i < FormSeuils->DisplayFunction->count(); ++i)
        items << FormSeuils->DisplayFunction->itemText(i);
    EXPECT_EQ(items, captions);
    TFormImage* first = Image();
    const QImage linear = first->Image->Picture();
    QTest::keyClick(FormSeuils->DisplayFunction, Qt::Key_Down);
    EXPECT_EQ(first->Document().DisplayFunction, TDisplayFunction::Sqrt);
    EXPECT_NE(first->Image->Picture(), linear);
    EXPECT_FALSE(first->Document().Modified);
    TFormImage* second = Image();
    EXPECT_EQ(FormSeuils->DisplayFunction->currentText(), "Linéaire");
    FormMain->MdiArea->setActiveSubWindow(first);
    EXPECT_EQ(FormSeuils->DisplayFunction->currentText(), "Racine carrée");
    EXPECT_EQ(second->Document().DisplayFunction, TDisplayFunction::Linear);
}

namespace {

// Sky at 1000 ± 7 and a star of 30000 on four pixels.
TImageDocument SkyAndStar(const std::string& fileName) {
    TImageDocument doc = Int16Document(fileName, 16, 20);
    for (int32_t r = 0; r < 20; ++r)
        for (int32_t x = 0; x < 16; ++x) {
            const bool star = (r == 9 || r == 10) && (x == 7 || x == 8);
            const auto v = static_cast<int16_t>(star ? 30000 : 993 + (x * 7 + r * 3) % 15);
            std::memcpy(doc.PixelStore.data() + (static_cast<size_t>(r) * 16 + x) * 2, &v, 2);
        }
    return doc;
}

} // namespace

TEST_F(ThresholdDialogTest, AutoButtonsShowTheSkyWithoutModifying) {
    const struct {
        const char* Button;
        QString Function;
        double LowFrom, LowTo, HighFrom, HighTo;
    } cases[] = {
        // The sky spread over the levels, the star saturated.
        {"AutoZscale", "Linéaire", 950, 1000, 1000, 1050},
        // The sky just above black, the star at the top.
        {"AutoMtf", "MTF", 993, 1000, 30000, 30000},
    };
    for (const auto& c : cases) {
        TFormImage* w = Load(SkyAndStar("/data/sky.fit"));
        FormMain->SpeedSeuils->click();
        const QImage before = w->Image->Picture();
        const int highMarker = FormSeuils->Histogram->MarkerX(TThresholdMarker::High);
        auto* button = FormSeuils->findChild<QPushButton*>(c.Button);
        ASSERT_NE(button, nullptr) << c.Button;
        ASSERT_TRUE(button->isEnabled()) << c.Button;
        button->click();
        const TImageDocument& doc = w->Document();
        EXPECT_GE(doc.LowThreshold, c.LowFrom) << c.Button;
        EXPECT_LE(doc.LowThreshold, c.LowTo) << c.Button;
        EXPECT_GE(doc.HighThreshold, c.HighFrom) << c.Button;
        EXPECT_LE(doc.HighThreshold, c.HighTo) << c.Button;
        EXPECT_EQ(FormSeuils->editsh->text().toStdString(), FormatReal15(doc.HighThreshold)) << c.Button;
        EXPECT_EQ(FormSeuils->Editsb->text().toStdString(), FormatReal15(doc.LowThreshold)) << c.Button;
        EXPECT_EQ(FormSeuils->DisplayFunction->currentText(), c.Function) << c.Button;
        EXPECT_NE(FormSeuils->Histogram->MarkerX(TThresholdMarker::High), highMarker) << c.Button;
        EXPECT_NE(w->Image->Picture(), before) << c.Button;
        EXPECT_FALSE(doc.Modified) << c.Button;
        EXPECT_TRUE(dialogs.Messages.isEmpty()) << c.Button;
        w->close();
    }
}

TEST_F(ThresholdDialogTest, TheStartDisplayIsKeptAndAppliedWhenAFileOpens) {
    const struct {
        QAction* Choice;
        std::optional<TAutoDisplay> Kept;
        bool FileThresholds;
        TDisplayFunction Function;
    } cases[] = {
        {FormMain->findChild<QAction*>("OuvertureZscale1"), TAutoDisplay::ZScale, false,
         TDisplayFunction::Linear},
        {FormMain->findChild<QAction*>("OuvertureMtf1"), TAutoDisplay::Mtf, false, TDisplayFunction::Mtf},
        // Last: the default, for the tests that follow.
        {FormMain->findChild<QAction*>("OuvertureSeuils1"), std::nullopt, true, TDisplayFunction::Linear},
    };
    for (const auto& c : cases) {
        ASSERT_NE(c.Choice, nullptr);
        c.Choice->trigger();
        EXPECT_EQ(TWorkspace(nullptr).StartDisplay(), c.Kept) << c.Choice->text().toStdString();
        TImageDocument doc = SkyAndStar("sky.fit");
        doc.HighThreshold = 20000;
        doc.LowThreshold = 10;
        TFormImage* w = OpenFits(c.Choice->objectName() + ".fit", std::move(doc));
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->Document().HighThreshold == 20000 && w->Document().LowThreshold == 10, c.FileThresholds)
            << c.Choice->text().toStdString();
        EXPECT_EQ(FormSeuils->editsh->text().toStdString(), FormatReal15(w->Document().HighThreshold));
        EXPECT_EQ(w->Document().DisplayFunction, c.Function) << c.Choice->text().toStdString();
        EXPECT_FALSE(w->Document().Modified);
        w->close();
    }
}

TEST_F(ThresholdDialogTest, AColourImagesHistogramHasACurvePerChannel) {
    // Red 1000, green 200, blue 50 wherever they are debayered from.
    const QString path = WriteMosaic(folder, "RGGB", {1000, 200, 1000, 200, 200, 50, 200, 50});
    FormMain->OpenFile(path);
    FormMain->SpeedSeuils->click();
    const THistogram& grey = FormSeuils->Histogram->Histogram();
    std::vector<size_t> occupied; // the bins of 50, 200 and 1000
    for (size_t i = 0; i < grey.Counts.size(); ++i)
        if (grey.Counts[i] != 0) occupied.push_back(i);
    ASSERT_EQ(occupied.size(), 3u);
    const struct {
        const char* Action; // "" for the window as it opens
        uint64_t Pixels;    // of each channel; 0: no curves, the mosaic is grey
    } rows[] = {
        {"", 8}, {"DematricageSuperpixel1", 2}, {"DematricageAucun1", 0}, {"DematricageBilineaire1", 8}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.Action);
        if (*r.Action) FormMain->findChild<QAction*>(r.Action)->trigger();
        const auto& channels = FormSeuils->Histogram->Channels();
        if (r.Pixels == 0) {
            EXPECT_TRUE(channels.empty());
            continue;
        }
        ASSERT_EQ(channels.size(), 3u);
        for (size_t c = 0; c < 3; ++c) {
            std::vector<uint64_t> expected(grey.Counts.size(), 0);
            expected[occupied[2 - c]] = r.Pixels;
            EXPECT_EQ(channels[c], expected) << "channel " << c;
        }
    }
}
