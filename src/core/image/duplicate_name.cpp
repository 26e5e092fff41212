#include "core/image/duplicate_name.h"

#include "core/image/display_settings.h"
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

TImageDocument DuplicateDocument(const TImageDocument& s, const std::string& fileName) {
    TImageDocument t;
    t.FileName = fileName;
    t.PixelStore = s.PixelStore;
    t.SecondPlane = s.SecondPlane;
    t.DisplayStream = s.DisplayStream;
    t.PaletteHeader = s.PaletteHeader;
    t.ImageWidth = s.ImageWidth;
    t.ImageHeight = s.ImageHeight;
    t.PixelType = s.PixelType;
    if (s.Kind == kKindPic) {
        t.Kind = kKindPic;
        t.PicHeader = s.PicHeader;
    }
    if (s.Kind == kKindFits) {
        t.Kind = kKindFits;
        t.Header = s.Header;
        t.HistoryLines = s.HistoryLines;
        t.CommentLines = s.CommentLines;
        t.OtherCards = s.OtherCards;
        t.TrailingBytes = s.TrailingBytes;
        t.Sky = s.Sky;
    }
    ApplyDisplaySettings(t, DisplaySettingsOf(s));
    return t;
}

} // namespace orv
