#include "core/image/frame_series.h"

#include "core/image/display.h"

#include <algorithm>
#include <stdexcept>

namespace orv {

std::string NumberedFrameName(const std::string& stem, uint32_t k, uint32_t count, const std::string& ext) {
    const std::string digits = std::to_string(k + 1);
    const size_t width = std::to_string(count).size();
    return stem + "_" + std::string(width > digits.size() ? width - digits.size() : 0, '0') + digits + ext;
}

void ReadSeriesFrame(TImageDocument& doc, uint32_t k) {
    if (!doc.Series || k >= doc.Series->Count()) throw std::out_of_range("frame");
    const size_t bytes = size_t(doc.ImageWidth) * size_t(doc.ImageHeight) *
                         size_t(BytesPerPixel(doc.PixelType)) * size_t(std::max(doc.Colour.Planes, 1));
    doc.PixelStore.resize(bytes);
    doc.Series->ReadFrame(k, doc.PixelStore);
    const TFrameTime time = doc.Series->TimeOf(k);
    if (!time.Time.empty()) {
        doc.Header.DateObs = time.Date;
        doc.Header.TimeBeg = time.Time;
    }
    doc.FrameIndex = k;
    doc.FileName = doc.Series->FrameFileName(k);
}

void SelectFrame(TImageDocument& doc, uint32_t k) {
    if (!doc.Series) return;
    ReadSeriesFrame(doc, k);
    Render(doc);
    doc.UpdateCaption(doc.FileName, doc.ImageWidth, doc.ImageHeight);
}

} // namespace orv
