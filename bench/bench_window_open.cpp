// Opening a 4096 x 4096 16-bit FITS file in an image window against the core's own load
// and render of the same file, offscreen; the mouse readout, which reads one value and, over
// an image with sky coordinates, transforms one pixel through wcslib (target: a mouse move
// that writes every panel under 50 microseconds); and seeing the whole image: fitting it in a
// 1024 x 1024 window, each zoom step, back to 1:1 after a change made zoomed out, and a change
// of display function or threshold in the threshold dialog, each with the window repainted.
#include "core/document/open_image.h"
#include "core/image/image_document.h"
#include "ui/application.h"
#include "ui/dialogs.h"
#include "ui/display_picture.h"
#include "ui/form_image.h"
#include "ui/form_main.h"
#include "ui/form_seuils.h"
#include "ui/image_control.h"
#include "ui/printer.h"
#include "ui/program.h"

#include <QCoreApplication>
#include <QDir>
#include <QMouseEvent>
#include <QScrollBar>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

constexpr int kSide = 4096;

// A plain FITS file: the mandatory cards (and a rotated TAN projection when sky), then
// big-endian values.
std::string WriteSample(bool sky = false) {
    const std::string path = QDir::tempPath().toStdString() +
                             (sky ? "/orvanel_bench_window_4096_wcs.fit" : "/orvanel_bench_window_4096.fit");
    if (FILE* existing = std::fopen(path.c_str(), "rb")) {
        std::fclose(existing);
        return path;
    }
    std::string header;
    auto card = [&](const std::string& text) { header += text + std::string(80 - text.size(), ' '); };
    card("SIMPLE  =                    T");
    card("BITPIX  =                   16");
    card("NAXIS   =                    2");
    card("NAXIS1  =                 " + std::to_string(kSide));
    card("NAXIS2  =                 " + std::to_string(kSide));
    if (sky)
        for (const char* c :
             {"CTYPE1  = 'RA---TAN'", "CTYPE2  = 'DEC--TAN'", "CRVAL1  = 83.633", "CRVAL2  = 22.0145",
              "CRPIX1  = 2048.5", "CRPIX2  = 2048.5", "CD1_1   = -3.6084391824351614E-04",
              "CD1_2   = 2.0833333333333332E-04", "CD2_1   = 2.0833333333333332E-04",
              "CD2_2   = 3.6084391824351614E-04", "RADESYS = 'ICRS'", "EQUINOX =               2000.0"})
            card(c);
    card("END");
    header.resize(2880, ' ');
    std::vector<unsigned char> data(static_cast<size_t>(kSide) * kSide * 2);
    uint32_t seed = 12345;
    for (size_t i = 0; i < data.size(); i += 2) {
        seed = seed * 1664525u + 1013904223u;
        const uint16_t v = static_cast<uint16_t>(1000 + (seed >> 20)); // sky around 1000..5000
        data[i] = static_cast<unsigned char>(v >> 8);
        data[i + 1] = static_cast<unsigned char>(v);
    }
    data.resize((data.size() + 2879) / 2880 * 2880, 0);
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(header.data(), 1, header.size(), f);
    std::fwrite(data.data(), 1, data.size(), f);
    std::fclose(f);
    return path;
}

class TQuietDialogs : public orv::ui::TDialogs {
  public:
    orv::TAnswer Message(orv::TMsgKind, orv::TButtons, const QString&, const QString&) override {
        return orv::TAnswer::No;
    }
    QString OpenFileName(QWidget*, const QList<orv::ui::TFileFilter>&, int, const QString&) override {
        return {};
    }
    QString SaveFileName(QWidget*, const QList<orv::ui::TFileFilter>&, const QString&) override { return {}; }
    orv::ui::TPrinter& Printer() override { return printer; }
    bool PrinterSetup(QWidget*, orv::ui::TPrinter&) override { return false; }
    void ShowHelp(QWidget*) override {}
    int Exec(QDialog&) override { return 0; }
    orv::ui::TQtPrinter printer;
};

void BM_CoreLoadAndRender(benchmark::State& state) {
    const std::string path = WriteSample();
    orv::TDocumentHost host;
    for (auto _ : state) {
        orv::TImageDocument doc;
        OpenImage(doc, path, host);
        benchmark::DoNotOptimize(doc.DisplayStream.data());
    }
}
BENCHMARK(BM_CoreLoadAndRender)->Unit(benchmark::kMillisecond);

