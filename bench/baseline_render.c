/* The least work a FITS-to-bitmap renderer could do: read the whole 16-bit file, swap the
   bytes, map each value through a 64K table, write the 8-bit bottom-up bitmap. No checks
   beyond what keeps it from crashing on the file the benchmark gives it.
   Usage: baseline_render IN.fit OUT.bmp LOW HIGH */
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static long card_value(const unsigned char* header, size_t cards, const char* key) {
    for (size_t i = 0; i < cards; ++i)
        if (memcmp(header + i * 80, key, strlen(key)) == 0) return atol((const char*)header + i * 80 + 10);
    return 0;
}

static void put32(unsigned char* p, uint32_t v) {
    p[0] = v, p[1] = v >> 8, p[2] = v >> 16, p[3] = v >> 24;
}

int main(int argc, char** argv) {
    if (argc != 5) return 2;
    FILE* f = fopen(argv[1], "rb");
    if (!f) return 1;
    fseek(f, 0, SEEK_END);
    long size = ftell(f);
    fseek(f, 0, SEEK_SET);
    unsigned char* file = malloc(size);
    if (fread(file, 1, size, f) != (size_t)size) return 1;
    fclose(f);
    size_t cards = 0;
    while ((cards + 1) * 80 <= (size_t)size && memcmp(file + cards * 80, "END     ", 8) != 0) ++cards;
    const long w = card_value(file, cards, "NAXIS1  "), h = card_value(file, cards, "NAXIS2  ");
    const size_t start = ((cards + 1) * 80 + 2879) / 2880 * 2880;
    const double low = atof(argv[3]), high = atof(argv[4]);

    unsigned char table[65536];
    for (int i = -32768; i < 32768; ++i) {
        double l = i <= low ? 0 : i >= high ? 255 : nearbyint((i - low) * 255.0 / (high - low));
        table[(uint16_t)i] = (unsigned char)l;
    }
    const long stride = (w + 3) / 4 * 4;
    const size_t out_size = 1078 + (size_t)stride * h;
    unsigned char* out = calloc(out_size, 1);
    out[0] = 'B', out[1] = 'M';
    put32(out + 2, out_size), put32(out + 10, 1078), put32(out + 14, 40);
    put32(out + 18, w), put32(out + 22, h);
    out[26] = 1, out[28] = 8;
    put32(out + 46, 256);
    for (int i = 0; i < 256; ++i) out[54 + 4 * i] = out[55 + 4 * i] = out[56 + 4 * i] = i;
    const unsigned char* data = file + start;
    for (long r = 0; r < h; ++r) {
        unsigned char* row = out + 1078 + r * stride;
        const unsigned char* src = data + 2 * r * w;
        for (long x = 0; x < w; ++x) row[x] = table[(uint16_t)(src[2 * x] << 8 | src[2 * x + 1])];
    }
    FILE* o = fopen(argv[2], "wb");
    if (!o || fwrite(out, 1, out_size, o) != out_size) return 1;
    fclose(o);
    free(out);
    free(file);
    return 0;
}
