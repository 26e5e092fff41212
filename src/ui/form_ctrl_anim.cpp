#include "ui/form_ctrl_anim.h"

#include "core/anim/player_state.h"
#include "ui/anim_glyphs.h"
#include "ui/application.h"
#include "ui/form_anim2.h"
#include "ui/form_cree_anim.h"

#include <QCloseEvent>
#include <QFrame>
#include <QSlider>
#include <QToolButton>

namespace orv::ui {

TFormCtrlAnim* FormCtrlAnim = nullptr;

namespace {

// A step shown by the player, with the slider following it.
void Apply(const std::optional<TPlayerShow>& shown) {
    if (!shown || !FormAnim2) return;
    FormAnim2->ShowFrame(shown->Frame);
    if (FormCtrlAnim) FormCtrlAnim->TrackBar->setValue(shown->Slider);
}

const std::vector<TAnimImg>& Frames() {
    static const std::vector<TAnimImg> none;
    return FormCreeAnim ? FormCreeAnim->Builder.Frames : none;
}

} // namespace

TFormCtrlAnim::TFormCtrlAnim(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName("FormCtrlAnim");
    setWindowTitle(QStringLiteral("Contrôles de l'animation"));
    setFixedSize(236, 73);
    TrackBar = new QSlider(Qt::Horizontal, this);
    TrackBar->setObjectName("TrackBar");
    TrackBar->setGeometry(0, 0, 236, 40);
    TrackBar->setRange(0, 0);
    TrackBar->setSingleStep(1);
    TrackBar->setPageStep(1);
    TrackBar->setTickPosition(QSlider::TicksBelow);
    TrackBar->setTickInterval(1);
    connect(TrackBar, &QSlider::valueChanged, this, [this] { RunCommand([this] { TrackBarChange(); }); });
    auto* panel = new QFrame(this);
    panel->setObjectName("Panel1");
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setGeometry(0, 41, 236, 32);
    Panel1 = panel;
    struct TButton {
        QToolButton** Member;
        const char* Name;
        const char* Hint;
        TAnimGlyph Glyph;
        int X;
        void (TFormCtrlAnim::*Handler)();
    };
    const TButton buttons[] = {
        {&SpeedButton2, "SpeedButton2", "Stop", TAnimGlyph::Stop, 4, &TFormCtrlAnim::SpeedButton2Click},
        {&SpeedButton1, "SpeedButton1", "Marche", TAnimGlyph::Play, 30, &TFormCtrlAnim::SpeedButton1Click},
        {&SpeedButton9, "SpeedButton9", "Début", TAnimGlyph::First, 64, &TFormCtrlAnim::SpeedButton9Click},
        {&SpeedButton3, "SpeedButton3", "Image précedente", TAnimGlyph::Previous, 90,
         &TFormCtrlAnim::SpeedButton3Click},
        {&SpeedButton7, "SpeedButton7", "Image suivante", TAnimGlyph::Next, 116,
         &TFormCtrlAnim::SpeedButton7Click},
        {&SpeedButton4, "SpeedButton4", "Fin", TAnimGlyph::Last, 142, &TFormCtrlAnim::SpeedButton4Click},
        {&SpeedButton5, "SpeedButton5", "", TAnimGlyph::Close, 206, &TFormCtrlAnim::SpeedButton5Click},
    };
    for (const TButton& b : buttons) {
        auto* button = new QToolButton(panel);
        button->setObjectName(b.Name);
        button->setGeometry(b.X, 3, 25, 25);
        if (*b.Hint) button->setToolTip(QString::fromUtf8(b.Hint));
        button->setIcon(AnimGlyph(b.Glyph));
        button->setAutoRaise(true);
        const auto handler = b.Handler;
        connect(button, &QToolButton::clicked, this,
                [this, handler] { RunCommand([&] { (this->*handler)(); }); });
        *b.Member = button;
    }
}

void TFormCtrlAnim::TrackBarChange() {
    if (FormAnim2) Apply(FormAnim2->State.SliderMoved(Frames(), TrackBar->value()));
}

void TFormCtrlAnim::SpeedButton2Click() {
    if (FormAnim2) FormAnim2->SetTimerEnabled(false);
}

void TFormCtrlAnim::SpeedButton1Click() {
    if (FormAnim2) FormAnim2->SetTimerEnabled(true);
}

void TFormCtrlAnim::SpeedButton9Click() {
    if (FormAnim2) Apply(FormAnim2->State.First(Frames()));
}

void TFormCtrlAnim::SpeedButton3Click() {
    if (FormAnim2) Apply(FormAnim2->State.Previous(Frames()));
}

void TFormCtrlAnim::SpeedButton7Click() {
    if (FormAnim2) Apply(FormAnim2->State.Next(Frames()));
}

void TFormCtrlAnim::SpeedButton4Click() {
    if (FormAnim2) Apply(FormAnim2->State.Last(Frames()));
}

void TFormCtrlAnim::SpeedButton5Click() {
    if (FormAnim2) FormAnim2->close();
    hide();
}

void TFormCtrlAnim::closeEvent(QCloseEvent* event) {
    if (FormAnim2) FormAnim2->close();
    QWidget::closeEvent(event);
}

} // namespace orv::ui
