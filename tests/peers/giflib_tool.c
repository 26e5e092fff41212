/* Helper of the GIF peer checks, built on giflib. `dump FILE` prints what giflib reads in
   the text form orvanel_gif_tool also prints; `shown FILE` the screen after each image, as a
   viewer composes it from giflib's images and graphic controls; `make KIND OUT` writes a test file with giflib:
   "g87" (GIF87a, one image), "interlaced" (GIF89a, interlaced, a delay), "local" (two images,
   the second smaller, offset, with a local table and a comment before it), "bits5" (a global
   table of 32 entries). */
#include <gif_lib.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static void hex(const char* key, const unsigned char* bytes, size_t n) {
    static const char digits[] = "0123456789abcdef";
    printf("%s ", key);
    for (size_t i = 0; i < n; ++i) {
        putchar(digits[bytes[i] >> 4]);
        putchar(digits[bytes[i] & 15]);
    }
    putchar('\n');
}

static int dump(const char* path) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path, &error);
    if (!gif || DGifSlurp(gif) != GIF_OK) {
        fprintf(stderr, "giflib: %s\n", GifErrorString(gif ? gif->Error : error));
        return 1;
    }
    printf("screen %d %d\n", gif->SWidth, gif->SHeight);
    for (int k = 0; k < gif->ImageCount; ++k) {
        const SavedImage* image = &gif->SavedImages[k];
        const GifImageDesc* d = &image->ImageDesc;
        GraphicsControlBlock gcb;
        int delay = 0;
        if (DGifSavedExtensionToGCB(gif, k, &gcb) == GIF_OK) delay = gcb.DelayTime;
        printf("frame %d %d %d %d %d %d %d\n", k, d->Left, d->Top, d->Width, d->Height, d->Interlace ? 1 : 0,
               delay);
        const size_t n = (size_t)d->Width * (size_t)d->Height;
        const ColorMapObject* map = d->ColorMap ? d->ColorMap : gif->SColorMap;
        unsigned char* rgb = malloc(3 * n + 1);
        for (size_t i = 0; i < n; ++i) {
            const int index = image->RasterBits[i];
            const GifColorType c =
                (map && index < map->ColorCount) ? map->Colors[index] : (GifColorType){0, 0, 0};
            rgb[3 * i] = c.Red;
            rgb[3 * i + 1] = c.Green;
            rgb[3 * i + 2] = c.Blue;
        }
        hex("indices", image->RasterBits, n);
        hex("rgb", rgb, 3 * n);
        free(rgb);
    }
    DGifCloseFile(gif, &error);
    return 0;
}

/* The screen starts as the background colour; each image is drawn at its place but for its
   transparent index, shown, then disposed of: cleared to the background (2) or put back as
   it was before it (3). */
static int shown(const char* path) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path, &error);
    if (!gif || DGifSlurp(gif) != GIF_OK) {
        fprintf(stderr, "giflib: %s\n", GifErrorString(gif ? gif->Error : error));
        return 1;
    }
    const size_t w = (size_t)gif->SWidth, h = (size_t)gif->SHeight;
    unsigned char* screen = malloc(3 * w * h + 1);
    unsigned char* before = malloc(3 * w * h + 1);
    GifColorType background = {0, 0, 0};
    if (gif->SColorMap && gif->SBackGroundColor < gif->SColorMap->ColorCount)
        background = gif->SColorMap->Colors[gif->SBackGroundColor];
    for (size_t i = 0; i < w * h; ++i) {
        screen[3 * i] = background.Red;
        screen[3 * i + 1] = background.Green;
        screen[3 * i + 2] = background.Blue;
    }
    printf("screen %zu %zu\n", w, h);
    for (int k = 0; k < gif->ImageCount; ++k) {
        const SavedImage* image = &gif->SavedImages[k];
        const GifImageDesc* d = &image->ImageDesc;
        GraphicsControlBlock gcb = {DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
        DGifSavedExtensionToGCB(gif, k, &gcb);
        const ColorMapObject* map = d->ColorMap ? d->ColorMap : gif->SColorMap;
        memcpy(before, screen, 3 * w * h);
        for (int y = 0; y < d->Height; ++y)
            for (int x = 0; x < d->Width; ++x) {
                const size_t sx = (size_t)(d->Left + x), sy = (size_t)(d->Top + y);
                const int index = image->RasterBits[(size_t)y * (size_t)d->Width + (size_t)x];
                if (sx >= w || sy >= h || index == gcb.TransparentColor) continue;
                const GifColorType c = (map && index < map->ColorCount) ? map->Colors[index] : (GifColorType){0, 0, 0};
                unsigned char* p = screen + 3 * (sy * w + sx);
                p[0] = c.Red;
                p[1] = c.Green;
                p[2] = c.Blue;
            }
        printf("shown %d\n", k);
        hex("rgb", screen, 3 * w * h);
        if (gcb.DisposalMode == DISPOSE_BACKGROUND)
            for (int y = 0; y < d->Height; ++y)
                for (int x = 0; x < d->Width; ++x) {
                    const size_t sx = (size_t)(d->Left + x), sy = (size_t)(d->Top + y);
                    if (sx >= w || sy >= h) continue;
                    unsigned char* p = screen + 3 * (sy * w + sx);
                    p[0] = background.Red;
                    p[1] = background.Green;
                    p[2] = background.Blue;
                }
        else if (gcb.DisposalMode == DISPOSE_PREVIOUS)
            memcpy(screen, before, 3 * w * h);
    }
    free(screen);
    free(before);
    DGifCloseFile(gif, &error);
    return 0;
}

