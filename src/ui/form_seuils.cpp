// The threshold dialog's layout and handlers; every change of thresholds goes through Act.
#include "ui/form_seuils.h"

#include "core/image/debayer.h"
#include "core/image/statistics.h"
#include "core/text/number_text.h"
#include "core/tools/enabling_rules.h"
#include "core/tools/threshold_presets.h"
#include "ui/application.h"
#include "ui/form_image.h"
#include "ui/histogram_view.h"
#include "ui/tool_icons.h"
#include "ui/workspace.h"

#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

#include <iterator>

namespace orv::ui {

namespace {

template <typename T> T* Named(T* widget, const char* name, const QString& hint, QRect geometry) {
    widget->setObjectName(name);
    if (!hint.isEmpty()) widget->setToolTip(hint);
    widget->setGeometry(geometry);
    return widget;
}

QLabel* BoldLabel(QWidget* parent, const QString& text, bool bevel) {
    auto* label = new QLabel(text, parent);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    label->setAlignment(Qt::AlignCenter);
    if (bevel) label->setFrameStyle(QFrame::Panel | QFrame::Raised);
    return label;
}

QScrollBar* ThresholdBar(QWidget* parent, int position) {
    auto* bar = new QScrollBar(Qt::Horizontal, parent);
    bar->setRange(-32768, 32767);
    bar->setValue(position);
    bar->setSingleStep(100);
    bar->setPageStep(1000);
    return bar;
}

QToolButton* Glyph(QWidget* parent, TPicture picture) {
    auto* b = new QToolButton(parent);
    b->setIcon(ToolIcon(picture, 24));
    b->setIconSize(QSize(24, 24));
    return b;
}

} // namespace

TFormSeuils::TFormSeuils(TWorkspace& workspace, QWidget* parent)
    : QWidget(parent, Qt::Tool), workspace_(workspace) {
    setObjectName("FormSeuils");
    setWindowTitle(QStringLiteral("Reglage des seuils"));
    setFixedSize(416, 314);

    Invert = Named(Glyph(this, TPicture::Invert), "Invert",
                   QStringLiteral("Inverser les seuils haut et bas (négatif)"), {8, 8, 34, 34});
    Stel = Named(Glyph(this, TPicture::DeepSky), "Stel",
                 QStringLiteral("Réglage auto des seuils d'une image du ciel profond"), {8, 48, 34, 34});
    Planet = Named(Glyph(this, TPicture::Planet), "Planet",
                   QStringLiteral("Réglage auto des seuils d'une image planétaire"), {8, 88, 34, 34});

    SH = Named(BoldLabel(this, QStringLiteral("Haut"), false), "SH", QStringLiteral("Seuil haut"),
               {50, 10, 36, 20});
    editsh = Named(new QLineEdit(QStringLiteral("16384"), this), "editsh", QStringLiteral("Seuil haut"),
                   {90, 10, 76, 22});
    ScrollBarsh =
        Named(ThresholdBar(this, 16383), "ScrollBarsh", QStringLiteral("Seuil haut"), {174, 11, 234, 20});
    SB = Named(BoldLabel(this, QStringLiteral("Bas"), false), "SB", QStringLiteral("Seuil bas"),
               {50, 40, 36, 20});
    Editsb = Named(new QLineEdit(QStringLiteral("0"), this), "Editsb", QStringLiteral("Seuil bas"),
                   {90, 40, 76, 22});
    ScrollBarsb =
        Named(ThresholdBar(this, 0), "ScrollBarsb", QStringLiteral("Seuil bas"), {174, 41, 234, 20});

    GroupBox1 =
        Named(new QGroupBox(QStringLiteral("Vitesse"), this), "GroupBox1", QString(), {50, 70, 116, 92});
    Fast = Named(new QRadioButton(QStringLiteral("Rapide"), GroupBox1), "Fast",
                 QStringLiteral("Réglage des seuils par pas de 4000 et 400"), {8, 18, 100, 22});
    Normal = Named(new QRadioButton(QStringLiteral("Normale"), GroupBox1), "Normal",
                   QStringLiteral("Réglage des seuils par pas de 1000 et 100"), {8, 42, 100, 22});
    Slow = Named(new QRadioButton(QStringLiteral("Lente"), GroupBox1), "Slow",
                 QStringLiteral("Réglage des seuils par pas de 10 et 1"), {8, 66, 100, 22});
    Normal->setChecked(true);

    const int x0 = 174, y0 = 84, y1 = 124, w = 32, h = 26, label = 94, gap = 4;
    auto row = [&](int y, const char* names[4], const QString hints[4], const QString& middle,
                   const char* middleName, const QString& middleHint, QPushButton** out[4],
                   QLabel** outLabel) {
        const QString captions[4] = {QStringLiteral("- -"), QStringLiteral("-"), QStringLiteral("+"),
                                     QStringLiteral("+ +")};
        int x = x0;
        for (int i = 0; i < 4; ++i) {
            if (i == 2) {
                *outLabel = Named(BoldLabel(this, middle, true), middleName, middleHint, {x, y, label, h});
                x += label + gap;
            }
            *out[i] = Named(new QPushButton(captions[i], this), names[i], hints[i], {x, y, w, h});
            x += w + gap;
        }
    };
    const char* lumNames[4] = {"ButtonLummm", "ButtonLumm", "ButtonLump", "ButtonLumpp"};
    const QString lumHints[4] = {QStringLiteral("Grande diminution de la luminosité"),
                                 QStringLiteral("Petite diminution de la luminosité"),
                                 QStringLiteral("Petite augmentation de la luminosité"),
                                 QStringLiteral("Grande augmentation de la luminosité")};
    QPushButton** lum[4] = {&ButtonLummm, &ButtonLumm, &ButtonLump, &ButtonLumpp};
    row(y0, lumNames, lumHints, QStringLiteral("Luminosite"), "Label4",
        QStringLiteral("Contrôle de la luminosité"), lum, &Label4);
    const char* conNames[4] = {"ButtonConmm", "ButtonConm", "ButtonConp", "ButtonConpp"};
    const QString conHints[4] = {QStringLiteral("Grande diminution du contraste"),
                                 QStringLiteral("Petite diminution du contraste"),
                                 QStringLiteral("Petite augmentation du contraste"),
                                 QStringLiteral("Grande augmentation du contraste")};
    QPushButton** con[4] = {&ButtonConmm, &ButtonConm, &ButtonConp, &ButtonConpp};
    row(y1, conNames, conHints, QStringLiteral("Contraste"), "LabelCont",
        QStringLiteral("Contrôle du contraste"), con, &LabelCont);

    LabelFunction = Named(BoldLabel(this, QStringLiteral("Fonction"), false), "LabelFunction",
                          QStringLiteral("Fonction d'affichage entre les seuils"), {8, 170, 76, 22});
    DisplayFunction =
        Named(new QComboBox(this), "DisplayFunction",
              QStringLiteral("Fonction d'affichage entre les seuils : Racine carrée, Logarithme et "
                             "Asinh montrent les parties faibles sans saturer les brillantes"),
              {90, 170, 140, 22});
    for (TDisplayFunction f : kDisplayFunctions)
        DisplayFunction->addItem(QString::fromUtf8(DisplayFunctionCaption(f).data(),
                                                   static_cast<qsizetype>(DisplayFunctionCaption(f).size())));
    AutoZscale =
        Named(new QPushButton(QStringLiteral("Auto zscale"), this), "AutoZscale",
              QStringLiteral("Seuils zscale calculés sur l'image, affichage linéaire"), {238, 170, 82, 22});
    AutoMtf = Named(new QPushButton(QStringLiteral("Auto MTF"), this), "AutoMtf",
                    QStringLiteral("Seuils et fonction MTF calculés sur l'image : le fond du ciel au "
                                   "quart de l'échelle"),
                    {326, 170, 82, 22});
    Histogram = new THistogramView(this);
    Histogram->setGeometry(8, 200, 400, 106);
    Histogram->OnMarkerMove = [this](TThresholdMarker marker, double place) {
        RunCommand([&] { HistogramMarkerMove(marker, place); });
    };

    for (QWidget* c : std::initializer_list<QWidget*>{
             Invert,          Stel,        Planet,      editsh,     Editsb,      ScrollBarsh,
             ScrollBarsb,     Fast,        Normal,      Slow,       ButtonLummm, ButtonLumm,
             ButtonLump,      ButtonLumpp, ButtonConmm, ButtonConm, ButtonConp,  ButtonConpp,
             DisplayFunction, Histogram,   AutoZscale,  AutoMtf})
        c->setEnabled(false);

    // Every command runs through RunCommand: an error reaches the error box.
    auto on = [this](auto* sender, auto signal, void (TFormSeuils::*handler)()) {
        connect(sender, signal, this, [this, handler] { RunCommand([&] { (this->*handler)(); }); });
    };
    on(ButtonLummm, &QPushButton::clicked, &TFormSeuils::ButtonLummmClick);
    on(ButtonLumm, &QPushButton::clicked, &TFormSeuils::ButtonLummClick);
    on(ButtonLump, &QPushButton::clicked, &TFormSeuils::ButtonLumpClick);
    on(ButtonLumpp, &QPushButton::clicked, &TFormSeuils::ButtonLumppClick);
    on(ButtonConmm, &QPushButton::clicked, &TFormSeuils::ButtonConmmClick);
    on(ButtonConm, &QPushButton::clicked, &TFormSeuils::ButtonConmClick);
    on(ButtonConp, &QPushButton::clicked, &TFormSeuils::ButtonConpClick);
    on(ButtonConpp, &QPushButton::clicked, &TFormSeuils::ButtonConppClick);
    on(Invert, &QToolButton::clicked, &TFormSeuils::InvertClick);
    on(Stel, &QToolButton::clicked, &TFormSeuils::StelClick);
    on(Planet, &QToolButton::clicked, &TFormSeuils::PlanetClick);
    connect(AutoZscale, &QPushButton::clicked, this,
            [this] { RunCommand([this] { AutoDisplayClick(TAutoDisplay::ZScale); }); });
    connect(AutoMtf, &QPushButton::clicked, this,
            [this] { RunCommand([this] { AutoDisplayClick(TAutoDisplay::Mtf); }); });
    // A speed choice acts when it becomes checked.
    const std::pair<QRadioButton*, void (TFormSeuils::*)()> speeds[] = {{Fast, &TFormSeuils::FastClick},
                                                                        {Normal, &TFormSeuils::NormalClick},
                                                                        {Slow, &TFormSeuils::SlowClick}};
    for (const auto& [radio, handler] : speeds)
        connect(radio, &QRadioButton::toggled, this, [this, handler = handler](bool checked) {
            if (checked) RunCommand([&] { (this->*handler)(); });
        });
    // Arrows, pages and thumb dragging all change the position; the document follows it.
    connect(ScrollBarsh, &QScrollBar::valueChanged, this,
            [this](int position) { RunCommand([&] { ScrollBarshScroll(position); }); });
    connect(ScrollBarsb, &QScrollBar::valueChanged, this,
            [this](int position) { RunCommand([&] { ScrollBarsbScroll(position); }); });
    connect(DisplayFunction, &QComboBox::activated, this,
            [this](int index) { RunCommand([&] { DisplayFunctionChange(index); }); });
    editsh->installEventFilter(this);
    Editsb->installEventFilter(this);
    connect(&workspace_, &TWorkspace::ThresholdsPushed, this, &TFormSeuils::ShowThresholds);
    connect(&workspace_, &TWorkspace::RuleApplied, this,
            [this](const auto& states) { ApplyRuleTo(*this, states); });
    connect(&workspace_, &TWorkspace::CurrentImageChanged, this, [this] { ShowCurrentImage(); });
    connect(&workspace_, &TWorkspace::ImageShown, this, [this](TFormImage* image) {
        if (image == workspace_.CurrentImage()) ShowCurrentImage();
    });
}

TImageDocument* TFormSeuils::Document() const {
    TFormImage* image = workspace_.CurrentImage();
    return image ? &image->Document() : nullptr;
}

void TFormSeuils::ShowThresholds(double high, double low) {
    TThresholdState s = State();
    PushThresholds(s, high, low);
    WriteState(s);
}

TThresholdState TFormSeuils::State() const {
    TThresholdState s;
    s.HighBar = ScrollBarsh->value();
    s.LowBar = ScrollBarsb->value();
    s.HighText = editsh->text().toStdString();
    s.LowText = Editsb->text().toStdString();
    s.Steps = {ScrollBarsh->singleStep(), ScrollBarsh->pageStep()};
    if (const TImageDocument* doc = Document()) {
        s.HighThreshold = doc->HighThreshold;
        s.LowThreshold = doc->LowThreshold;
    }
    return s;
}

void TFormSeuils::WriteState(const TThresholdState& s) {
    {
        // Setting a bar from here is not the user scrolling it: no handler runs.
        const QSignalBlocker blockHigh(ScrollBarsh), blockLow(ScrollBarsb);
        ScrollBarsh->setValue(s.HighBar);
        ScrollBarsb->setValue(s.LowBar);
    }
    editsh->setText(QString::fromStdString(s.HighText));
    Editsb->setText(QString::fromStdString(s.LowText));
    // A long real threshold shows its leading digits.
    editsh->setCursorPosition(0);
    Editsb->setCursorPosition(0);
    if (TImageDocument* doc = Document()) {
        doc->HighThreshold = s.HighThreshold;
        doc->LowThreshold = s.LowThreshold;
        Histogram->SetThresholds(doc->HighThreshold, doc->LowThreshold, doc->DisplayFunction,
                                 doc->MidtonesBalance);
    }
}

void TFormSeuils::ShowCurrentImage() {
    if (!isVisible()) return;
    TFormImage* image = workspace_.CurrentImage();
    if (!image || !HasRawValues(image->Document().Kind)) {
        Histogram->SetHistogram({});
        Histogram->SetChannels({});
        return;
    }
    const TImageDocument& doc = image->Document();
    Histogram->SetHistogram(image->Summary().Histogram);
    std::vector<std::vector<uint64_t>> channels;
    if (const std::optional<TColourPlanes> planes = image->ColourPlanes())
        for (const TValuePlane& plane : planes->Channels)
            channels.push_back(CountsOnAxis(plane, Histogram->Histogram()));
    Histogram->SetChannels(std::move(channels));
    Histogram->SetThresholds(doc.HighThreshold, doc.LowThreshold, doc.DisplayFunction, doc.MidtonesBalance);
    const QSignalBlocker block(DisplayFunction);
    DisplayFunction->setCurrentIndex(static_cast<int>(doc.DisplayFunction));
}

void TFormSeuils::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ShowCurrentImage();
}

