// The animation controls: a slider over the frames, stop, start and step buttons, and the
// button that closes the player and the controls. They command the player through the
// playback channel, and their slider follows what the player shows.
#pragma once

#include <QWidget>

class QSlider;
class QToolButton;

namespace orv::ui {

class TPlayback;

class TFormCtrlAnim : public QWidget {
    Q_OBJECT
  public:
    explicit TFormCtrlAnim(TPlayback& playback, QWidget* parent = nullptr);

    // Handlers.
    void TrackBarChange();
    void SpeedButton2Click(); // "Stop"
    void SpeedButton1Click(); // "Marche"
    void SpeedButton9Click(); // "Début"
    void SpeedButton3Click(); // "Image précedente"
    void SpeedButton7Click(); // "Image suivante"
    void SpeedButton4Click(); // "Fin"
    void SpeedButton5Click(); // closes the player and the controls

    QSlider* TrackBar = nullptr;
    QWidget* Panel1 = nullptr; // the row of buttons
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton9 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QToolButton* SpeedButton7 = nullptr;
    QToolButton* SpeedButton4 = nullptr;
    QToolButton* SpeedButton5 = nullptr;

  protected:
    // The close box closes the player, which hides these controls.
    void closeEvent(QCloseEvent* event) override;

  private:
    TPlayback& playback_;
};

} // namespace orv::ui
