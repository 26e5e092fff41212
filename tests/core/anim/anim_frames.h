// Frames made in code for the animation tests: a name, a time, a delay and a tiny picture.
#pragma once

#include "core/anim/anim_frame.h"

#include <string>
#include <vector>

namespace orv::anim_test {

inline TAnimImg Frame(const std::string& name, uint16_t delay = kDefaultDelay, const std::string& time = "") {
    TAnimImg f;
    f.Name = name;
    f.Time = time;
    f.Delay = delay;
    f.Bitmap.Width = 2;
    f.Bitmap.Height = 1;
    f.Bitmap.BitCount = 24;
    f.Bitmap.Pixels = {uint8_t(name.size()), 0, 255, 0, uint8_t(delay), 0};
    return f;
}

inline std::vector<std::string> Names(const std::vector<TAnimImg>& frames) {
    std::vector<std::string> names;
    for (const TAnimImg& f : frames)
        names.push_back(f.Name);
    return names;
}

} // namespace orv::anim_test