void BM_WindowOpenAndShow(benchmark::State& state) {
    const QString path = QString::fromStdString(WriteSample());
    TQuietDialogs dialogs;
    orv::ui::TProgram program(dialogs);
    orv::ui::TFormMain* FormMain = program.Windows().FormMain;
    FormMain->resize(1280, 900);
    FormMain->show();
    for (auto _ : state) {
        FormMain->OpenFile(path);
        FormMain->ActiveMDIChild()->repaint();
        QCoreApplication::processEvents();
        state.PauseTiming();
        FormMain->Toutfermer1Click();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_WindowOpenAndShow)->Unit(benchmark::kMillisecond);

void BM_DisplayPicture(benchmark::State& state) {
    const std::string path = WriteSample();
    orv::TDocumentHost host;
    orv::TImageDocument doc;
    OpenImage(doc, path, host);
    for (auto _ : state) {
        QImage picture = orv::ui::DisplayPicture(doc.DisplayStream);
        benchmark::DoNotOptimize(picture.constBits());
    }
}
BENCHMARK(BM_DisplayPicture)->Unit(benchmark::kMillisecond);

void BM_EmptyWindow(benchmark::State& state) {
    TQuietDialogs dialogs;
    orv::ui::TProgram program(dialogs);
    orv::ui::TFormMain* FormMain = program.Windows().FormMain;
    FormMain->resize(1280, 900);
    FormMain->show();
    for (auto _ : state) {
        FormMain->CreateImageWindow()->repaint();
        QCoreApplication::processEvents();
        state.PauseTiming();
        FormMain->Toutfermer1Click();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_EmptyWindow)->Unit(benchmark::kMillisecond);

void BM_MouseReadout(benchmark::State& state) {
    const QString path = QString::fromStdString(WriteSample(state.range(0) != 0));
    TQuietDialogs dialogs;
    orv::ui::TProgram program(dialogs);
    orv::ui::TFormMain* FormMain = program.Windows().FormMain;
    FormMain->show();
    FormMain->OpenFile(path);
    orv::ui::TImageControl* image = FormMain->ActiveMDIChild()->Image;
    int x = 0;
    for (auto _ : state) {
        const QPointF at((x * 37) % kSide, (x * 53) % kSide);
        ++x;
        QMouseEvent move(QEvent::MouseMove, at, at, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(image, &move);
    }
}
BENCHMARK(BM_MouseReadout)->ArgName("sky")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The sample in a window whose client area is 1024 x 1024.
orv::ui::TFormImage* OpenIn1024(orv::ui::TFormMain* FormMain, const QString& path) {
    FormMain->resize(1400, 1250);
    FormMain->show();
    FormMain->OpenFile(path);
    orv::ui::TFormImage* w = FormMain->ActiveMDIChild();
    w->SetClientSize(QSize(1024, 1024));
    QCoreApplication::processEvents();
    return w;
}

void BM_WindowFitInto1024(benchmark::State& state) {
    const QString path = QString::fromStdString(WriteSample());
    TQuietDialogs dialogs;
    orv::ui::TProgram program(dialogs);
    orv::ui::TFormImage* w = OpenIn1024(program.Windows().FormMain, path);
    for (auto _ : state) {
        state.PauseTiming();
        w->SetZoom(orv::TZoom{1, 3}); // the averages at 1:4 are made again, as the first time
        w->SetZoom(orv::TZoom{});
        w->repaint();
        state.ResumeTiming();
        w->Ajusterlimagelafentre1Click();
        w->repaint();
    }
    if (w->Zoom() != orv::TZoom{1, 4}) state.SkipWithError("not fitted at 1:4");
}
BENCHMARK(BM_WindowFitInto1024)->Unit(benchmark::kMillisecond);

// The step to 1:n (negative argument) or n:1 from the step next to it, nearer 1:1.
void BM_WindowZoomStep(benchmark::State& state) {
    const QString path = QString::fromStdString(WriteSample());
    TQuietDialogs dialogs;
    orv::ui::TProgram program(dialogs);
    orv::ui::TFormImage* w = OpenIn1024(program.Windows().FormMain, path);
    const int n = static_cast<int>(state.range(0));
    const orv::TZoom to = n < 0 ? orv::TZoom{1, -n} : orv::TZoom{n, 1};
    const orv::TZoom from = n < 0 ? orv::ZoomedIn(to) : orv::ZoomedOut(to);
    const orv::TZoom other{1, to.Out % orv::kMaxZoomFactor + 1}; // leaves no averages of `to` made
    for (auto _ : state) {
        state.PauseTiming();
        w->SetZoom(other);
        w->SetZoom(from);
        w->repaint();
        state.ResumeTiming();
        w->SetZoom(to);
        w->repaint();
    }
}
BENCHMARK(BM_WindowZoomStep)->DenseRange(-16, -2, 1)->DenseRange(2, 16, 1)->Unit(benchmark::kMillisecond);

// Back to 1:1 from the fitted view (Ctrl+0), the window repainted: as it is (argument 0), or
// after a change of display function made in the fitted view (argument 1), whose 1:1 bitmap is
// rendered only now.
void BM_WindowOneToOneAfterChange(benchmark::State& state) {
    const QString path = QString::fromStdString(WriteSample());
    TQuietDialogs dialogs;
    orv::ui::TProgram program(dialogs);
    orv::ui::TFormImage* w = OpenIn1024(program.Windows().FormMain, path);
    int step = 0;
    for (auto _ : state) {
        state.PauseTiming();
        w->Ajusterlimagelafentre1Click();
        if (state.range(0) != 0) {
            w->Document().DisplayFunction = orv::kDisplayFunctions[++step % 4];
            w->ViewChanged();
        }
        w->repaint();
        state.ResumeTiming();
        w->ZoomOneToOneClick();
        w->repaint();
    }
}
BENCHMARK(BM_WindowOneToOneAfterChange)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// In the fitted view, with the threshold dialog and its histogram shown: the display function
// (argument 0) or the high threshold's bar (argument 1) changed, the window repainted.
void BM_WindowDisplayChange(benchmark::State& state) {
    const QString path = QString::fromStdString(WriteSample());
    TQuietDialogs dialogs;
    orv::ui::TProgram program(dialogs);
    orv::ui::TFormImage* w = OpenIn1024(program.Windows().FormMain, path);
    w->Ajusterlimagelafentre1Click();
    program.Windows().FormMain->SpeedSeuilsClick();
    QCoreApplication::processEvents();
    int step = 0;
    for (auto _ : state) {
        ++step;
        if (state.range(0) == 0)
            program.Windows().FormSeuils->DisplayFunctionChange(step % 4);
        else
            program.Windows().FormSeuils->ScrollBarsh->setValue(4000 + (step & 7) * 100);
        w->repaint();
        program.Windows().FormSeuils->repaint();
    }
}
BENCHMARK(BM_WindowDisplayChange)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    orv::ui::TApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
