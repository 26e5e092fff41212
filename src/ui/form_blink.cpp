#include "ui/form_blink.h"

#include "core/anim/anim_save.h"
#include "core/anim/frame_compose.h"
#include "core/base/progress.h"
#include "ui/application.h"
#include "ui/dialogs.h"
#include "ui/display_picture.h"
#include "ui/form_anim2.h"
#include "ui/form_image.h"
#include "ui/workspace.h"

#include <QAction>
#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cmath>

namespace orv::ui {

namespace {

QImage PictureOf(const TBitmap& bitmap) {
    return DisplayPicture(bitmap.ToBmpFile());
}

QString Signed(int32_t v) {
    return v > 0 ? QStringLiteral("+%1").arg(v) : QString::number(v);
}

} // namespace

TFormBlink::TFormBlink(TWorkspace& workspace, const QList<TFormImage*>& images, QWidget* parent)
    : QWidget(parent, Qt::Window), workspace_(workspace) {
    setObjectName("FormBlink");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Comparer deux images"));

    ImageA = new QComboBox;
    ImageA->setObjectName("ImageA");
    ImageB = new QComboBox;
    ImageB->setObjectName("ImageB");
    for (TFormImage* image : images) {
        if (image->Document().PixelType == kPixelNone) continue; // a picture has no values to compare
        images_.emplace_back(image);
        const QString name =
            QStringLiteral("%1 %2").arg(images_.size()).arg(QFileInfo(image->FileName()).fileName());
        ImageA->addItem(name);
        ImageB->addItem(name);
    }
    ImageA->setCurrentIndex(images_.empty() ? -1 : 0);
    ImageB->setCurrentIndex(images_.size() < 2 ? -1 : 1);
    Alignement = new QComboBox;
    Alignement->setObjectName("Alignement");
    Alignement->addItems({QStringLiteral("aucun"), QStringLiteral("étoiles"), QStringLiteral("coordonnées")});
    Alignement->setCurrentIndex(1);

    Basculer = new QPushButton(QStringLiteral("Basculer (Espace)"));
    Basculer->setObjectName("Basculer");
    Clignoter = new QCheckBox(QStringLiteral("Clignoter toutes les"));
    Clignoter->setObjectName("Clignoter");
    Periode = new QDoubleSpinBox;
    Periode->setObjectName("Periode");
    Periode->setRange(0.25, 5);
    Periode->setSingleStep(0.25);
    Periode->setDecimals(2);
    Periode->setValue(0.5);
    Periode->setSuffix(QStringLiteral(" s"));
    Difference = new QCheckBox(QStringLiteral("Différence A − B, seuils"));
    Difference->setObjectName("Difference");
    SeuilBas = new QDoubleSpinBox;
    SeuilBas->setObjectName("SeuilBas");
    SeuilHaut = new QDoubleSpinBox;
    SeuilHaut->setObjectName("SeuilHaut");
    for (QDoubleSpinBox* box : {SeuilBas, SeuilHaut}) {
        box->setRange(-1e9, 1e9);
        box->setDecimals(1);
    }
    EnregistrersousGif = new QPushButton(QStringLiteral("Enregistrer sous Gif"));
    EnregistrersousGif->setObjectName("EnregistrersousGif");
    Legend = new QLabel;
    Legend->setObjectName("Legend");

    Image1 = new QLabel;
    Image1->setObjectName("Image1");
    ScrollBox = new QScrollArea;
    ScrollBox->setObjectName("ScrollBox");
    ScrollBox->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ScrollBox->setWidget(Image1);
    Timer = new QTimer(this);
    Timer->setObjectName("Timer");

    auto* choices = new QHBoxLayout;
    choices->addWidget(new QLabel(QStringLiteral("A :")));
    choices->addWidget(ImageA, 1);
    choices->addWidget(new QLabel(QStringLiteral("B :")));
    choices->addWidget(ImageB, 1);
    choices->addWidget(new QLabel(QStringLiteral("Alignement :")));
    choices->addWidget(Alignement);
    auto* view = new QHBoxLayout;
    view->addWidget(Basculer);
    view->addWidget(Clignoter);
    view->addWidget(Periode);
    view->addSpacing(12);
    view->addWidget(Difference);
    view->addWidget(SeuilBas);
    view->addWidget(SeuilHaut);
    view->addStretch(1);
    view->addWidget(EnregistrersousGif);
    auto* column = new QVBoxLayout(this);
    column->addLayout(choices);
    column->addLayout(view);
    column->addWidget(Legend);
    column->addWidget(ScrollBox, 1);

    // The space bar blinks by hand wherever the focus is in the window.
    auto* toggle = new QAction(this);
    toggle->setShortcut(Qt::Key_Space);
    toggle->setShortcutContext(Qt::WindowShortcut);
    addAction(toggle);
    connect(toggle, &QAction::triggered, this, [this] { RunCommand([this] { ToggleClick(); }); });
    connect(Basculer, &QPushButton::clicked, this, [this] { RunCommand([this] { ToggleClick(); }); });
    connect(Timer, &QTimer::timeout, this, [this] { RunCommand([this] { TimerTimer(); }); });
    connect(Clignoter, &QCheckBox::toggled, this, [this] { RunCommand([this] { BlinkClick(); }); });
    connect(Periode, &QDoubleSpinBox::valueChanged, this, [this] { RunCommand([this] { BlinkClick(); }); });
    connect(Difference, &QCheckBox::toggled, this, [this] { RunCommand([this] { DifferenceClick(); }); });
    for (QDoubleSpinBox* box : {SeuilBas, SeuilHaut})
        connect(box, &QDoubleSpinBox::valueChanged, this,
                [this] { RunCommand([this] { ContrastChanged(); }); });
    for (QComboBox* box : {ImageA, ImageB, Alignement})
        connect(box, &QComboBox::currentIndexChanged, this,
                [this] { RunCommand([this] { CompareClick(); }); });
    connect(EnregistrersousGif, &QPushButton::clicked, this,
            [this] { RunCommand([this] { EnregistrersousGifClick(); }); });
    CompareClick();
    // The picture whole where the screen has room for it.
    const QSize picture = first_.isNull() ? QSize(320, 240) : first_.size();
    const int edges = 2 * ScrollBox->frameWidth() + 2;
    QSize size(std::max(sizeHint().width(), picture.width() + edges + 24),
               sizeHint().height() - ScrollBox->sizeHint().height() + picture.height() + edges);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    resize(size);
}

void TFormBlink::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Space || event->modifiers() != Qt::NoModifier)
        return QWidget::keyPressEvent(event);
    RunCommand([this] { ToggleClick(); });
}

