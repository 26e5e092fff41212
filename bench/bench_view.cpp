// Seeing a 4096 x 4096 16-bit image whole: the averaged views that fit it in a 1024 x 1024
// window and every other zoom step, the repeated view of a window's worth of pixels, a change
// of display function or threshold re-rendered at 1:1 or in the fitted view, and the
// threshold dialog's histogram.
#include "core/image/display.h"
#include "core/image/statistics.h"
#include "core/image/zoom.h"
#include "core/image/zoomed_view.h"
#include "star_field.h"

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

constexpr int kSide = 4096;

const orv::TImageDocument& StarField() {
    static const orv::TImageDocument doc = [] {
        orv::TImageDocument d;
        d.Kind = orv::kKindFits;
        d.PixelType = orv::kPixelInt16;
        d.ImageWidth = d.ImageHeight = kSide;
        const std::vector<int16_t> values = orv::bench::StarField16(kSide, 3, 40);
        d.PixelStore.resize(values.size() * 2);
        std::memcpy(d.PixelStore.data(), values.data(), d.PixelStore.size());
        d.LowThreshold = 1100;
        d.HighThreshold = 3000;
        orv::Render(d);
        return d;
    }();
    return doc;
}

// "Ajuster l'image à la fenêtre" into 1024 x 1024: the fit, the averages and their levels.
void BM_FitInto1024(benchmark::State& state) {
    const orv::TImageDocument& doc = StarField();
    for (auto _ : state) {
        const orv::TZoom zoom = orv::FitZoom({kSide, kSide}, {1024, 1024});
        orv::TAveragedView view;
        benchmark::DoNotOptimize(view.DisplayStream(doc, zoom.Out).data());
    }
}
BENCHMARK(BM_FitInto1024)->Unit(benchmark::kMillisecond);

// A step out to 1:n: new averages and their levels.
void BM_ZoomOutStep(benchmark::State& state) {
    const orv::TImageDocument& doc = StarField();
    const int32_t n = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        orv::TAveragedView view;
        benchmark::DoNotOptimize(view.DisplayStream(doc, n).data());
    }
}
BENCHMARK(BM_ZoomOutStep)->DenseRange(2, 16, 1)->Unit(benchmark::kMillisecond);

// A step in to n:1: the 1024 x 1024 pixels a window shows, built from the 1:1 levels.
void BM_ZoomInWindow(benchmark::State& state) {
    const orv::TImageDocument& doc = StarField();
    const int32_t n = static_cast<int32_t>(state.range(0));
    const size_t stride = static_cast<size_t>(orv::BitmapStride(kSide));
    std::vector<uint8_t> region(1024 * 1024);
    for (auto _ : state) {
        orv::RepeatRegion(doc.DisplayStream.data() + 1078, {kSide, kSide}, stride, 1, n, 1000, 1000,
                          {1024, 1024}, region.data(), 1024);
        benchmark::DoNotOptimize(region.data());
    }
}
BENCHMARK(BM_ZoomInWindow)->DenseRange(2, 16, 1)->Unit(benchmark::kMillisecond);

// A new display function or threshold, as the image window renders it: at 1:1 the display
// bitmap; fitted, only the view's levels from the averages already made (the 1:1 bitmap waits
// until a print, an export or a closer view needs it).
void BM_DisplayChange(benchmark::State& state) {
    orv::TImageDocument doc = StarField();
    const int32_t n = static_cast<int32_t>(state.range(0));
    orv::TAveragedView view;
    if (n > 1) view.DisplayStream(doc, n);
    int step = 0;
    for (auto _ : state) {
        doc.DisplayFunction = orv::kDisplayFunctions[step % 4];
        doc.HighThreshold = 3000 + (step & 7);
        ++step;
        if (n > 1) {
            benchmark::DoNotOptimize(view.DisplayStream(doc, n).data());
        } else {
            orv::Render(doc);
            benchmark::DoNotOptimize(doc.DisplayStream.data());
        }
    }
}
BENCHMARK(BM_DisplayChange)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);

// The threshold dialog's histogram with the statistics, in one pass.
void BM_Histogram(benchmark::State& state) {
    const orv::TImageDocument& doc = StarField();
    for (auto _ : state)
        benchmark::DoNotOptimize(orv::SummariseImage(doc, 256).Histogram.Counts.data());
}
BENCHMARK(BM_Histogram)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
