// The builder's options column: one display for the series, the region and its window, the
// binning, the time stamps and the bounce. The controls hold the options; every change goes to
// the builder, which marks the animation modified when saving would write something else.
#include "ui/anim/form_cree_anim.h"

#include "core/base/errors.h"
#include "ui/anim/form_serie.h"
#include "ui/anim/form_suivi.h"
#include "ui/anim/form_zone.h"
#include "ui/shell/application.h"
#include "ui/shell/dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <initializer_list>

namespace orv::ui {

void TFormCreeAnim::CreateOptionControls() {
    GroupReglages = new QGroupBox(QStringLiteral("Réglages de l'animation"), this);
    GroupReglages->setObjectName("GroupReglages");
    auto* layout = new QVBoxLayout(GroupReglages);
    const auto check = [&](const char* name, const QString& caption, const QString& hint, QBoxLayout* into) {
        auto* c = new QCheckBox(caption, GroupReglages);
        c->setObjectName(name);
        c->setToolTip(hint);
        into->addWidget(c);
        connect(c, &QCheckBox::toggled, this, [this] { RunCommand([this] { OptionsChange(); }); });
        return c;
    };
    CheckMemesReglages = check("CheckMemesReglages", QStringLiteral("Mêmes réglages pour toutes les images"),
                               QStringLiteral("Seuils, fonction d'affichage et palette de la première image "
                                              "pour toutes : l'animation ne scintille pas"),
                               layout);
    // Two short choices a row, so that the column keeps the height the commands give it.
    auto* pairRow = new QHBoxLayout;
    layout->addLayout(pairRow);
    CheckNormaliser =
        check("CheckNormaliser", QStringLiteral("Normaliser le fond"),
              QStringLiteral("Chaque image lue sur la médiane et la dispersion de la première : "
                             "un ciel qui s'éclaircit ou un voile ne font plus scintiller"),
              pairRow);
    CheckHeure =
        check("CheckHeure", QStringLiteral("Heure incrustée"),
              QStringLiteral("La date et l'heure de chaque image dans son coin inférieur gauche"), pairRow);
    LabelAlignement = new QLabel(QStringLiteral("Alignement :"), GroupReglages);
    LabelAlignement->setObjectName("LabelAlignement");
    ComboAlignement = new QComboBox(GroupReglages);
    ComboAlignement->setObjectName("ComboAlignement");
    // In the order of TAlignMethod.
    ComboAlignement->addItems(
        {QStringLiteral("aucun"), QStringLiteral("étoiles"), QStringLiteral("coordonnées")});
    ComboAlignement->setToolTip(
        QStringLiteral("Chaque image décalée d'un nombre entier de pixels pour que ses "
                       "étoiles (ou ses coordonnées célestes) tombent sur celles de la "
                       "première, puis toutes coupées à ce qu'elles couvrent toutes"));
    connect(ComboAlignement, &QComboBox::currentIndexChanged, this,
            [this] { RunCommand([this] { OptionsChange(); }); });
    auto* alignRow = new QHBoxLayout;
    alignRow->addWidget(LabelAlignement);
    alignRow->addWidget(ComboAlignement, 1);
    BitSuivre = new QPushButton(GroupReglages);
    BitSuivre->setObjectName("BitSuivre");
    BitSuivre->setToolTip(QStringLiteral("Suivre un objet : il reste immobile, les étoiles défilent"));
    connect(BitSuivre, &QPushButton::clicked, this, [this] { RunCommand([this] { BitSuivreClick(); }); });
    alignRow->addWidget(BitSuivre);
    layout->addLayout(alignRow);
    BitZone = new QPushButton(QStringLiteral("Zone…"), GroupReglages);
    BitZone->setObjectName("BitZone");
    BitZone->setToolTip(QStringLiteral("Ne garder qu'une zone des images"));
    connect(BitZone, &QPushButton::clicked, this, [this] { RunCommand([this] { BitZoneClick(); }); });
    LabelZone = new QLabel(GroupReglages);
    LabelZone->setObjectName("LabelZone");
    auto* zoneRow = new QHBoxLayout;
    zoneRow->addWidget(BitZone);
    zoneRow->addWidget(LabelZone, 1);
    layout->addLayout(zoneRow);
    LabelReduction = new QLabel(QStringLiteral("Réduction :"), GroupReglages);
    LabelReduction->setObjectName("LabelReduction");
    SpinReduction = new QSpinBox(GroupReglages);
    SpinReduction->setObjectName("SpinReduction");
    SpinReduction->setRange(1, kMaxBin);
    SpinReduction->setSpecialValueText(QStringLiteral("Aucune"));
    SpinReduction->setToolTip(QStringLiteral("Chaque carré de N x N pixels devient un pixel, leur moyenne"));
    connect(SpinReduction, &QSpinBox::valueChanged, this,
            [this] { RunCommand([this] { OptionsChange(); }); });
    auto* binRow = new QHBoxLayout;
    binRow->addWidget(LabelReduction);
    binRow->addWidget(SpinReduction, 1);
    layout->addLayout(binRow);
    CheckAllerRetour = check("CheckAllerRetour", QStringLiteral("Aller-retour"),
                             QStringLiteral("Après la dernière image, les images en sens inverse"), binRow);
    BitSerie = new QPushButton(QStringLiteral("Tableau de la série"), GroupReglages);
    BitSerie->setObjectName("BitSerie");
    BitSerie->setToolTip(
        QStringLiteral("Médiane, dispersion et étoiles de chaque image, pour écarter les mauvaises"));
    connect(BitSerie, &QPushButton::clicked, this, [this] {
        // Made at first use: a window among the children would count in the builder's size.
        if (!FormSerie) FormSerie = new TFormSerie(*this, this);
        FormSerie->show();
        FormSerie->raise();
        FormSerie->Refresh();
    });
    zoneRow->addWidget(BitSerie);
    ShowZone();
    CreateFileControls();
    // Right of the command column, as wide as the longest caption needs, whatever the font.
    PlaceOptionColumns();

    FormZone = new TFormZone(workspace_, this);
    FormZone->OnChosen = [this](const std::optional<TCropRect>& region) { ZoneChosen(region); };
    FormSuivi = new TFormSuivi(workspace_, this);
    FormSuivi->OnChosen = [this](const std::optional<TTrack>& track) { TrackChosen(track); };
}

void TFormCreeAnim::ShowOptions() {
    // The controls follow the builder's options without changing them back.
    const TAnimOptions& o = Builder.Options;
    const std::initializer_list<QWidget*> controls = {CheckMemesReglages, CheckNormaliser, ComboAlignement,
                                                      SpinReduction,      CheckHeure,      CheckAllerRetour,
                                                      CheckOptimiser,     SpinTolerance};
    for (QWidget* control : controls)
        control->blockSignals(true);
    CheckMemesReglages->setChecked(o.SameDisplay);
    CheckNormaliser->setChecked(o.Normalize);
    ComboAlignement->setCurrentIndex(static_cast<int>(o.Align));
    SpinReduction->setValue(o.Bin);
    CheckHeure->setChecked(o.Stamp);
    CheckAllerRetour->setChecked(o.Bounce);
    CheckOptimiser->setChecked(o.Optimize);
    if (o.Optimize) SpinTolerance->setValue(o.Tolerance); // else the box keeps the one to come back to
    SpinTolerance->setEnabled(o.Optimize);
    for (QWidget* control : controls)
        control->blockSignals(false);
    ShowZone();
}

void TFormCreeAnim::ShowZone() {
    BitSuivre->setText(Builder.Options.Track ? QStringLiteral("Suivi…") : QStringLiteral("Suivre…"));
    LabelZone->setText(Builder.Options.Crop ? QString::fromStdString(CropText(*Builder.Options.Crop))
                                            : QStringLiteral("Toute l'image"));
}

void TFormCreeAnim::OptionsChange() {
    TAnimOptions options = Builder.Options;
    options.SameDisplay = CheckMemesReglages->isChecked();
    options.Normalize = CheckNormaliser->isChecked();
    options.Align = static_cast<TAlignMethod>(std::clamp(ComboAlignement->currentIndex(), 0, 2));
    options.Bin = SpinReduction->value();
    options.Stamp = CheckHeure->isChecked();
    options.Bounce = CheckAllerRetour->isChecked();
    // The tolerance goes with the optimisation, as on the command line.
    options.Optimize = CheckOptimiser->isChecked();
    options.Tolerance = options.Optimize ? SpinTolerance->value() : 0;
    SpinTolerance->setEnabled(options.Optimize);
    KeepFileSettings();
    Builder.SetOptions(options);
    emit AnimationChanged();
}

// Under the options, out of the way of the image windows a region or an object is chosen on.
QPoint TFormCreeAnim::BelowSettings() const {
    return mapToGlobal(QPoint(GroupReglages->x(), GroupReglages->geometry().bottom() + 8));
}

void TFormCreeAnim::BitZoneClick() {
    FormZone->move(BelowSettings());
    // No region yet: the whole of the first frame, a start to narrow down.
    TCropRect whole{1, 1, 1, 1};
    if (!Builder.Frames.empty())
        whole = {1, 1, std::max(1, Builder.Frames[0].Bitmap.Width),
                 std::max(1, Builder.Frames[0].Bitmap.Height)};
    FormZone->Open(Builder.Options.Crop.value_or(whole));
}

void TFormCreeAnim::ZoneChosen(const std::optional<TCropRect>& region) {
    TAnimOptions options = Builder.Options;
    options.Crop = region;
    SetPlaceOptions(options);
}

// A region or a track chosen: the line that shows them follows.
void TFormCreeAnim::SetPlaceOptions(const TAnimOptions& options) {
    Builder.SetOptions(options);
    ShowZone();
    emit AnimationChanged();
}

void TFormCreeAnim::BitSuivreClick() {
    FormSuivi->move(BelowSettings());
    FormSuivi->Open(Builder.Options.Track.value_or(TTrack{}));
}

void TFormCreeAnim::TrackChosen(const std::optional<TTrack>& track) {
    TAnimOptions options = Builder.Options;
    options.Track = track;
    SetPlaceOptions(options);
}

void TFormCreeAnim::ReportLeftOut(const std::vector<std::string>& leftOut) const {
    if (leftOut.empty()) return;
    QString text =
        Builder.Options.Steadied()
            ? QStringLiteral("Ces images ne peuvent pas être placées et sont laissées de côté :")
            : QStringLiteral("Ces images ne contiennent pas la zone choisie et sont laissées de côté :");
    for (const std::string& line : leftOut)
        text += "\n" + QString::fromStdString(line);
    Dialogs().Message(TMsgKind::Warning, TButtons::Ok, text);
}

} // namespace orv::ui
