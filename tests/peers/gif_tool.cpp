// Helper of the GIF peer checks. `dump FILE` prints what our reader makes of a GIF file in
// the text form giflib_tool also prints, and `shown FILE` the screen after each image as our
// compositor builds it; `make KIND OUT` writes one of the test files with our
// bitmap conversion and writer.
#include "core/gif/bitmap_to_matrix.h"
#include "core/gif/gif_file.h"
#include "core/gif/gif_screens.h"

#include <cstdio>
#include <iostream>
#include <random>
#include <string>

using namespace orv;

namespace {

void Hex(const char* key, const std::vector<uint8_t>& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string line(key);
    line += ' ';
    for (uint8_t b : bytes) {
        line += digits[b >> 4];
        line += digits[b & 15];
    }
    std::cout << line << "\n";
}

int Dump(const std::string& path) {
    TGifFile gif;
    gif.LoadFromFile(path);
    std::cout << "screen " << gif.ScreenWidth << " " << gif.ScreenHeight << "\n";
    for (size_t k = 0; k < gif.SubImages.size(); ++k) {
        TGifSubImage& image = *gif.SubImages[k];
        const TImageDescriptor& d = image.Descriptor;
        std::cout << "frame " << k << " " << d.Left << " " << d.Top << " " << d.Width << " " << d.Height
                  << " " << (image.Interlaced ? 1 : 0) << " " << image.GetDelay() << "\n";
        const TBitmap& bitmap = image.GetBitmap();
        std::vector<uint8_t> rgb;
        for (int y = 0; y < bitmap.Height; ++y)
            for (int x = 0; x < bitmap.Width; ++x) {
                const uint32_t c = bitmap.PixelColor(x, y);
                rgb.insert(rgb.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)});
            }
        Hex("indices", bitmap.Pixels);
        Hex("rgb", rgb);
    }
    return 0;
}

int Shown(const std::string& path) {
    TGifFile gif;
    gif.LoadFromFile(path);
    std::cout << "screen " << gif.ScreenWidth << " " << gif.ScreenHeight << "\n";
    const std::vector<TBitmap> shown = ShownPictures(gif);
    for (size_t k = 0; k < shown.size(); ++k) {
        std::vector<uint8_t> rgb;
        for (int y = 0; y < shown[k].Height; ++y)
            for (int x = 0; x < shown[k].Width; ++x) {
                const uint32_t c = shown[k].PixelColor(x, y);
                rgb.insert(rgb.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)});
            }
        std::cout << "shown " << k << "\n";
        Hex("rgb", rgb);
    }
    return 0;
}

TBitmap Paletted(int w, int h, int colors, unsigned seed) {
    TBitmap b;
    b.Width = w;
    b.Height = h;
    b.BitCount = 8;
    std::mt19937 rng(seed);
    for (int i = 0; i < 256; ++i)
        b.Palette.push_back(MakeColor(uint8_t(rng()), uint8_t(rng()), uint8_t(rng())));
    for (int i = 0; i < w * h; ++i)
        b.Pixels.push_back(uint8_t(rng() % unsigned(colors)));
    return b;
}

TBitmap Uniform(int w, int h) {
    TBitmap b = Paletted(w, h, 1, 3);
    b.Palette[0] = MakeColor(10, 20, 30);
    return b;
}

TBitmap Gradient(int w, int h) {
    TBitmap b;
    b.Width = w;
    b.Height = h;
    b.BitCount = 24;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.Pixels.insert(b.Pixels.end(), {uint8_t(3 * x), uint8_t(4 * y), uint8_t(x + y)});
    return b;
}

void Add(TGifFile& gif, const TBitmap& bitmap, uint16_t delay) {
    TColorTable table;
    TByteArray2D matrix;
    BitmapToMatrix(bitmap, table, matrix);
    gif.AddSubImage(table, matrix, delay);
}

int Make(const std::string& kind, const std::string& out) {
    TGifFile gif;
    if (kind == "one")
        Add(gif, Paletted(1, 1, 1, 1), 0);
    else if (kind == "bw")
        Add(gif, Paletted(37, 23, 2, 2), 0);
    else if (kind == "sixteen")
        Add(gif, Paletted(50, 40, 16, 3), 0);
    else if (kind == "grey256")
        Add(gif, Paletted(64, 48, 256, 4), 5);
    else if (kind == "truecolor")
        Add(gif, Gradient(80, 60), 0);
    else if (kind == "long")
        Add(gif, Paletted(300, 200, 256, 5), 0);
    else if (kind == "narrowend") // its end code closes the data one bit narrower than read
        Add(gif, Uniform(56, 1), 0);
    else if (kind == "uniform")
        Add(gif, Uniform(1500, 1500), 0);
    else if (kind == "anim") {
        Add(gif, Paletted(40, 30, 16, 6), 10);
        Add(gif, Paletted(40, 30, 200, 7), 20);
        Add(gif, Paletted(40, 30, 2, 8), 35);
    } else {
        std::cerr << "unknown kind " << kind << "\n";
        return 2;
    }
    gif.SaveToFile(out);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        const std::string verb = argc > 1 ? argv[1] : "";
        if (verb == "dump" && argc == 3) return Dump(argv[2]);
        if (verb == "shown" && argc == 3) return Shown(argv[2]);
        if (verb == "make" && argc == 4) return Make(argv[2], argv[3]);
        std::cerr << "usage: orvanel_gif_tool dump FILE | shown FILE | make KIND OUT\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
}
