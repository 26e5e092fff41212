#include "ui/tools/histogram_view.h"

#include "core/image/display.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace orv::ui {

namespace {

constexpr int kMargin = 6;       // room for a marker's handle at either end
constexpr int kHandleHeight = 8; // the handles above the bars
constexpr int kGrab = 5;         // how near a marker a press takes it

const QColor kHighColour(200, 30, 30);
const QColor kLowColour(30, 60, 210);

} // namespace

THistogramView::THistogramView(QWidget* parent) : QWidget(parent) {
    setObjectName("Histogram");
    setMouseTracking(true);
    setToolTip(
        QStringLiteral("Histogramme de l'image (nombres en échelle logarithmique) : faites glisser les "
                       "repères rouge (seuil haut) et bleu (seuil bas)"));
}

void THistogramView::SetHistogram(THistogram histogram) {
    histogram_ = std::move(histogram);
    update();
}

void THistogramView::SetChannels(std::vector<std::vector<uint64_t>> channels) {
    channels_ = std::move(channels);
    update();
}

void THistogramView::SetThresholds(double high, double low, TDisplayFunction function, double midtones) {
    high_ = high;
    low_ = low;
    function_ = function;
    midtones_ = midtones;
    update();
}

QRect THistogramView::Plot() const {
    return rect().adjusted(kMargin, kHandleHeight + 2, -kMargin, -2);
}

double THistogramView::PlaceAt(int x) const {
    const QRect plot = Plot();
    if (plot.width() <= 1) return 0;
    return std::clamp(static_cast<double>(x - plot.left()) / (plot.width() - 1), 0.0, 1.0);
}

int THistogramView::MarkerX(TThresholdMarker marker) const {
    const QRect plot = Plot();
    const double value = marker == TThresholdMarker::High ? high_ : low_;
    return plot.left() + static_cast<int>(std::lround(histogram_.Place(value) * (plot.width() - 1)));
}

TThresholdMarker THistogramView::MarkerNear(int x) const {
    if (histogram_.Counts.empty()) return TThresholdMarker::None;
    const int high = std::abs(x - MarkerX(TThresholdMarker::High));
    const int low = std::abs(x - MarkerX(TThresholdMarker::Low));
    if (std::min(high, low) > kGrab) return TThresholdMarker::None;
    return high <= low ? TThresholdMarker::High : TThresholdMarker::Low;
}

void THistogramView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect plot = Plot();
    p.fillRect(rect(), palette().base());
    p.setPen(palette().mid().color());
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    const size_t bins = histogram_.Counts.size();
    if (bins == 0) return;
    const auto left = [&](size_t i) {
        return plot.left() + static_cast<int>(i * static_cast<size_t>(plot.width()) / bins);
    };
    const bool colour = channels_.size() == 3;
    if (colour) {
        // A curve per channel through the middles of its bins, on one scale for the three.
        uint64_t peak = 0;
        for (const auto& c : channels_)
            for (uint64_t n : c)
                peak = std::max(peak, n);
        const QColor colours[3] = {QColor(210, 40, 40), QColor(30, 160, 50), QColor(40, 70, 220)};
        p.setRenderHint(QPainter::Antialiasing);
        for (size_t c = 0; c < 3; ++c) {
            QPainterPath path;
            for (size_t i = 0; i < bins && i < channels_[c].size(); ++i) {
                const double x = (left(i) + left(i + 1)) / 2.0;
                const double y = plot.bottom() + 1 - LogHeight(channels_[c][i], peak) * plot.height();
                if (i == 0)
                    path.moveTo(x, y);
                else
                    path.lineTo(x, y);
            }
            p.setPen(QPen(isEnabled() ? colours[c] : palette().mid().color(), 1.2));
            p.drawPath(path);
        }
        p.setRenderHint(QPainter::Antialiasing, false);
    } else {
        // Bars: one per bin, spread over the plot's columns.
        const uint64_t peak = histogram_.Peak();
        const QColor bar = isEnabled() ? QColor(90, 90, 90) : palette().mid().color();
        for (size_t i = 0; i < bins; ++i) {
            const int height =
                static_cast<int>(std::lround(LogHeight(histogram_.Counts[i], peak) * plot.height()));
            if (height > 0)
                p.fillRect(left(i), plot.bottom() + 1 - height, std::max(1, left(i + 1) - left(i)), height,
                           bar);
        }
    }
    if (!isEnabled()) return;
    // The display levels across the axis: how the thresholds and the function show the values.
    QPainterPath curve;
    const bool inverted = !(high_ >= low_);
    for (int x = plot.left(); x <= plot.right(); ++x) {
        const double value = histogram_.ValueAt(PlaceAt(x));
        const uint8_t level = DisplayLevel(value, low_, high_, inverted, function_, midtones_);
        const double y = plot.bottom() - level * (plot.height() - 1) / 255.0;
        if (x == plot.left())
            curve.moveTo(x, y);
        else
            curve.lineTo(x, y);
    }
    p.setRenderHint(QPainter::Antialiasing);
    // Beside the channels' green curve the function's curve is drawn dark.
    p.setPen(QPen(colour ? QColor(60, 60, 60) : QColor(20, 150, 60), 1.5));
    p.drawPath(curve);
    p.setRenderHint(QPainter::Antialiasing, false);
    // The markers: a line through the bars and a handle above them.
    for (TThresholdMarker marker : {TThresholdMarker::Low, TThresholdMarker::High}) {
        const QColor colour = marker == TThresholdMarker::High ? kHighColour : kLowColour;
        const int x = MarkerX(marker);
        p.setPen(QPen(colour, 1));
        p.drawLine(x, plot.top(), x, plot.bottom());
        const QPolygon handle({QPoint(x - 4, 1), QPoint(x + 4, 1), QPoint(x, kHandleHeight + 1)});
        p.setBrush(colour);
        p.drawPolygon(handle);
    }
}

void THistogramView::mousePressEvent(QMouseEvent* event) {
    const int x = static_cast<int>(std::floor(event->position().x()));
    dragged_ = event->button() == Qt::LeftButton ? MarkerNear(x) : TThresholdMarker::None;
    if (dragged_ == TThresholdMarker::None) QWidget::mousePressEvent(event);
}

void THistogramView::mouseMoveEvent(QMouseEvent* event) {
    const int x = static_cast<int>(std::floor(event->position().x()));
    if (dragged_ != TThresholdMarker::None) {
        if (OnMarkerMove) OnMarkerMove(dragged_, PlaceAt(x));
        return;
    }
    setCursor(MarkerNear(x) != TThresholdMarker::None ? Qt::SizeHorCursor : Qt::ArrowCursor);
}

void THistogramView::mouseReleaseEvent(QMouseEvent* event) {
    dragged_ = TThresholdMarker::None;
    QWidget::mouseReleaseEvent(event);
}

} // namespace orv::ui
