// Opening a 4096 x 4096 PIC or CPA file (plain or compressed rows), from the file on disk
// to the rendered document, against just reading the same file into memory.
#include "core/base/file_io.h"
#include "core/document/open_image.h"
#include "core/image/image_document.h"

#include "star_field.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

using namespace orv;

namespace {

constexpr int kSide = 4096;

std::vector<std::vector<int16_t>> StarField() {
    const std::vector<int16_t> field = bench::StarField16(kSide, 3, 15);
    std::vector<std::vector<int16_t>> rows(kSide);
    for (int y = 0; y < kSide; ++y)
        rows[y].assign(field.begin() + size_t(y) * kSide, field.begin() + size_t(y + 1) * kSide);
    return rows;
}

void Append16(std::vector<uint8_t>& b, int v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

// escape: 128 for PIC (signed byte steps), 255 for CPA (steps of b - 127).
void AppendRows(std::vector<uint8_t>& out, const std::vector<std::vector<int16_t>>& rows, bool compressed,
                uint8_t escape) {
    for (const auto& row : rows) {
        if (!compressed) {
            for (int16_t v : row)
                Append16(out, v);
            continue;
        }
        std::vector<uint8_t> body;
        Append16(body, row[0]);
        for (size_t x = 1; x < row.size(); ++x) {
            const int d = row[x] - row[x - 1];
            if (d >= -127 && d <= 127) {
                body.push_back(escape == 128 ? static_cast<uint8_t>(d) : static_cast<uint8_t>(d + 127));
            } else {
                body.push_back(escape);
                Append16(body, row[x]);
            }
        }
        Append16(out, static_cast<int>(body.size()));
        out.insert(out.end(), body.begin(), body.end());
    }
}

// ORVANEL_BENCH_FILES names a folder to write the files into and keep them (for timing
// whole commands on them); otherwise they live in a temporary folder.
const char* KeepDir() {
    return std::getenv("ORVANEL_BENCH_FILES");
}

std::string Dir() {
    static const std::string dir = [] {
        if (KeepDir()) {
            std::filesystem::create_directories(KeepDir());
            return std::string(KeepDir());
        }
        auto d =
            std::filesystem::temp_directory_path() / ("orvanel-bench-open-" + std::to_string(::getpid()));
        std::filesystem::create_directories(d);
        return d.string();
    }();
    return dir;
}

struct TFiles {
    std::string PicPlain, PicCompressed, CpaPlain, CpaCompressed;
    TFiles() {
        const auto rows = StarField();
        auto pic = [&](bool compressed) {
            std::vector<uint8_t> f(290, 0);
            f[0] = compressed ? 251 : 252;
            f[68] = f[70] = 0, f[69] = f[71] = kSide >> 8;
            f[74] = 3;
            f[118] = 0x40, f[119] = 0x1F; // high threshold 8000
            AppendRows(f, rows, compressed, 128);
            const std::string path = Dir() + (compressed ? "/compressed.pic" : "/plain.pic");
            WriteFileAtomically(path, f);
            return path;
        };
        auto cpa = [&](bool compressed) {
            std::vector<uint8_t> f(867, 0);
            const uint32_t signature = 0xF5C7D1FA;
            const double high = 8000, low = 1000;
            std::memcpy(f.data(), &signature, 4);
            f[5] = f[7] = kSide >> 8;
            std::memcpy(f.data() + 12, &high, 8);
            std::memcpy(f.data() + 36, &low, 8);
            f[60] = 3;
            f[541] = compressed ? 1 : 0;
            AppendRows(f, rows, compressed, 255);
            const std::string path = Dir() + (compressed ? "/compressed.cpa" : "/plain.cpa");
            WriteFileAtomically(path, f);
            return path;
        };
        PicPlain = pic(false), PicCompressed = pic(true), CpaPlain = cpa(false), CpaCompressed = cpa(true);
    }
    ~TFiles() {
        if (KeepDir()) return;
        std::error_code ec;
        std::filesystem::remove_all(Dir(), ec);
    }
};

const TFiles& Files() {
    static const TFiles files;
    return files;
}

void ReadFile(benchmark::State& state, const std::string& path) {
    for (auto _ : state) {
        auto bytes = ReadWholeFile(path);
        benchmark::DoNotOptimize(bytes.data());
    }
}

void Open(benchmark::State& state, const std::string& path) {
    TDocumentHost host;
    for (auto _ : state) {
        auto doc = std::make_unique<TImageDocument>();
        if (OpenImage(*doc, path, host) != TLoadResult::Loaded) state.SkipWithError("not loaded");
        benchmark::DoNotOptimize(doc->DisplayStream.data());
    }
}

#define FORMAT_BENCHMARKS(name, member)                                                                      \
    BENCHMARK_CAPTURE(ReadFile, name, Files().member)->Unit(benchmark::kMillisecond)->UseRealTime();         \
    BENCHMARK_CAPTURE(Open, name, Files().member)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    FORMAT_BENCHMARKS(pic_plain, PicPlain)
    FORMAT_BENCHMARKS(pic_compressed, PicCompressed)
    FORMAT_BENCHMARKS(cpa_plain, CpaPlain)
    FORMAT_BENCHMARKS(cpa_compressed, CpaCompressed)
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
