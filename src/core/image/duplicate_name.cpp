#include "core/image/duplicate_name.h"

#include "core/image/image_document.h"
#include "core/text/path_text.h"

namespace orv {

std::string DuplicateFileName(const std::string& sourceFileName, uint8_t sourceKind, int windowCount,
                              const std::function<bool(const std::string&)>& taken) {
    const std::string folder = ExtractFilePath(sourceFileName);
    const std::string ext = sourceKind == kKindPic ? ".Pic" : sourceKind == kKindFits ? ".Fit" : "";
    int64_t number = windowCount < 1 ? 1 : windowCount;
    for (;;) {
        std::string name = folder + "Image" + std::to_string(number) + ext;
        if (!taken || !taken(name)) return name;
        ++number;
    }
}

} // namespace orv
