#include "ui/stat.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace orv::ui {

TStat* Stat = nullptr;

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
    for (int i = 0; i < 5; ++i) {
        auto* label = new QLabel(QString::fromStdString(rows[static_cast<size_t>(i)].first), this);
        label->setObjectName(labelNames[i]);
        auto* panel = new QLabel(this);
        panel->setObjectName(panelNames[i]);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setMinimumWidth(110);
        panel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        layout->addWidget(label, i, 0);
        layout->addWidget(panel, i, 1);
        *labels[i] = label;
        *panels[i] = panel;
    }
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName("OKBtn");
    OKBtn->setDefault(true);
    layout->addWidget(OKBtn, 5, 0, 1, 2, Qt::AlignHCenter);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TStat::ShowStatistics(const TStatistics& statistics) {
    const auto rows = StatisticsRows(statistics);
    const auto panels = Panels();
    for (size_t i = 0; i < panels.size(); ++i)
        panels[i]->setText(QString::fromStdString(rows[i].second));
}

} // namespace orv::ui