uint16_t TFormBlink::Delay() const {
    return uint16_t(std::lround(Periode->value() * 100));
}

void TFormBlink::CompareClick() {
    pair_.reset();
    first_ = second_ = difference_ = QImage();
    const int a = ImageA->currentIndex(), b = ImageB->currentIndex();
    const TFormImage* first = a >= 0 ? images_[size_t(a)].data() : nullptr;
    const TFormImage* second = b >= 0 ? images_[size_t(b)].data() : nullptr;
    const auto refuse = [this](const QString& why) {
        Legend->setText(why);
        Show(TShown::First);
    };
    if (!first || !second) return refuse(QStringLiteral("Il faut deux images ouvertes avec leurs valeurs."));
    if (a == b) return refuse(QStringLiteral("Choisissez deux images différentes."));
    TWaitCursor wait;
    const auto method = std::array{TAlignMethod::None, TAlignMethod::Stars,
                                   TAlignMethod::Sky}[size_t(std::max(0, Alignement->currentIndex()))];
    display_ = DisplaySettingsOf(first->Document());
    try {
        // A colour picture is compared as its window shows it, from the planes the window keeps.
        const std::optional<TColourPlanes> a = first->ColourPlanes(), b = second->ColourPlanes();
        pair_ = MakeBlinkPair(*CopyFrameSource(first->Document(), first->Debayer()),
                              *CopyFrameSource(second->Document(), second->Debayer()), method,
                              a ? &*a : nullptr, b ? &*b : nullptr);
    } catch (const EOrvanelError& e) {
        // Not aligned (too few stars, another field, no WCS): said in the window, nothing shown.
        return refuse(QString::fromStdString(e.what()));
    }
    const std::vector<TAnimImg> frames = BlinkFrames(*pair_, display_, Delay());
    first_ = PictureOf(frames[0].Bitmap);
    second_ = PictureOf(frames[1].Bitmap);
    {
        const QSignalBlocker low(SeuilBas), high(SeuilHaut);
        SeuilBas->setValue(pair_->Contrast.LowThreshold);
        SeuilHaut->setValue(pair_->Contrast.HighThreshold);
    }
    ContrastChanged();
    Image1->resize(first_.size());
    Show(shown_);
}

