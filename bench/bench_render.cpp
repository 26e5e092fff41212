// Re-rendering a loaded 4096 x 4096 16-bit image after a threshold change (the look-up table
// path), against a plain copy of the 16 MB display bitmap.
#include "core/formats/fits_reader.h"
#include "core/formats/fits_writer.h"
#include "core/image/display.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

namespace {

constexpr int kSide = 4096;

orv::TImageDocument LoadedDocument() {
    // Built through the writer and read back by the reader, as a file would be.
    orv::TImageDocument doc;
    doc.Kind = orv::kKindFits;
    doc.PixelType = orv::kPixelInt16;
    doc.ImageWidth = doc.ImageHeight = kSide;
    doc.Header.Simple = true;
    doc.Header.Naxis = 2;
    doc.PixelStore.resize(size_t(kSide) * kSide * 2);
    std::mt19937 rnd(1);
    for (size_t k = 0; k < size_t(kSide) * kSide; ++k) {
        const int16_t v = static_cast<int16_t>(900 + rnd() % 2000);
        std::memcpy(doc.PixelStore.data() + 2 * k, &v, 2);
    }
    const std::vector<uint8_t> file = orv::BuildFitsFile(doc);
    orv::TImageDocument loaded;
    orv::TDocumentHost host;
    orv::LoadFitsFromBytes(loaded, file, "bench.fit", host);
    return loaded;
}

void BM_RenderAfterThresholdChange(benchmark::State& state) {
    orv::TImageDocument doc = LoadedDocument();
    int step = 0;
    for (auto _ : state) {
        doc.LowThreshold = 950 + (step & 7);
        doc.HighThreshold = 1600 - (step & 3);
        ++step;
        orv::Render(doc);
        benchmark::DoNotOptimize(doc.DisplayStream.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kSide * kSide);
}
BENCHMARK(BM_RenderAfterThresholdChange)->Unit(benchmark::kMillisecond);

void BM_CopyDisplayBitmap(benchmark::State& state) {
    const std::vector<uint8_t> from(1078 + size_t(kSide) * kSide, 1);
    std::vector<uint8_t> to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kSide * kSide);
}
BENCHMARK(BM_CopyDisplayBitmap)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
