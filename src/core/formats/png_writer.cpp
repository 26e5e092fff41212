#include "core/formats/png_writer.h"

#include "core/base/errors.h"
#include "core/base/file_io.h"

#include <csetjmp>
#include <png.h>

namespace orv {

namespace {

void Append(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void NoFlush(png_structp) {}

// libpng reports errors by longjmp: nothing in this frame has a destructor to skip.
bool Encode(png_bytepp rows, uint32_t width, uint32_t height, bool grey, std::vector<uint8_t>* out) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, Append, NoFlush);
    png_set_IHDR(png, info, width, height, 8, grey ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_rows(png, info, rows);
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

std::vector<uint8_t> EncodePng(const TBitmap& picture) {
    const size_t w = size_t(std::max(picture.Width, 0)), h = size_t(std::max(picture.Height, 0));
    std::vector<uint8_t> rgb(w * h * 3);
    bool grey = true;
    for (size_t y = 0; y < h; ++y)
        for (size_t x = 0; x < w; ++x) {
            const uint32_t c = picture.PixelColor(int32_t(x), int32_t(y));
            uint8_t* p = rgb.data() + (y * w + x) * 3;
            p[0] = uint8_t(c), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c >> 16);
            grey = grey && p[0] == p[1] && p[1] == p[2];
        }
    if (grey)
        for (size_t i = 0; i < w * h; ++i)
            rgb[i] = rgb[3 * i];
    std::vector<png_bytep> rows(h);
    for (size_t y = 0; y < h; ++y)
        rows[y] = rgb.data() + y * w * (grey ? 1 : 3);
    std::vector<uint8_t> out;
    if (w == 0 || h == 0 || !Encode(rows.data(), uint32_t(w), uint32_t(h), grey, &out))
        throw EOrvanelError("Image PNG impossible à écrire");
    return out;
}

void SavePng(const TBitmap& picture, const std::string& path) {
    WriteFileAtomically(path, EncodePng(picture));
}

} // namespace orv
