#include "core/anim/anim_frame.h"

#include "core/text/path_text.h"

#include <algorithm>

namespace orv {

std::string FrameTime(const TImageDocument& doc) {
    if (doc.Kind == kKindPic) {
        const auto first = doc.PicHeader.begin() + 104;
        const auto last = std::find(first, first + 14, uint8_t{0});
        return std::string(first, last);
    }
    if (doc.Kind == kKindFits) return doc.Header.TimeBeg;
    return {};
}

TAnimImg MakeFrame(const TImageDocument& doc, uint16_t delay) {
    TAnimImg frame;
    frame.SetBitmap(TBitmap::FromBmpFile(doc.DisplayStream));
    frame.SetName(ExtractFileName(doc.FileName));
    frame.SetTime(FrameTime(doc));
    frame.SetDelay(delay);
    return frame;
}

} // namespace orv
