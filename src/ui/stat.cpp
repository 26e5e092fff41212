#include "ui/stat.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace orv::ui {

TStat::TStat(QWidget* parent) : QDialog(parent) {
    setObjectName("Stat");
    setWindowTitle(QStringLiteral("Statistiques"));
    auto* layout = new QGridLayout(this);
    const char* labelNames[5] = {"IntMin", "IntMax", "IntMoy", "IntMed", "EcartType"};
    const char* panelNames[5] = {"PanelMin", "PanelMax", "PanelMoy", "PanelMed", "PanelEcart"};
    QLabel** labels[5] = {&IntMin, &IntMax, &IntMoy, &IntMed, &EcartType};
    QLabel** panels[5] = {&PanelMin, &PanelMax, &PanelMoy, &PanelMed, &PanelEcart};
    // The captions come with the rows the core lays out, so both always agree.
    const auto rows = StatisticsRows(TStatistics{});
    const auto newPanel = [this] {
        auto* panel = new QLabel(this);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setMinimumWidth(110);
        panel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return panel;
    };
    const char* heads[3] = {"R", "V", "B"};
    for (int c = 0; c < 3; ++c) {
        ChannelHeads[size_t(c)] = new QLabel(QString::fromLatin1(heads[c]), this);
        ChannelHeads[size_t(c)]->setAlignment(Qt::AlignCenter);
        ChannelHeads[size_t(c)]->hide();
        layout->addWidget(ChannelHeads[size_t(c)], 0, c + 1);
    }
    for (int i = 0; i < 5; ++i) {
        auto* label = new QLabel(QString::fromStdString(rows[static_cast<size_t>(i)].first), this);
        label->setObjectName(labelNames[i]);
        QLabel* panel = newPanel();
        panel->setObjectName(panelNames[i]);
        layout->addWidget(label, i + 1, 0);
        layout->addWidget(panel, i + 1, 1);
        *labels[i] = label;
        *panels[i] = panel;
        for (int c = 0; c < 2; ++c) {
            QLabel* other = newPanel();
            other->hide();
            layout->addWidget(other, i + 1, c + 2);
            GreenBluePanels[size_t(c)][size_t(i)] = other;
        }
    }
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName("OKBtn");
    OKBtn->setDefault(true);
    layout->addWidget(OKBtn, 6, 0, 1, 4, Qt::AlignHCenter);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TStat::ShowStatistics(const TStatistics& statistics) {
    ShowChannels(false);
    const auto rows = StatisticsRows(statistics);
    const auto panels = Panels();
    for (size_t i = 0; i < panels.size(); ++i)
        panels[i]->setText(QString::fromStdString(rows[i].second));
}

void TStat::ShowStatistics(const std::array<TStatistics, 3>& channels) {
    std::array<std::array<QLabel*, 5>, 3> columns{Panels(), GreenBluePanels[0], GreenBluePanels[1]};
    for (size_t c = 0; c < 3; ++c) {
        const auto rows = StatisticsRows(channels[c]);
        for (size_t i = 0; i < 5; ++i)
            columns[c][i]->setText(QString::fromStdString(rows[i].second));
    }
    ShowChannels(true);
}

void TStat::ShowChannels(bool colour) {
    for (QLabel* head : ChannelHeads)
        head->setVisible(colour);
    for (const auto& column : GreenBluePanels)
        for (QLabel* panel : column)
            panel->setVisible(colour);
}

} // namespace orv::ui
