#include "core/gif/color_table.h"

namespace orv {

void InitColorTable(TColorTable& table, int32_t count) {
    table.Count = count;
    if (count == 2) {
        table.Entries[0] = {0, 0, 0};
        table.Entries[1] = {255, 255, 255};
    } else if (count == 16) {
        static constexpr TColorEntry basic[16] = {
            {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},  {0, 0, 128}, {128, 0, 128},
            {0, 128, 128}, {128, 128, 128}, {192, 192, 192}, {255, 0, 0},    {0, 255, 0}, {255, 255, 0},
            {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
        for (int i = 0; i < 16; ++i)
            table.Entries[i] = basic[i];
    } else if (count == 256) {
        for (int i = 0; i < 256; ++i)
            table.Entries[i] = {uint8_t(i), uint8_t(i), uint8_t(i)};
    }
}

int FindColor(const TColorTable& table, uint32_t color) {
    uint8_t r, g, b;
    SplitColor(color, r, g, b);
    const int count = table.Count < 256 ? table.Count : 256;
    for (int i = 0; i < count; ++i) {
        const TColorEntry& e = table.Entries[i];
        if (e[0] == r && e[1] == g && e[2] == b) return i;
    }
    return -1;
}

void SplitColor(uint32_t color, uint8_t& red, uint8_t& green, uint8_t& blue) {
    red = uint8_t(color);
    green = uint8_t(color >> 8);
    blue = uint8_t(color >> 16);
}

} // namespace orv
