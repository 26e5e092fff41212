// The builder's file column: GIF frames written as what they change ("Optimiser la taille",
// kept between sessions with its tolerance), what the tolerance means in the image's values,
// the size saving will write, estimated on a thread of its own so that the window never waits
// for it, and the delays of 0 or 1 hundredth that browsers play as 10.
#include "ui/anim/form_cree_anim.h"

#include "core/anim/anim_estimate.h"
#include "core/anim/delays.h"
#include "core/anim/steady_series.h"
#include "core/anim/tolerance.h"
#include "core/gif/frame_delta.h"
#include "core/text/size_text.h"
#include "ui/anim/anim_thumbnail.h"
#include "ui/shell/application.h"
#include "ui/shell/settings_store.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QThreadPool>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace orv::ui {

namespace {

constexpr int kColumnsLeft = 280;
constexpr int kColumnsMargin = 12;
constexpr int kColumnsWidth = 250;

const QString kOptimizeKey = QStringLiteral("animation/optimiser");
const QString kToleranceKey = QStringLiteral("animation/tolerance");

QString SizeLine(const QString& size) {
    return QStringLiteral("Taille estimée : ") + size;
}

} // namespace

void TFormCreeAnim::CreateFileControls() {
    GroupFichier = new QGroupBox(QStringLiteral("Taille du fichier"), this);
    GroupFichier->setObjectName("GroupFichier");
    auto* layout = new QVBoxLayout(GroupFichier);
    CheckOptimiser = new QCheckBox(QStringLiteral("Optimiser la taille"), GroupFichier);
    CheckOptimiser->setObjectName("CheckOptimiser");
    CheckOptimiser->setToolTip(
        QStringLiteral("Dans un GIF, chaque image après la première n'écrit que ce qui "
                       "change : les images montrées restent les mêmes"));
    layout->addWidget(CheckOptimiser);
    LabelTolerance = new QLabel(QStringLiteral("Tolérance :"), GroupFichier);
    LabelTolerance->setObjectName("LabelTolerance");
    SpinTolerance = new QSpinBox(GroupFichier);
    SpinTolerance->setObjectName("SpinTolerance");
    SpinTolerance->setRange(0, kMaxTolerance);
    SpinTolerance->setSuffix(QStringLiteral(" niveaux"));
    SpinTolerance->setToolTip(QStringLiteral("Un pixel à moins de tant de niveaux d'affichage de celui "
                                             "montré le garde : le bruit ne coûte plus rien"));
    auto* row = new QHBoxLayout;
    row->addWidget(LabelTolerance);
    row->addWidget(SpinTolerance, 1);
    layout->addLayout(row);
    LabelToleranceAdu = new QLabel(GroupFichier);
    LabelToleranceAdu->setObjectName("LabelToleranceAdu");
    layout->addWidget(LabelToleranceAdu);
    LabelTaille = new QLabel(SizeLine(QStringLiteral("—")), GroupFichier);
    LabelTaille->setObjectName("LabelTaille");
    LabelTaille->setToolTip(QStringLiteral("La taille du fichier GIF que l'enregistrement écrira"));
    layout->addWidget(LabelTaille);
    LabelDelaisCourts = new QLabel(GroupFichier);
    LabelDelaisCourts->setObjectName("LabelDelaisCourts");
    // Two lines whether or not a frame is named, so that the column keeps its height.
    LabelDelaisCourts->setMinimumHeight(2 * LabelDelaisCourts->fontMetrics().lineSpacing());
    layout->addWidget(LabelDelaisCourts);
    BitPorter = new QPushButton(QStringLiteral("Porter à 2 centièmes"), GroupFichier);
    BitPorter->setObjectName("BitPorter");
    BitPorter->setToolTip(QStringLiteral("Les délais de 0 ou 1 centième passent à 2"));
    layout->addWidget(BitPorter);

    const QSettings settings = ProgramSettings();
    CheckOptimiser->setChecked(settings.value(kOptimizeKey, false).toBool());
    SpinTolerance->setValue(std::clamp(settings.value(kToleranceKey, 0).toInt(), 0, kMaxTolerance));
    SpinTolerance->setEnabled(CheckOptimiser->isChecked());
    Builder.Options.Optimize = CheckOptimiser->isChecked();
    Builder.Options.Tolerance = Builder.Options.Optimize ? SpinTolerance->value() : 0;

    connect(CheckOptimiser, &QCheckBox::toggled, this, [this] { RunCommand([this] { OptionsChange(); }); });
    connect(SpinTolerance, &QSpinBox::valueChanged, this,
            [this] { RunCommand([this] { OptionsChange(); }); });
    connect(BitPorter, &QPushButton::clicked, this, [this] { RunCommand([this] { BitPorterClick(); }); });
    connect(this, &TFormCreeAnim::AnimationChanged, this, &TFormCreeAnim::ShowFileFacts);

    for (int k = 0; k < 3; ++k) {
        auto* mark = new QLabel(QStringLiteral("délai court"), Panel1);
        mark->setObjectName(QStringLiteral("ShortMark%1").arg(k + 1));
        mark->setToolTip(
            QStringLiteral("Délai de 0 ou 1 centième : joué à 10 centièmes par les navigateurs"));
        mark->setStyleSheet(QStringLiteral("QLabel { background: #f0a020; color: black; padding: 0 2px; }"));
        mark->adjustSize();
        const QRect slot = Backgrounds[k]->geometry();
        mark->move(slot.right() + 1 - mark->width(), slot.top());
        mark->hide();
        ShortMarks[k] = mark;
    }
    estimatePool_ = new QThreadPool(this);
    estimatePool_->setMaxThreadCount(1);
    ShowFileFacts();
}

