// Debayering a 4096 x 4096 16-bit RGGB mosaic into three planes of 32-bit reals (bilinear, the
// default, and superpixel), against writing those planes alone, the least any debayering does;
// and its first picture made straight from the mosaic, without the planes.
#include "core/image/colour_picture.h"
#include "core/image/debayer.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <random>

namespace {

constexpr int kSide = 4096;

orv::TImageDocument Mosaic() {
    orv::TImageDocument doc;
    doc.Kind = orv::kKindFits;
    doc.PixelType = orv::kPixelInt16;
    doc.ImageWidth = doc.ImageHeight = kSide;
    doc.Colour.Pattern = orv::TBayerPattern::Rggb;
    doc.PixelStore.resize(size_t(kSide) * kSide * 2);
    std::mt19937 rnd(1);
    for (size_t k = 0; k < size_t(kSide) * kSide; ++k) {
        const int16_t v = static_cast<int16_t>(900 + rnd() % 20000);
        std::memcpy(doc.PixelStore.data() + 2 * k, &v, 2);
    }
    return doc;
}

// Made again into the planes of the time before (a change of display), or into fresh memory
// (the first picture of an image), whose pages the system must give and clear first.
void Debayer(benchmark::State& state, orv::TDebayer method, bool fresh) {
    const orv::TImageDocument doc = Mosaic();
    orv::TColourPlanes planes;
    for (auto _ : state) {
        if (fresh) planes = {};
        orv::MakeColourPlanes(doc, method, planes);
        benchmark::DoNotOptimize(planes.Channels[2].Store.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kSide * kSide);
}

void BM_DebayerBilinear(benchmark::State& state) {
    Debayer(state, orv::TDebayer::Bilinear, false);
}
BENCHMARK(BM_DebayerBilinear)->Unit(benchmark::kMillisecond);

void BM_DebayerBilinearFreshMemory(benchmark::State& state) {
    Debayer(state, orv::TDebayer::Bilinear, true);
}
BENCHMARK(BM_DebayerBilinearFreshMemory)->Unit(benchmark::kMillisecond);

void BM_DebayerSuperpixel(benchmark::State& state) {
    Debayer(state, orv::TDebayer::Superpixel, false);
}
BENCHMARK(BM_DebayerSuperpixel)->Unit(benchmark::kMillisecond);

void BM_PictureStraightFromMosaic(benchmark::State& state) {
    const orv::TImageDocument doc = Mosaic();
    orv::TDisplaySettings shown;
    shown.LowThreshold = 900, shown.HighThreshold = 20900;
    for (auto _ : state) {
        const auto picture = orv::MosaicPicture(doc, orv::TDebayer::Bilinear, {shown, shown, shown});
        benchmark::DoNotOptimize(picture->Pixels.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kSide * kSide);
}
BENCHMARK(BM_PictureStraightFromMosaic)->Unit(benchmark::kMillisecond);

void BM_WriteThreeFreshPlanes(benchmark::State& state) {
    const size_t n = size_t(kSide) * kSide;
    for (auto _ : state) {
        std::unique_ptr<float[]> planes(new float[3 * n]);
        for (size_t k = 0; k < 3 * n; ++k)
            planes[k] = float(k & 255);
        benchmark::DoNotOptimize(planes.get());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kSide * kSide);
}
BENCHMARK(BM_WriteThreeFreshPlanes)->Unit(benchmark::kMillisecond);

} // namespace
BENCHMARK_MAIN();