static ColorMapObject* palette(int count, int seed) {
    GifColorType colors[256];
    for (int i = 0; i < count; ++i) {
        colors[i].Red = (GifByteType)(i * 37 + seed);
        colors[i].Green = (GifByteType)(i * 11 + 3 * seed);
        colors[i].Blue = (GifByteType)(255 - i * 5);
    }
    return GifMakeMapObject(count, colors);
}

static int image(GifFileType* gif, int left, int top, int w, int h, int interlaced, ColorMapObject* local,
                 int colors, int seed) {
    if (EGifPutImageDesc(gif, left, top, w, h, interlaced, local) != GIF_OK) return 0;
    GifPixelType* row = malloc((size_t)w);
    int pass_start[] = {0, 4, 2, 1}, pass_step[] = {8, 8, 4, 2};
    for (int p = 0; p < (interlaced ? 4 : 1); ++p)
        for (int y = interlaced ? pass_start[p] : 0; y < h; y += interlaced ? pass_step[p] : 1) {
            for (int x = 0; x < w; ++x)
                row[x] = (GifPixelType)(((x / 3) * 7 + y * 5 + seed) % colors);
            if (EGifPutLine(gif, row, w) != GIF_OK) return 0;
        }
    free(row);
    return 1;
}

static int delay_block(GifFileType* gif, int delay) {
    GraphicsControlBlock gcb = {DISPOSAL_UNSPECIFIED, false, delay, NO_TRANSPARENT_COLOR};
    GifByteType ext[4];
    EGifGCBToExtension(&gcb, ext);
    return EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext) == GIF_OK;
}

static int make(const char* kind, const char* path) {
    int error = 0, ok = 1;
    GifFileType* gif = EGifOpenFileName(path, false, &error);
    if (!gif) return 1;
    if (!strcmp(kind, "g87")) {
        EGifSetGifVersion(gif, false);
        ColorMapObject* map = palette(16, 1);
        ok = EGifPutScreenDesc(gif, 45, 31, 4, 0, map) == GIF_OK && image(gif, 0, 0, 45, 31, 0, NULL, 16, 1);
        GifFreeMapObject(map);
    } else if (!strcmp(kind, "interlaced")) {
        EGifSetGifVersion(gif, true);
        ColorMapObject* map = palette(256, 2);
        ok = EGifPutScreenDesc(gif, 61, 43, 8, 0, map) == GIF_OK && delay_block(gif, 42) &&
             image(gif, 0, 0, 61, 43, 1, NULL, 256, 2);
        GifFreeMapObject(map);
    } else if (!strcmp(kind, "local")) {
        EGifSetGifVersion(gif, true);
        ColorMapObject* map = palette(64, 3);
        ColorMapObject* local = palette(4, 9);
        const char* comment = "made by giflib";
        ok = EGifPutScreenDesc(gif, 50, 40, 6, 0, map) == GIF_OK && delay_block(gif, 7) &&
             image(gif, 0, 0, 50, 40, 0, NULL, 64, 3) && EGifPutComment(gif, comment) == GIF_OK &&
             delay_block(gif, 9) && image(gif, 5, 3, 20, 17, 0, local, 4, 4);
        GifFreeMapObject(map);
        GifFreeMapObject(local);
    } else if (!strcmp(kind, "bits5")) {
        EGifSetGifVersion(gif, false);
        ColorMapObject* map = palette(32, 5);
        ok = EGifPutScreenDesc(gif, 33, 9, 5, 0, map) == GIF_OK && image(gif, 0, 0, 33, 9, 0, NULL, 32, 5);
        GifFreeMapObject(map);
    } else {
        ok = 0;
    }
    if (EGifCloseFile(gif, &error) != GIF_OK) ok = 0;
    return ok ? 0 : 1;
}

int main(int argc, char** argv) {
    if (argc == 3 && !strcmp(argv[1], "dump")) return dump(argv[2]);
    if (argc == 3 && !strcmp(argv[1], "shown")) return shown(argv[2]);
    if (argc == 4 && !strcmp(argv[1], "make")) return make(argv[2], argv[3]);
    fprintf(stderr, "usage: giflib_tool dump FILE | shown FILE | make KIND OUT\n");
    return 2;
}
