// Numbered series of image files (Img001.fit ... Img120.fit): a name's prefix and index, the
// search for a series among a directory's files, and the path of a batch entry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orv {

// The part of a file name before its first "." (the whole name when it has none).
std::string SeriesBase(const std::string& name);

// A name belongs to a series when its base ends in decimal digits.
struct TSeriesName {
    std::string Prefix; // the base without its trailing digits; may be empty
    std::string Digits; // the trailing digits, never empty
};
std::optional<TSeriesName> SplitSeriesName(const std::string& name);

// The index a series name's digits form. Too long for a whole number: EConvertError
// "'<digits>' n'est pas une valeur entière correcte".
int32_t SeriesIndex(const TSeriesName& name);

// The highest and lowest index of the files whose base is the prefix followed by digits only.
// Nothing counted leaves the starting values.
struct TSeriesRange {
    int32_t High = -1;
    int32_t Low = 999999999;
};
TSeriesRange ScanSeries(const std::string& prefix, const std::vector<std::string>& files);

// The files of the series named by prefix (exact comparison) whose index lies between low and
// high (both included), in the order given. An empty prefix takes the files whose base is all
// digits.
std::vector<std::string> SeriesFiles(const std::string& prefix, const std::vector<std::string>& files,
                                     int64_t low, int64_t high);

// The directory and a bare name joined by one "/" (none added when the directory already ends
// with one; the bare name when the directory is empty).
std::string JoinBatchPath(const std::string& directory, const std::string& name);

} // namespace orv