void TFormCreeAnim::KeepFileSettings() {
    QSettings settings = ProgramSettings();
    settings.setValue(kOptimizeKey, CheckOptimiser->isChecked());
    settings.setValue(kToleranceKey, SpinTolerance->value());
}

void TFormCreeAnim::PlaceOptionColumns() {
    const QSize options = GroupReglages->sizeHint(), file = GroupFichier->sizeHint();
    const int left = std::max(kColumnsLeft, SpinInter->geometry().right() + 1 + kColumnsMargin);
    const int width = std::max({kColumnsWidth, options.width(), file.width()});
    GroupReglages->setGeometry(left, 8, width, options.height());
    const int below = GroupReglages->geometry().bottom() + 1 + 8;
    if (below + file.height() <= BitQuit->geometry().bottom() + 1)
        GroupFichier->setGeometry(left, below, width, file.height());
    else
        GroupFichier->setGeometry(left + width + kColumnsMargin, 8, width, file.height());
}

void TFormCreeAnim::BitPorterClick() {
    if (Builder.Locked()) return;
    Builder.RaiseShortDelays();
    emit AnimationChanged();
}

void TFormCreeAnim::ShowShortMarks() {
    for (int k = 0; k < 3; ++k) {
        const int32_t index = Builder.SlotFrame(k + 1);
        ShortMarks[k]->setVisible(index >= 0 &&
                                  IsShortDelay(Builder.Frames[static_cast<size_t>(index)].Delay));
        ShortMarks[k]->raise();
    }
}

void TFormCreeAnim::ShowFileFacts() {
    ShowShortMarks();
    const size_t shortDelays = ShortDelayFrames(Builder.Frames).size();
    LabelDelaisCourts->setText(
        shortDelays == 0 ? QString()
        : shortDelays == 1
            ? QStringLiteral("1 image a un délai de 0 ou 1 centième,\njoué à 10 par les navigateurs")
            : QStringLiteral("%1 images ont un délai de 0 ou 1 centième,\njoué à 10 par les navigateurs")
                  .arg(shortDelays));
    BitPorter->setEnabled(shortDelays > 0);
    const int levels = SpinTolerance->value();
    LabelToleranceAdu->setText(levels == 0 ? QStringLiteral("Sans perte")
                                           : QString::fromStdString(ToleranceText(levels, Builder.Frames)));
    RequestEstimate();
}

void TFormCreeAnim::RequestEstimate() {
    TEstimateKey key{{}, Builder.Options};
    for (const TAnimImg& f : Builder.Frames) {
        key.Frames.push_back(f.Bitmap.Pixels.data());
        key.Frames.push_back(f.Source.get());
    }
    if (estimateKey_ == key) return; // a delay or the selection changed: not the file's size
    estimateKey_ = std::move(key);
    ++estimateRequest_;
    places_.clear();
    ShowPlaces();
    if (Builder.Frames.empty()) {
        LabelTaille->setText(SizeLine(QStringLiteral("—")));
        return;
    }
    LabelTaille->setText(SizeLine(QStringLiteral("…")));
    if (estimateRunning_)
        estimatePending_ = true;
    else
        StartEstimate();
}

void TFormCreeAnim::StartEstimate() {
    estimateRunning_ = true;
    estimatePending_ = false;
    // The frames may change while the estimate runs: it reads its own copy.
    const auto frames = std::make_shared<const std::vector<TAnimImg>>(Builder.Frames);
    const TAnimOptions options = Builder.Options;
    const uint64_t request = estimateRequest_;
    estimatePool_->start([this, frames, options, request] {
        std::optional<uint64_t> bytes;
        QStringList places;
        try {
            // Placed once, for the estimate and for the places shown.
            const std::vector<TFramePlan> plans = PlanFrames(*frames, options);
            try {
                bytes = EstimateAnimationSize(*frames, options, plans);
            } catch (...) {
                // No estimate: saving will say what is wrong.
            }
            if (options.Steadied())
                for (const TFramePlan& plan : plans)
                    places << (plan.Options ? QStringLiteral("Décalage : X %1, Y %2")
                                                  .arg(plan.Move.X, 0, 10)
                                                  .arg(plan.Move.Y, 0, 10)
                                            : QString::fromStdString(plan.Report));
        } catch (...) {
            // Nothing estimated or placed: saving will say why the frames cannot be placed.
        }
        // Queued to the window's thread; the window waits for this thread before it goes.
        QMetaObject::invokeMethod(
            this, [this, request, bytes, places] { EstimateDone(request, bytes, places); },
            Qt::QueuedConnection);
    });
}

void TFormCreeAnim::ShowPlaces() {
    for (int k = 0; k < 3; ++k) {
        const int32_t index = Builder.SlotFrame(k + 1);
        Images[k]->setToolTip(index >= 0 && index < places_.size() ? places_[index] : QString());
    }
}

void TFormCreeAnim::EstimateDone(uint64_t request, std::optional<uint64_t> bytes, QStringList places) {
    estimateRunning_ = false;
    if (estimatePending_) {
        StartEstimate();
        return;
    }
    if (request != estimateRequest_) return;
    places_ = std::move(places);
    ShowPlaces();
    LabelTaille->setText(
        SizeLine(bytes && *bytes > 0 ? QString::fromStdString(SizeText(*bytes)) : QStringLiteral("—")));
    emit SizeEstimated();
}

} // namespace orv::ui
