#include "core/document/series_frames.h"

#include "core/document/open_image.h"

namespace orv {

std::vector<TSeriesFrame> ExpandSeries(const std::vector<std::string>& files) {
    std::vector<TSeriesFrame> frames;
    for (const std::string& path : files) {
        const uint32_t count = FrameCountOf(path);
        for (uint32_t k = 0; k < count; ++k)
            frames.push_back({path, k, count == 1 ? path : path + " (image " + std::to_string(k + 1) + ")"});
    }
    return frames;
}

} // namespace orv
