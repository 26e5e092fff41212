#include "core/anim/recovery.h"

#include "core/image/display.h"

namespace orv {

std::vector<TRecoveredFrame> RecordedFrames(const TAnimBuilder& builder) {
    std::vector<TRecoveredFrame> records;
    if (!builder.Modified) return records;
    for (const TAnimImg& frame : builder.Frames) {
        TRecoveredFrame record{frame.Path, frame.GifImage, frame.Delay, std::nullopt};
        if (frame.Source) record.Display = frame.Source->Display;
        records.push_back(std::move(record));
    }
    return records;
}

TLoadedFrame RecoveredFrame(TImageDocument&& doc, const TRecoveredFrame& record) {
    if (record.Display && doc.PixelType != kPixelNone) {
        ApplyDisplaySettings(doc, *record.Display);
        Render(doc);
    }
    return LoadedFrame(std::move(doc), record.Delay);
}

} // namespace orv
