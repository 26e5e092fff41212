#include "core/anim/series_names.h"

#include "core/text/number_text.h"

#include <algorithm>
#include <string_view>

namespace orv {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

std::string SeriesBase(const std::string& name) {
    return name.substr(0, name.find('.'));
}

std::optional<TSeriesName> SplitSeriesName(const std::string& name) {
    const std::string base = SeriesBase(name);
    size_t start = base.size();
    while (start > 0 && IsDigit(base[start - 1]))
        --start;
    if (start == base.size()) return std::nullopt;
    return TSeriesName{base.substr(0, start), base.substr(start)};
}

int32_t SeriesIndex(const TSeriesName& name) {
    return StrToInt(name.Digits);
}

TSeriesRange ScanSeries(const std::string& prefix, const std::vector<std::string>& files) {
    TSeriesRange range;
    for (const std::string& file : files) {
        if (file.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string base = SeriesBase(file);
        if (base.size() <= prefix.size()) continue;
        const std::string rest = base.substr(prefix.size());
        bool digits = true;
        for (char c : rest)
            digits = digits && IsDigit(c);
        if (!digits) continue;
        const int32_t index = StrToInt(rest);
        range.High = std::max(range.High, index);
        range.Low = std::min(range.Low, index);
    }
    return range;
}

std::vector<std::string> SeriesFiles(const std::string& prefix, const std::vector<std::string>& files,
                                     int64_t low, int64_t high) {
    std::vector<std::string> series;
    for (const std::string& file : files) {
        const auto split = SplitSeriesName(file);
        if (!split || split->Prefix != prefix) continue;
        // Digits past any bound the fields can hold lie outside the range: no conversion error.
        const size_t first = std::min(split->Digits.find_first_not_of('0'), split->Digits.size());
        const std::string_view digits = std::string_view(split->Digits).substr(first);
        if (digits.size() > 18) continue;
        const int64_t index = digits.empty() ? 0 : std::stoll(std::string(digits));
        if (index >= low && index <= high) series.push_back(file);
    }
    return series;
}

std::string JoinBatchPath(const std::string& directory, const std::string& name) {
    if (directory.empty()) return name;
    if (directory.back() == '/') return directory + name;
    return directory + "/" + name;
}

} // namespace orv
