// ComputeStatistics on a 4096 x 4096 image. With ORVANEL_STATS_DATA naming a file of
// 4096 x 4096 little-endian 16-bit values (stats_vs_numpy.py writes one), that image is
// used; otherwise a synthetic star field. The figures are reported as counters so that a
// script can check them against another tool's.
#include "core/image/statistics.h"

#include "star_field.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>

using namespace orv;

namespace {

constexpr int32_t kSide = 4096;

std::vector<int16_t> Image16() {
    std::vector<int16_t> v(size_t(kSide) * kSide);
    if (const char* path = std::getenv("ORVANEL_STATS_DATA")) {
        std::ifstream in(path, std::ios::binary);
        in.read(reinterpret_cast<char*>(v.data()), static_cast<std::streamsize>(v.size() * 2));
        return v;
    }
    return bench::StarField16(kSide, 1, 40);
}

template <typename T> void Run(benchmark::State& state, uint8_t pixelType) {
    const std::vector<int16_t> base = Image16();
    const TImageDocument doc =
        bench::FieldDocument(pixelType, kSide, std::vector<T>(base.begin(), base.end()));
    TStatistics s;
    for (auto _ : state) {
        s = ComputeStatistics(doc);
        benchmark::DoNotOptimize(s);
    }
    state.counters["min"] = s.Minimum;
    state.counters["max"] = s.Maximum;
    state.counters["mean"] = s.Mean;
    state.counters["std"] = s.StandardDeviation;
    state.counters["median"] = s.Median;
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(doc.PixelStore.size()));
}

void Int16(benchmark::State& state) {
    Run<int16_t>(state, kPixelInt16);
}
void Int32(benchmark::State& state) {
    Run<int32_t>(state, kPixelInt32);
}
void Real32(benchmark::State& state) {
    Run<float>(state, kPixelReal32);
}

} // namespace

BENCHMARK(Int16)->Name("ComputeStatistics/int16/4096x4096")->Unit(benchmark::kMillisecond);
BENCHMARK(Int32)->Name("ComputeStatistics/int32/4096x4096")->Unit(benchmark::kMillisecond);
BENCHMARK(Real32)->Name("ComputeStatistics/real32/4096x4096")->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
