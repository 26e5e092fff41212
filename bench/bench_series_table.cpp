// The series table of 200 FITS frames of 1024 x 1024 16-bit values (sky noise and 190 stars,
// the density of the other benchmarks' 4096 x 4096 field) against reading them: each
// frame opened as every verb opens it (read, checked, rendered), then, for the table, its
// median, spread and star count, as `orvanel-cli series` does, on 1 thread and on one per
// core. The files are written once into a temporary folder (ORVANEL_BENCH_FILES keeps them).
#include "core/anim/anim_writer.h"
#include "core/anim/parallel_for.h"
#include "core/anim/series_table.h"
#include "core/document/open_image.h"
#include "core/formats/fits_writer.h"

#include "star_field.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

using namespace orv;

namespace {

constexpr int32_t kSide = 1024;
constexpr size_t kFrames = 200;

std::string Dir() {
    static const std::string dir = [] {
        const char* keep = std::getenv("ORVANEL_BENCH_FILES");
        const auto d = keep ? std::filesystem::path(keep)
                            : std::filesystem::temp_directory_path() /
                                  ("orvanel-bench-series-" + std::to_string(::getpid()));
        std::filesystem::create_directories(d);
        return d.string();
    }();
    return dir;
}

struct TFiles {
    std::vector<std::string> Paths;
    TFiles() {
        for (size_t k = 0; k < kFrames; ++k) {
            Paths.push_back(Dir() + "/frame" + std::to_string(1000 + k) + ".fit");
            if (std::filesystem::exists(Paths.back())) continue;
            const std::vector<int16_t> field = bench::StarField16(kSide, unsigned(k + 1), 30, 190);
            TImageDocument doc = bench::FieldDocument(kPixelInt16, kSide, field);
            doc.HighThreshold = 4000;
            doc.Header.Simple = true;
            doc.Header.Naxis = 2;
            doc.Header.TimeBeg = "21:" + std::to_string(10 + k / 60) + ":" + std::to_string(10 + k % 60 / 2);
            SaveFits(doc, Paths.back());
        }
    }
    ~TFiles() {
        if (std::getenv("ORVANEL_BENCH_FILES")) return;
        std::error_code ec;
        std::filesystem::remove_all(Dir(), ec);
    }
};

const TFiles& Files() {
    static const TFiles files;
    return files;
}

TImageDocument Opened(const std::string& path) {
    TDocumentHost host;
    TImageDocument doc;
    if (OpenImage(doc, path, host) != TLoadResult::Loaded) throw std::runtime_error("not loaded: " + path);
    return doc;
}

void Read(benchmark::State& state) {
    const TFiles& files = Files();
    const auto threads = static_cast<unsigned>(state.range(0));
    std::vector<size_t> sizes(kFrames);
    for (auto _ : state) {
        ParallelFor(kFrames, JobCount(threads),
                    [&](size_t k) { sizes[k] = Opened(files.Paths[k]).PixelStore.size(); });
        benchmark::DoNotOptimize(sizes.data());
    }
}

void Table(benchmark::State& state) {
    const TFiles& files = Files();
    const auto threads = static_cast<unsigned>(state.range(0));
    std::vector<TSeriesRow> rows;
    for (auto _ : state) {
        std::vector<TSeriesRow> measured(kFrames);
        ParallelFor(kFrames, JobCount(threads), [&](size_t k) {
            measured[k] = TSeriesRow{files.Paths[k], FrameFigures(Opened(files.Paths[k])), 0};
        });
        rows = MarkedRows(std::move(measured));
        benchmark::DoNotOptimize(rows.data());
    }
    state.counters["stars"] = double(rows.front().Figures.Stars);
}

// 1: one thread; 0: one per core.
BENCHMARK(Read)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Table)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