void TFormSeuils::Act(const std::function<void(TThresholdState&)>& step) {
    TFormImage* image = workspace_.CurrentImage();
    if (!image) return;
    TThresholdState s = State();
    const double high = s.HighThreshold, low = s.LowThreshold;
    try {
        step(s);
    } catch (...) {
        // What the step did before failing stays, as the controls show it; the picture
        // is not rendered, but a document whose thresholds moved asks to be saved.
        WriteState(s);
        TImageDocument& doc = image->Document();
        if ((s.HighThreshold != high || s.LowThreshold != low) &&
            (doc.Kind == kKindPic || doc.Kind == kKindFits))
            doc.Modified = true;
        throw;
    }
    WriteState(s);
    image->DisplayChanged();
}

void TFormSeuils::ApplyThresholds() {
    Act([](TThresholdState& s) { orv::ApplyThresholds(s); });
}

void TFormSeuils::ScrollBarshScroll(int position) {
    Act([position](TThresholdState& s) { ScrollHigh(s, position); });
}

void TFormSeuils::ScrollBarsbScroll(int position) {
    Act([position](TThresholdState& s) { ScrollLow(s, position); });
}

bool TFormSeuils::editshKeyPress(int key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    const std::string text = editsh->text().toStdString();
    RunCommand([&] { Act([&](TThresholdState& s) { EnterHigh(s, text); }); });
    return true;
}

