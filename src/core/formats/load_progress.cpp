#include "core/formats/load_progress.h"

#include "core/text/path_text.h"

#include <algorithm>

namespace orv {

TLoadProgress::TLoadProgress(TDocumentHost& host, const std::string& fileName, uint64_t total, bool shown)
    : host_(host), label_("Ouverture de " + ExtractFileName(fileName)), total_(total),
      shown_(shown && total > 0) {
    Done(0);
}

TLoadProgress::~TLoadProgress() {
    if (shown_) host_.Progress(label_, 1.0f);
}

void TLoadProgress::Done(uint64_t done) {
    if (!shown_) return;
    const int percent = static_cast<int>(std::min<uint64_t>(done, total_) * 100 / total_);
    if (percent == percent_) return;
    percent_ = percent;
    // Never 100 % before the end: the picture is still to be drawn.
    host_.Progress(label_, std::min(0.99f, static_cast<float>(percent) / 100.0f));
}

} // namespace orv
