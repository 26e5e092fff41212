// The GIF coder against giflib on the same machine in one run: encoding and decoding a
// 4096 x 4096 rendered star field of 256 grey levels, and turning its bitmap into a matrix.
// Each encoder's output size is reported as a counter beside its time.
#include "core/gif/bitmap_to_matrix.h"
#include "core/gif/gif_file.h"
#include "core/gif/lzw_encoder.h"

#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <stdexcept>

using namespace orv;

namespace {

constexpr int kSide = 4096;

// Sky background with noise, a faint gradient and a few thousand stars of every brightness,
// so that all 256 levels occur.
const TByteArray2D& StarField() {
    static const TByteArray2D field = [] {
        std::vector<float> sky(size_t(kSide) * kSide);
        std::mt19937 rng(2024);
        std::normal_distribution<float> noise(0, 3.5f);
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x)
                sky[size_t(y) * kSide + x] = 18 + 10.0f * y / kSide + noise(rng);
        std::uniform_real_distribution<float> pos(0, kSide), unit(0, 1);
        for (int s = 0; s < 6000; ++s) {
            const float cx = pos(rng), cy = pos(rng);
            const float peak = 20 + 400 * std::pow(unit(rng), 4.0f), sigma = 0.8f + 2.5f * unit(rng);
            const int r = int(4 * sigma) + 1;
            for (int y = std::max(0, int(cy) - r); y <= std::min(kSide - 1, int(cy) + r); ++y)
                for (int x = std::max(0, int(cx) - r); x <= std::min(kSide - 1, int(cx) + r); ++x) {
                    const float d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
                    sky[size_t(y) * kSide + x] += peak * std::exp(-d2 / (2 * sigma * sigma));
                }
        }
        TByteArray2D m(kSide, kSide);
        uint8_t* cells = m.Cells().Memory();
        for (size_t i = 0; i < sky.size(); ++i)
            cells[i] = uint8_t(std::clamp(sky[i], 0.0f, 255.0f));
        for (int v = 0; v < 256; ++v)
            cells[v] = uint8_t(v); // every level at least once
        return m;
    }();
    return field;
}

TColorTable Grey() {
    TColorTable t;
    InitColorTable(t, 256);
    return t;
}

std::vector<uint8_t> OrvanelFile() {
    TGifFile gif;
    gif.AddSubImage(Grey(), StarField(), 0);
    return gif.SaveToMemory();
}

// giflib writing to and reading from memory.
int Append(GifFileType* gif, const GifByteType* bytes, int n) {
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), bytes, bytes + n);
    return n;
}

struct TSource {
    const std::vector<uint8_t>* Bytes;
    size_t Pos = 0;
};

int Take(GifFileType* gif, GifByteType* bytes, int n) {
    auto* in = static_cast<TSource*>(gif->UserData);
    const size_t k = std::min(size_t(n), in->Bytes->size() - in->Pos);
    std::memcpy(bytes, in->Bytes->data() + in->Pos, k);
    in->Pos += k;
    return int(k);
}

std::vector<uint8_t> GiflibFile() {
    std::vector<uint8_t> out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, Append, &error);
    if (!gif) throw std::runtime_error("EGifOpen");
    GifColorType colors[256];
    for (int i = 0; i < 256; ++i)
        colors[i] = {GifByteType(i), GifByteType(i), GifByteType(i)};
    ColorMapObject* map = GifMakeMapObject(256, colors);
    EGifPutScreenDesc(gif, kSide, kSide, 8, 0, map);
    EGifPutImageDesc(gif, 0, 0, kSide, kSide, false, nullptr);
    const TByteArray2D& field = StarField();
    for (int y = 1; y <= kSide; ++y)
        if (EGifPutLine(gif, const_cast<GifPixelType*>(field.RowData(y)), kSide) != GIF_OK)
            throw std::runtime_error("EGifPutLine");
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

void BM_EncodeOrvanel(benchmark::State& state) {
    TGifFile gif;
    gif.AddSubImage(Grey(), StarField(), 0);
    size_t size = 0;
    for (auto _ : state) {
        std::vector<uint8_t> file = gif.SaveToMemory();
        size = file.size();
        benchmark::DoNotOptimize(file.data());
    }
    state.counters["file_bytes"] = double(size);
    state.SetBytesProcessed(int64_t(state.iterations()) * kSide * kSide);
}

void BM_EncodeGiflibPutLine(benchmark::State& state) {
    StarField();
    size_t size = 0;
    for (auto _ : state) {
        std::vector<uint8_t> file = GiflibFile();
        size = file.size();
        benchmark::DoNotOptimize(file.data());
    }
    state.counters["file_bytes"] = double(size);
    state.SetBytesProcessed(int64_t(state.iterations()) * kSide * kSide);
}

void DecodeOrvanel(benchmark::State& state, const std::vector<uint8_t>& file) {
    for (auto _ : state) {
        TGifFile gif;
        gif.LoadFromMemory(file);
        benchmark::DoNotOptimize(gif.SubImages[0]->Pixels.Cells().Memory());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kSide * kSide);
}

void DecodeGiflib(benchmark::State& state, const std::vector<uint8_t>& file) {
    for (auto _ : state) {
        TSource source{&file};
        int error = 0;
        GifFileType* gif = DGifOpen(&source, Take, &error);
        if (!gif || DGifSlurp(gif) != GIF_OK) throw std::runtime_error("DGifSlurp");
        benchmark::DoNotOptimize(gif->SavedImages[0].RasterBits);
        DGifCloseFile(gif, &error);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kSide * kSide);
}

void BM_DecodeOrvanel_OurFile(benchmark::State& state) {
    DecodeOrvanel(state, OrvanelFile());
}
void BM_DecodeGiflibSlurp_OurFile(benchmark::State& state) {
    DecodeGiflib(state, OrvanelFile());
}
void BM_DecodeOrvanel_GiflibFile(benchmark::State& state) {
    DecodeOrvanel(state, GiflibFile());
}
void BM_DecodeGiflibSlurp_GiflibFile(benchmark::State& state) {
    DecodeGiflib(state, GiflibFile());
}

void BM_BitmapToMatrix_Paletted(benchmark::State& state) {
    TBitmap bitmap;
    bitmap.Width = bitmap.Height = kSide;
    bitmap.BitCount = 8;
    for (int i = 0; i < 256; ++i)
        bitmap.Palette.push_back(MakeColor(uint8_t(i), uint8_t(i), uint8_t(i)));
    const TByteArray2D& field = StarField();
    bitmap.Pixels.assign(field.Cells().Memory(), field.Cells().Memory() + field.Cells().Size());
    for (auto _ : state) {
        TColorTable table;
        TByteArray2D matrix;
        BitmapToMatrix(bitmap, table, matrix);
        benchmark::DoNotOptimize(matrix.Cells().Memory());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kSide * kSide);
}

} // namespace

BENCHMARK(BM_EncodeOrvanel)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_EncodeGiflibPutLine)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_DecodeOrvanel_OurFile)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_DecodeGiflibSlurp_OurFile)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_DecodeOrvanel_GiflibFile)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_DecodeGiflibSlurp_GiflibFile)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_BitmapToMatrix_Paletted)->Unit(benchmark::kMillisecond)->MinTime(2);

BENCHMARK_MAIN();