bool TFormSeuils::EditsbKeyPress(int key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    const std::string text = Editsb->text().toStdString();
    RunCommand([&] { Act([&](TThresholdState& s) { EnterLow(s, text); }); });
    return true;
}

void TFormSeuils::SetSteps(TSpeed speed) {
    const TSteps steps = StepsOf(speed);
    for (QScrollBar* bar : {ScrollBarsh, ScrollBarsb}) {
        bar->setSingleStep(steps.Small);
        bar->setPageStep(steps.Large);
    }
}

void TFormSeuils::FastClick() {
    SetSteps(TSpeed::Fast);
}

void TFormSeuils::NormalClick() {
    SetSteps(TSpeed::Normal);
}

void TFormSeuils::SlowClick() {
    SetSteps(TSpeed::Slow);
}

void TFormSeuils::ButtonLummmClick() {
    Act([](TThresholdState& s) { Brightness(s, false, TStepSize::Large); });
}

void TFormSeuils::ButtonLummClick() {
    Act([](TThresholdState& s) { Brightness(s, false, TStepSize::Small); });
}

void TFormSeuils::ButtonLumpClick() {
    Act([](TThresholdState& s) { Brightness(s, true, TStepSize::Small); });
}

void TFormSeuils::ButtonLumppClick() {
    Act([](TThresholdState& s) { Brightness(s, true, TStepSize::Large); });
}

