// Alignment on the stars, per frame: the stars of 16-bit raw values found (read in place),
// and matched against the first frame's (the target: at most 100 ms for a 4096 x 4096 frame).
// The frames are windows of one synthetic star field, a few pixels apart.
#include "core/align/star_finder.h"
#include "core/align/star_match.h"
#include "core/image/image_document.h"

#include "star_field.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <map>

using namespace orv;

namespace {

// The side x side window of the field whose corner is (x0, y0), as a raw store.
std::vector<uint8_t> Window(const std::vector<int16_t>& field, int fieldSide, int side, int x0, int y0) {
    std::vector<uint8_t> store(size_t(side) * size_t(side) * 2);
    for (int y = 0; y < side; ++y)
        std::memcpy(store.data() + size_t(y) * size_t(side) * 2,
                    field.data() + size_t(y + y0) * size_t(fieldSide) + size_t(x0), size_t(side) * 2);
    return store;
}

struct TFrames {
    int Side;
    std::vector<uint8_t> First, Second;
};

const TFrames& Frames(int side) {
    static std::map<int, TFrames> made;
    auto at = made.find(side);
    if (at == made.end()) {
        const int fieldSide = side + 32;
        const std::vector<int16_t> field = bench::StarField16(fieldSide, 7, 40);
        at = made.emplace(side, TFrames{side, Window(field, fieldSide, side, 8, 8),
                                        Window(field, fieldSide, side, 21, 3)})
                 .first;
    }
    return at->second;
}

void FindStarsInFrame(benchmark::State& state) {
    const TFrames& f = Frames(int(state.range(0)));
    size_t found = 0;
    for (auto _ : state) {
        found = FindStars(kPixelInt16, f.Side, f.Side, f.Second).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["stars"] = double(found);
}

void AlignFrame(benchmark::State& state) {
    const TFrames& f = Frames(int(state.range(0)));
    const std::vector<TStar> reference = FindStars(kPixelInt16, f.Side, f.Side, f.First);
    TStarMatch m;
    for (auto _ : state) {
        m = MatchStars(reference, FindStars(kPixelInt16, f.Side, f.Side, f.Second), f.Side, f.Side);
        benchmark::DoNotOptimize(m);
    }
    state.counters["dx"] = m.Offset.X;
    state.counters["dy"] = m.Offset.Y;
    state.counters["matched"] = double(m.Matched);
}

void MatchOnly(benchmark::State& state) {
    const TFrames& f = Frames(512);
    const std::vector<TStar> a = FindStars(kPixelInt16, f.Side, f.Side, f.First);
    const std::vector<TStar> b = FindStars(kPixelInt16, f.Side, f.Side, f.Second);
    for (auto _ : state)
        benchmark::DoNotOptimize(MatchStars(a, b, f.Side, f.Side));
}

} // namespace

BENCHMARK(FindStarsInFrame)->Arg(512)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK(AlignFrame)->Arg(512)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK(MatchOnly)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
