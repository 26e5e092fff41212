// "Tableau de la série": the builder's frames as a table (time, sky level, spread, stars) with
// a plot of the three along the series, the frames that depart from the rest marked, and a
// command that drops those frames from the animation. The figures are the core's
// (core/anim/series_table.h), measured on a thread of their own with a progress bar.
#pragma once

#include "core/anim/series_table.h"

#include <QWidget>

#include <atomic>
#include <cstdint>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QThreadPool;

namespace orv::ui {

class TFormCreeAnim;

// The sky level, the spread and the star count along the series, each scaled to its own
// highest value; the marked frames have a red dot.
class TSeriesPlot : public QWidget {
    Q_OBJECT
  public:
    explicit TSeriesPlot(QWidget* parent = nullptr);
    void SetRows(const std::vector<TSeriesRow>& rows);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::vector<TSeriesRow> rows_;
};

class TFormSerie : public QWidget {
    Q_OBJECT
  public:
    TFormSerie(TFormCreeAnim& builder, QWidget* parent = nullptr);
    ~TFormSerie() override;

    // Measures the builder's frames again and shows them.
    void Refresh();
    // "Retirer les images marquées".
    void BitRetirerClick();

    QTableWidget* Table = nullptr;
    TSeriesPlot* Plot = nullptr;
    QProgressBar* Progress = nullptr;
    QLabel* LabelResume = nullptr;
    QPushButton* BitRetirer = nullptr;
    // The rows shown, one per frame of the builder as it was measured.
    std::vector<TSeriesRow> Rows;

  signals:
    // The table shows the frames measured.
    void Measured();

  private:
    void MeasureDone(uint64_t request, std::vector<TSeriesRow> rows);
    void ShowRows();
    // The frames as measured: the table's rows apply to the builder only while it has them.
    std::vector<const void*> FrameKeys() const;

    TFormCreeAnim& builder_;
    QThreadPool* pool_ = nullptr;
    std::atomic<uint64_t> request_ = 0; // the newest measure; the older stop and are dropped
    std::vector<const void*> measuredKeys_;
};

} // namespace orv::ui
