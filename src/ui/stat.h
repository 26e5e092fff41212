// The statistics window: minimum, maximum, mean, median and standard deviation of the
// current image, each in a sunken panel under its caption; a colour image has a column of
// panels per channel, "R", "V", "B". OK closes it.
#pragma once

#include "core/image/statistics.h"

#include <QDialog>

#include <array>

class QLabel;
class QPushButton;

namespace orv::ui {

class TStat : public QDialog {
    Q_OBJECT
  public:
    explicit TStat(QWidget* parent = nullptr);

    // The five values into their panels.
    void ShowStatistics(const TStatistics& statistics);
    // A colour image's: red, green, blue in three columns.
    void ShowStatistics(const std::array<TStatistics, 3>& channels);

    // IntXxx: a value's caption ("intitulé"); PanelXxx: the value.
    QLabel* IntMin = nullptr;
    QLabel* PanelMin = nullptr;
    QLabel* IntMax = nullptr;
    QLabel* PanelMax = nullptr;
    QLabel* IntMoy = nullptr;
    QLabel* PanelMoy = nullptr;
    QLabel* IntMed = nullptr;
    QLabel* PanelMed = nullptr;
    QLabel* EcartType = nullptr; // the standard deviation's caption
    QLabel* PanelEcart = nullptr;
    QPushButton* OKBtn = nullptr;
    // Shown for a colour image only: the columns' heads and the green and blue columns (the
    // red one is PanelXxx).
    std::array<QLabel*, 3> ChannelHeads{};
    std::array<std::array<QLabel*, 5>, 2> GreenBluePanels{};

  private:
    void ShowChannels(bool colour);
    // Top to bottom: minimum, maximum, mean, median, standard deviation.
    std::array<QLabel*, 5> Panels() const { return {PanelMin, PanelMax, PanelMoy, PanelMed, PanelEcart}; }
};

} // namespace orv::ui