void TFormBlink::ContrastChanged() {
    if (!pair_) return;
    TDisplaySettings contrast = pair_->Contrast;
    contrast.LowThreshold = SeuilBas->value();
    contrast.HighThreshold = SeuilHaut->value();
    difference_ = PictureOf(PictureBitmap(ComposeRaw(pair_->Difference, contrast, "", TAnimOptions())));
    if (shown_ == TShown::Difference) Show(shown_);
}

void TFormBlink::Show(TShown shown) {
    shown_ = shown;
    {
        const QSignalBlocker quiet(Difference);
        Difference->setChecked(shown == TShown::Difference);
    }
    const QImage& picture = shown == TShown::First ? first_ : shown == TShown::Second ? second_ : difference_;
    Image1->setPixmap(QPixmap::fromImage(picture));
    Image1->resize(picture.size());
    for (QWidget* w :
         std::initializer_list<QWidget*>{Basculer, Clignoter, Periode, Difference, EnregistrersousGif})
        w->setEnabled(pair_.has_value());
    SeuilBas->setEnabled(shown == TShown::Difference);
    SeuilHaut->setEnabled(shown == TShown::Difference);
    if (!pair_) return;
    const TOffset move = pair_->Move;
    const QString moved = QStringLiteral("B déplacée de X %1, Y %2 pixels ; partie commune %3 x %4")
                              .arg(Signed(move.X), Signed(move.Y))
                              .arg(pair_->First.Width)
                              .arg(pair_->First.Height);
    const QString which = shown == TShown::First    ? QStringLiteral("A : ") + ImageA->currentText()
                          : shown == TShown::Second ? QStringLiteral("B : ") + ImageB->currentText()
                                                    : QStringLiteral("A − B");
    Legend->setText(which + QStringLiteral(" — ") + moved);
}

void TFormBlink::ToggleClick() {
    if (pair_) Show(shown_ == TShown::First ? TShown::Second : TShown::First);
}

void TFormBlink::TimerTimer() {
    ToggleClick();
}

void TFormBlink::BlinkClick() {
    Timer->setInterval(int(Delay()) * 10);
    ApplyTimer();
}

void TFormBlink::ApplyTimer() {
    const bool run = Clignoter->isChecked() && pair_ && !ManualTimers();
    if (run && !Timer->isActive()) Timer->start();
    if (!run) Timer->stop();
}

void TFormBlink::DifferenceClick() {
    // The difference holds still: blinking stops while it shows.
    if (Difference->isChecked()) Clignoter->setChecked(false);
    Show(Difference->isChecked() ? TShown::Difference : TShown::First);
}

void TFormBlink::EnregistrersousGifClick() {
    if (!pair_ || saving_) return;
    const QString chosen = Dialogs().SaveFileName(this, SaveDialogFilter(), workspace_.FileDialogFolder());
    if (chosen.isEmpty()) return;
    workspace_.RememberFolderOf(chosen);
    const QString name = QString::fromStdString(AnimationFileName(chosen.toStdString()));
    if (QFileInfo::exists(name) &&
        Dialogs().Message(TMsgKind::Confirmation, TButtons::YesNo,
                          QString::fromStdString(OverwriteQuestion(name.toStdString()))) != TAnswer::Yes)
        return;
    // The two frames as the window shows them, each for the blinking period.
    const std::vector<TAnimImg> frames = BlinkFrames(*pair_, display_, Delay());
    // The progress window lets events through: the window may be closed meanwhile.
    struct TSaveEnd {
        TWorkspace& Workspace;
        QPointer<TFormBlink> Self;
        ~TSaveEnd() {
            Workspace.HideProgress();
            if (Self) Self->saving_ = false;
        }
    } end{workspace_, this};
    saving_ = true;
    TProgress progress(workspace_.ProgressReport());
    SaveAnimation(frames, QFile::encodeName(name).toStdString(), progress);
}

} // namespace orv::ui
