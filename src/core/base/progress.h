// How long work (GIF coding, animation saving) reports itself to whoever drives it (the
// progress window, a bar on a terminal, a test): a label describing the step, then fractions from 0 to 1. The
// holder shows its display while the fraction is 0.9999 or less and hides it above.
#pragma once

#include <functional>
#include <string>
#include <utility>

namespace orv {

class TProgress {
  public:
    using TReport = std::function<void(const std::string& label, float fraction)>;

    TProgress() = default;
    explicit TProgress(TReport report) : report_(std::move(report)) {}

    // The text shown beside the bar from now on.
    void SetLabel(std::string label) { label_ = std::move(label); }
    const std::string& Label() const { return label_; }

    void Show(float fraction) const {
        if (report_) report_(label_, fraction);
    }

  private:
    TReport report_;
    std::string label_;
};

} // namespace orv
