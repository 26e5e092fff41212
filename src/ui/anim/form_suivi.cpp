#include "ui/anim/form_suivi.h"

#include "ui/shell/application.h"
#include "ui/shell/workspace.h"

#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace orv::ui {

TFormSuivi::TFormSuivi(TWorkspace& workspace, QWidget* parent)
    : QWidget(parent, Qt::Tool), workspace_(workspace) {
    setObjectName("FormSuivi");
    setWindowTitle(QStringLiteral("Suivre un objet"));
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(QStringLiteral("Cliquez l'objet sur la première image, puis sur la dernière,\n"
                                       "ou tapez ses positions (X et Y de la barre d'état) :"),
                        this);
    Label1->setObjectName("Label1");
    layout->addWidget(Label1);
    auto* numbers = new QFormLayout;
    const auto spin = [&](const char* name, const QString& caption) {
        auto* s = new QDoubleSpinBox(this);
        s->setObjectName(name);
        s->setRange(-65535, 65535);
        s->setDecimals(2);
        numbers->addRow(caption, s);
        return s;
    };
    SpinX1 = spin("SpinX1", QStringLiteral("Première image, X :"));
    SpinY1 = spin("SpinY1", QStringLiteral("Première image, Y :"));
    SpinXN = spin("SpinXN", QStringLiteral("Dernière image, X :"));
    SpinYN = spin("SpinYN", QStringLiteral("Dernière image, Y :"));
    layout->addLayout(numbers);
    auto* buttons = new QHBoxLayout;
    const auto button = [&](const char* name, const QString& caption, std::function<void()> click) {
        return AddCommandButton(this, buttons, name, caption, std::move(click));
    };
    BitOK = button("BitOK", QStringLiteral("OK"), [this] {
        hide();
        if (OnChosen) OnChosen(Track());
    });
    BitAucun = button("BitAucun", QStringLiteral("Ne pas suivre"), [this] {
        hide();
        if (OnChosen) OnChosen(std::nullopt);
    });
    BitAnnuler = button("BitAnnuler", QStringLiteral("Annuler"), [this] { hide(); });
    layout->addLayout(buttons);
    // A click on an image window is a region of one pixel; a drag gives its middle.
    connect(&workspace_, &TWorkspace::RegionDropped, this, [this](const TCropRect& r) {
        if (!isVisible()) return;
        const double x = r.X + (r.Width - 1) / 2.0, y = r.Y + (r.Height - 1) / 2.0;
        (lastNext_ ? SpinXN : SpinX1)->setValue(x);
        (lastNext_ ? SpinYN : SpinY1)->setValue(y);
        lastNext_ = !lastNext_;
    });
}

void TFormSuivi::Open(const TTrack& track) {
    ShowTrack(track);
    lastNext_ = false;
    show();
    raise();
    activateWindow();
}

TTrack TFormSuivi::Track() const {
    return {SpinX1->value(), SpinY1->value(), SpinXN->value(), SpinYN->value()};
}

void TFormSuivi::ShowTrack(const TTrack& track) {
    SpinX1->setValue(track.FirstX);
    SpinY1->setValue(track.FirstY);
    SpinXN->setValue(track.LastX);
    SpinYN->setValue(track.LastY);
}

void TFormSuivi::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    workspace_.SetRegionPicking(true);
}

void TFormSuivi::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    workspace_.SetRegionPicking(false);
}

} // namespace orv::ui