void TFormSeuils::ButtonConmmClick() {
    Act([](TThresholdState& s) { ContrastDown(s, TStepSize::Large); });
}

void TFormSeuils::ButtonConmClick() {
    Act([](TThresholdState& s) { ContrastDown(s, TStepSize::Small); });
}

void TFormSeuils::ButtonConpClick() {
    Act([](TThresholdState& s) { ContrastUp(s, TStepSize::Small); });
}

void TFormSeuils::ButtonConppClick() {
    Act([](TThresholdState& s) { ContrastUp(s, TStepSize::Large); });
}

void TFormSeuils::InvertClick() {
    const TImageDocument* doc = Document();
    if (!doc || !InversionApplies(doc->Kind)) return;
    Act([](TThresholdState& s) { InvertThresholds(s); });
}

void TFormSeuils::Preset(void (*preset)(TThresholdState&, const TStatistics&)) {
    const TImageDocument* doc = Document();
    if (!doc || !PresetsApply(doc->Kind)) return;
    // A picture shown in colour is measured on its channels, not on the raw mosaic.
    TFormImage* image = workspace_.CurrentImage();
    const std::optional<TColourPlanes> planes = image->ColourPlanes();
    const TStatistics stats = planes ? ColourPresetStatistics(*planes) : image->Summary().Statistics;
    Act([&](TThresholdState& s) { preset(s, stats); });
}

