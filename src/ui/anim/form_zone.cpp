#include "ui/anim/form_zone.h"

#include "ui/shell/application.h"
#include "ui/shell/workspace.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace orv::ui {

TFormZone::TFormZone(TWorkspace& workspace, QWidget* parent)
    : QWidget(parent, Qt::Tool), workspace_(workspace) {
    setObjectName("FormZone");
    setWindowTitle(QStringLiteral("Zone de l'animation"));
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(QStringLiteral("Tracez la zone sur une image avec la souris,\n"
                                       "ou tapez son coin inférieur gauche et sa taille :"),
                        this);
    Label1->setObjectName("Label1");
    layout->addWidget(Label1);
    auto* numbers = new QFormLayout;
    const auto spin = [&](const char* name, const QString& caption) {
        auto* s = new QSpinBox(this);
        s->setObjectName(name);
        s->setRange(1, 65535);
        numbers->addRow(caption, s);
        return s;
    };
    SpinX = spin("SpinX", QStringLiteral("X :"));
    SpinY = spin("SpinY", QStringLiteral("Y :"));
    SpinLargeur = spin("SpinLargeur", QStringLiteral("Largeur :"));
    SpinHauteur = spin("SpinHauteur", QStringLiteral("Hauteur :"));
    layout->addLayout(numbers);
    auto* buttons = new QHBoxLayout;
    const auto button = [&](const char* name, const QString& caption, std::function<void()> click) {
        return AddCommandButton(this, buttons, name, caption, std::move(click));
    };
    BitOK = button("BitOK", QStringLiteral("OK"), [this] { BitOKClick(); });
    BitToute = button("BitToute", QStringLiteral("Toute l'image"), [this] { BitTouteClick(); });
    BitAnnuler = button("BitAnnuler", QStringLiteral("Annuler"), [this] { hide(); });
    layout->addLayout(buttons);
    connect(&workspace_, &TWorkspace::RegionDragged, this, [this](const TCropRect& r) {
        if (isVisible()) ShowRegion(r);
    });
}

void TFormZone::Open(const TCropRect& region) {
    ShowRegion(region);
    show();
    raise();
    activateWindow();
}

TCropRect TFormZone::Region() const {
    return {SpinX->value(), SpinY->value(), SpinLargeur->value(), SpinHauteur->value()};
}

void TFormZone::ShowRegion(const TCropRect& region) {
    SpinX->setValue(region.X);
    SpinY->setValue(region.Y);
    SpinLargeur->setValue(region.Width);
    SpinHauteur->setValue(region.Height);
}

void TFormZone::BitOKClick() {
    hide();
    if (OnChosen) OnChosen(Region());
}

void TFormZone::BitTouteClick() {
    hide();
    if (OnChosen) OnChosen(std::nullopt);
}

void TFormZone::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    workspace_.SetRegionPicking(true);
}

void TFormZone::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    workspace_.SetRegionPicking(false);
}

} // namespace orv::ui
