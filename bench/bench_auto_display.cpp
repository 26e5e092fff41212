// The automatic displays on a 4096 x 4096 star field: zscale's thresholds, and Mtf's
// thresholds and balance (the median, the absolute deviation and the extremes), for 16-bit
// values (the cameras') and 32-bit reals; and the render that follows with Mtf.
#include "core/image/auto_display.h"
#include "core/image/display.h"

#include "star_field.h"

#include <benchmark/benchmark.h>

using namespace orv;

namespace {

constexpr int32_t kSide = 4096;

template <typename T> TImageDocument Document(uint8_t pixelType) {
    const std::vector<int16_t> field = bench::StarField16(kSide, 1, 40);
    return bench::FieldDocument(pixelType, kSide, std::vector<T>(field.begin(), field.end()));
}

const TImageDocument& Field(uint8_t pixelType) {
    static const TImageDocument i16 = Document<int16_t>(kPixelInt16), f32 = Document<float>(kPixelReal32);
    return pixelType == kPixelInt16 ? i16 : f32;
}

void Auto(benchmark::State& state, TAutoDisplay mode, uint8_t pixelType) {
    const TImageDocument& doc = Field(pixelType);
    TDisplaySettings display;
    for (auto _ : state) {
        display = AutoDisplaySettings(mode, PlaneOf(doc), DisplaySettingsOf(doc));
        benchmark::DoNotOptimize(display);
    }
    state.counters["low"] = display.LowThreshold;
    state.counters["high"] = display.HighThreshold;
    state.counters["balance"] = display.MidtonesBalance;
}

void RenderMtf(benchmark::State& state, uint8_t pixelType) {
    TImageDocument doc = Field(pixelType);
    ApplyAutoDisplay(doc, TAutoDisplay::Mtf);
    for (auto _ : state) {
        Render(doc);
        benchmark::DoNotOptimize(doc.DisplayStream.data());
    }
}

BENCHMARK_CAPTURE(Auto, zscale_int16, TAutoDisplay::ZScale, kPixelInt16)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Auto, zscale_real32, TAutoDisplay::ZScale, kPixelReal32)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Auto, mtf_int16, TAutoDisplay::Mtf, kPixelInt16)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Auto, mtf_real32, TAutoDisplay::Mtf, kPixelReal32)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RenderMtf, int16, kPixelInt16)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