void TFormSeuils::DisplayFunctionChange(int index) {
    TFormImage* image = workspace_.CurrentImage();
    if (!image || !HasRawValues(image->Document().Kind) || index < 0 ||
        index >= static_cast<int>(std::size(kDisplayFunctions)))
        return;
    image->Document().DisplayFunction = kDisplayFunctions[index];
    image->ViewChanged();
}

void TFormSeuils::AutoDisplayClick(TAutoDisplay mode) {
    TFormImage* image = workspace_.CurrentImage();
    if (!image || !HasRawValues(image->Document().Kind)) return;
    TImageDocument& doc = image->Document();
    ApplyAutoDisplay(doc, mode);
    ShowThresholds(doc.HighThreshold, doc.LowThreshold);
    image->ViewChanged();
}

void TFormSeuils::HistogramMarkerMove(TThresholdMarker marker, double place) {
    const TImageDocument* doc = Document();
    if (!doc || !HasRawValues(doc->Kind) || marker == TThresholdMarker::None) return;
    const bool high = marker == TThresholdMarker::High;
    const bool whole = doc->PixelType == kPixelInt16 || doc->PixelType == kPixelInt32;
    const double value = MarkerValue(Histogram->Histogram(), place, whole);
    if (whole) {
        (high ? ScrollBarsh : ScrollBarsb)->setValue(BarPosition(static_cast<int64_t>(value)));
        return;
    }
    const std::string text = FormatReal15(value);
    Act([&](TThresholdState& s) { high ? EnterHigh(s, text) : EnterLow(s, text); });
}

void TFormSeuils::StelClick() {
    Preset(&DeepSkyPreset);
}

void TFormSeuils::PlanetClick() {
    Preset(&PlanetPreset);
}

bool TFormSeuils::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && (watched == editsh || watched == Editsb)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        return watched == editsh ? editshKeyPress(key) : EditsbKeyPress(key);
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace orv::ui
