// The animation controls' layout; each handler is one command to the player.
#include "ui/form_ctrl_anim.h"

#include "ui/anim_glyphs.h"
#include "ui/application.h"
#include "ui/playback.h"
#include "ui/title_room.h"

#include <QCloseEvent>
#include <QFrame>
#include <QSlider>
#include <QToolButton>

#include <algorithm>

namespace orv::ui {

TFormCtrlAnim::TFormCtrlAnim(TPlayback& playback, QWidget* parent)
    : QWidget(parent, Qt::Tool), playback_(playback) {
    setObjectName("FormCtrlAnim");
    setWindowTitle(QStringLiteral("Contrôles de l'animation"));
    // Wide enough for the title, which the frame would cut otherwise.
    const int width = std::max(236, TitleRoomWidth(*this));
    setFixedSize(width, 73);
    TrackBar = new QSlider(Qt::Horizontal, this);
    TrackBar->setObjectName("TrackBar");
    TrackBar->setGeometry(0, 0, width, 40);
    TrackBar->setRange(0, 0);
    TrackBar->setSingleStep(1);
    TrackBar->setPageStep(1);
    TrackBar->setTickPosition(QSlider::TicksBelow);
    TrackBar->setTickInterval(1);
    connect(TrackBar, &QSlider::valueChanged, this, [this] { RunCommand([this] { TrackBarChange(); }); });
    auto* panel = new QFrame(this);
    panel->setObjectName("Panel1");
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setGeometry(0, 41, width, 32);
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
        {&SpeedButton5, "SpeedButton5", "", TAnimGlyph::Close, width - 30, &TFormCtrlAnim::SpeedButton5Click},
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
    connect(&playback_, &TPlayback::SliderReset, this, [this](int maximum) {
        TrackBar->setMaximum(maximum);
        TrackBar->setValue(0);
    });
    connect(&playback_, &TPlayback::SliderMoved, TrackBar, &QSlider::setValue);
    connect(&playback_, &TPlayback::ControlsShown, this, [this](QPoint at) {
        move(at);
        show();
        raise();
    });
    connect(&playback_, &TPlayback::Ended, this, &QWidget::hide);
}

void TFormCtrlAnim::TrackBarChange() {
    playback_.Command(TPlayerCommand::Slider, TrackBar->value());
}

void TFormCtrlAnim::SpeedButton2Click() {
    playback_.Command(TPlayerCommand::Stop);
}

void TFormCtrlAnim::SpeedButton1Click() {
    playback_.Command(TPlayerCommand::Play);
}

void TFormCtrlAnim::SpeedButton9Click() {
    playback_.Command(TPlayerCommand::First);
}

void TFormCtrlAnim::SpeedButton3Click() {
    playback_.Command(TPlayerCommand::Previous);
}

void TFormCtrlAnim::SpeedButton7Click() {
    playback_.Command(TPlayerCommand::Next);
}

void TFormCtrlAnim::SpeedButton4Click() {
    playback_.Command(TPlayerCommand::Last);
}

void TFormCtrlAnim::SpeedButton5Click() {
    playback_.Command(TPlayerCommand::Close);
    hide();
}

void TFormCtrlAnim::closeEvent(QCloseEvent* event) {
    playback_.Command(TPlayerCommand::Close);
    QWidget::closeEvent(event);
}

} // namespace orv::ui
