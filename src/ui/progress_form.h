// The progress window: a line saying what is being done and a gauge with the percentage.
// A tool window on top of the others, shown by the first fraction of 0.9999 or less and
// hidden by any fraction above it.
#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

namespace orv::ui {

// The gauge position for a fraction: fraction x 100 rounded, halves to even.
int GaugePercent(float fraction);
// True when a fraction keeps the window shown (0.9999 or less).
bool ProgressVisibleAt(float fraction);

class TProgressForm : public QWidget {
    Q_OBJECT
  public:
    explicit TProgressForm(QWidget* parent = nullptr);

    void SetProgress(float fraction);

    QLabel* Label1 = nullptr; // what is being done
    QProgressBar* Gauge1 = nullptr;
};

// SetProgress on the progress window (when there is one), then every pending event is
// processed (repaints, and clicks and keys unless userInput is false).
void ShowProgress(TProgressForm* window, float fraction, bool userInput = true);

} // namespace orv::ui
