// Files given for an animation as the frames they hold: a SER video's frames and a FITS cube's
// planes one after the other, any other file once. Only the files' headers are read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orv {

struct TSeriesFrame {
    std::string Path;
    uint32_t Frame = 0; // from 0
    std::string Label;  // the file, or "capture.ser (image 7)" in reports
};

std::vector<TSeriesFrame> ExpandSeries(const std::vector<std::string>& files);

} // namespace orv
