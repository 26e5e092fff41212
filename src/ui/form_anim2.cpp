// The player's timer, its steps and its size for the animation.
#include "ui/form_anim2.h"

#include "ui/display_picture.h"
#include "ui/playback.h"
#include "ui/title_room.h"

#include <QCloseEvent>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QSlider>
#include <QStyle>
#include <QTimer>

#include <algorithm>

namespace orv::ui {

namespace {
bool manualTimers = false;
} // namespace

void SetManualTimers(bool manual) {
    manualTimers = manual;
}

bool ManualTimers() {
    return manualTimers;
}

TFormAnim2::TFormAnim2(TPlayback& playback, QWidget* parent)
    : QWidget(parent, Qt::Tool), playback_(playback) {
    setObjectName("FormAnim2");
    setWindowTitle(QStringLiteral("Animation"));
    ScrollBox = new QScrollArea(this);
    ScrollBox->setObjectName("ScrollBox");
    ScrollBox->setFrameShape(QFrame::NoFrame);
    ScrollBox->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1 = new QLabel;
    Image1->setObjectName("Image1");
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ScrollBox->setWidget(Image1);
    ScrollBox->setWidgetResizable(false);
    Timer = new QTimer(this);
    Timer->setObjectName("Timer");
    Timer->setInterval(State.Interval);
    connect(Timer, &QTimer::timeout, this, [this] { TimerTimer(); });
    setFixedSize(200, 150);
    ScrollBox->setGeometry(rect());
    connect(&playback_, &TPlayback::Started, this, &TFormAnim2::StartPlayback);
    connect(&playback_, &TPlayback::Commanded, this, &TFormAnim2::Command);
}

const std::vector<TAnimImg>& TFormAnim2::Frames() const {
    return playback_.Frames();
}

void TFormAnim2::ApplyTimer() {
    if (Timer->interval() != State.Interval) Timer->setInterval(State.Interval);
    const bool run = State.Playing && !manualTimers;
    if (run && !Timer->isActive()) Timer->start();
    if (!run && Timer->isActive()) Timer->stop();
}

void TFormAnim2::SetTimerEnabled(bool enabled) {
    if (enabled)
        State.Play();
    else
        State.Stop();
    ApplyTimer();
}

void TFormAnim2::ShowFrame(int32_t index) {
    const auto& frames = Frames();
    if (index < 0 || index >= static_cast<int32_t>(frames.size())) return;
    const QImage picture = DisplayPicture(frames[index].Bitmap.ToBmpFile());
    Image1->setPixmap(QPixmap::fromImage(picture));
    Image1->resize(picture.size());
}

void TFormAnim2::MoveSlider(int32_t position) {
    playback_.MoveSlider(position);
}

void TFormAnim2::Show(const std::optional<TPlayerShow>& shown) {
    if (!shown) return;
    ShowFrame(shown->Frame);
    MoveSlider(shown->Slider);
}

void TFormAnim2::Command(TPlayerCommand command, int position) {
    switch (command) {
    case TPlayerCommand::Stop:
        SetTimerEnabled(false);
        break;
    case TPlayerCommand::Play:
        SetTimerEnabled(true);
        break;
    case TPlayerCommand::First:
        Show(State.First(Frames()));
        break;
    case TPlayerCommand::Previous:
        Show(State.Previous(Frames()));
        break;
    case TPlayerCommand::Next:
        Show(State.Next(Frames()));
        break;
    case TPlayerCommand::Last:
        Show(State.Last(Frames()));
        break;
    case TPlayerCommand::Slider:
        Show(State.SliderMoved(Frames(), position));
        break;
    case TPlayerCommand::Close:
        close();
        break;
    }
}

void TFormAnim2::TimerTimer() {
    const auto shown = State.Tick(Frames());
    if (!shown) return;
    ApplyTimer();
    ShowFrame(shown->Frame);
    MoveSlider(shown->Slider);
}

void TFormAnim2::FitToAnimation() {
    const TAnimBuilder* animation = playback_.Animation();
    if (!animation) return;
    const QScreen* screen = this->screen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    const QStyle* s = style();
    TScreenMetrics m;
    m.ScreenWidth = area.width();
    m.ScreenHeight = area.height();
    m.BorderWidth = m.BorderHeight = s->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    m.CaptionHeight = s->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    m.VScrollWidth = m.HScrollHeight = s->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    // A region or a binning makes the frames shown smaller than the images.
    const bool composed = !animation->Preview.empty();
    const auto client =
        orv::FitToAnimation(composed ? animation->Preview[0].Bitmap.Width : animation->AnimWidth,
                            composed ? animation->Preview[0].Bitmap.Height : animation->AnimHeight, m);
    if (!client) return;
    // A small animation leaves room to its right rather than a title cut by the frame.
    setFixedSize(std::max(client->Width, TitleRoomWidth(*this)), client->Height);
    ScrollBox->setGeometry(rect());
}

void TFormAnim2::StartPlayback() {
    State.CurrentFrame = 0;
    playback_.ResetSlider(std::max(0, static_cast<int>(Frames().size()) - 1));
    FitToAnimation();
    // The first frame at once, for its own delay: nothing of an earlier playback (its last
    // picture, its last interval) shows in this one.
    Image1->clear();
    TimerTimer();
    move(20, 150);
    show();
    raise();
    // Under the player, clear of the main window's menus. The window manager may not have
    // framed the player yet: a title bar's height is left for it.
    const int titleBar = frameGeometry().height() > height()
                             ? 0
                             : style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this) + 8;
    playback_.ShowControls(QPoint(x(), frameGeometry().bottom() + 1 + titleBar + 8));
}

void TFormAnim2::FormShow() {
    SetTimerEnabled(true);
}

void TFormAnim2::FormClose() {
    SetTimerEnabled(false);
    playback_.End();
}

void TFormAnim2::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TFormAnim2::closeEvent(QCloseEvent* event) {
    FormClose();
    QWidget::closeEvent(event);
}

} // namespace orv::ui
