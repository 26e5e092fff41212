// The threshold dialog's histogram: the current image's values as bars of logarithmic
// height over their whole range, the display function's curve between the thresholds, and
// the two thresholds as markers (high in red, low in blue) that can be dragged. A colour
// image's three channels are drawn as red, green and blue curves on the same axis instead of
// bars. It only draws and reports drags; the dialog applies them.
#pragma once

#include "core/image/display_function.h"
#include "core/image/histogram.h"

#include <QWidget>

#include <functional>
#include <vector>

namespace orv::ui {

enum class TThresholdMarker { None, High, Low };

class THistogramView : public QWidget {
    Q_OBJECT
  public:
    explicit THistogramView(QWidget* parent = nullptr);

    void SetHistogram(THistogram histogram);
    const THistogram& Histogram() const { return histogram_; }
    // Red, green and blue counts in the histogram's bins (CountsOnAxis), or none for a grey image.
    void SetChannels(std::vector<std::vector<uint64_t>> channels);
    const std::vector<std::vector<uint64_t>>& Channels() const { return channels_; }
    void SetThresholds(double high, double low, TDisplayFunction function,
                       double midtones = kNeutralMidtones);

    // Where a marker stands, in pixels from the widget's left edge.
    int MarkerX(TThresholdMarker marker) const;
    // The place along the histogram's axis (0 to 1) of a pixel column.
    double PlaceAt(int x) const;

    // A marker dragged to a place along the axis.
    std::function<void(TThresholdMarker marker, double place)> OnMarkerMove;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QRect Plot() const;
    TThresholdMarker MarkerNear(int x) const;

    THistogram histogram_;
    std::vector<std::vector<uint64_t>> channels_;
    double high_ = 0;
    double low_ = 0;
    TDisplayFunction function_ = TDisplayFunction::Linear;
    double midtones_ = kNeutralMidtones;
    TThresholdMarker dragged_ = TThresholdMarker::None;
};

} // namespace orv::ui
