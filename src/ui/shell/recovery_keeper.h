// Keeps what a crash would lose in this program's recovery file (core/anim/recovery_store.h):
// the builder's unsaved animation and the modified images, written again after every change
// (the builder's, a display shown again, another current image; a look once a second catches a
// zoom, a save or a closed window), and removed once nothing is left to keep or the program
// ends cleanly. At start it offers what an earlier run left behind.
#pragma once

#include "core/anim/recovery_file.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <string>

namespace orv::ui {

class TFormCreeAnim;
class TFormMain;
class TWorkspace;

// The questions asked at start.
QString RecoveredAnimationQuestion();
QString RecoveredImagesQuestion();

class TRecoveryKeeper : public QObject {
    Q_OBJECT
  public:
    TRecoveryKeeper(TWorkspace& workspace, TFormMain& mainWindow, TFormCreeAnim& builder);
    ~TRecoveryKeeper() override;

    // Offers each file an earlier run left ("Oui" takes its work back), removes it either way,
    // then keeps this run's own file.
    void Start();
    // What there is to keep now.
    TRecoveryState State() const;
    // The file written when what there is to keep changed, removed when nothing is left.
    void Refresh();
    // The program ends cleanly: the file goes and is not written again.
    void Discard();
    const std::string& FileName() const { return path_; }

  private:
    void Schedule();
    void Restore(const TRecoveryState& state);
    // The modified images in windows of their own; the files that do not open go to leftOut.
    void RestoreImages(const TRecoveryState& state, QStringList& leftOut);

    TWorkspace& workspace_;
    TFormMain& mainWindow_;
    TFormCreeAnim& builder_;
    TRecoveryOwner owner_;
    std::string folder_;
    std::string path_;
    TRecoveryState written_; // what the file holds
    bool scheduled_ = false;
    bool stopped_ = true;
    QTimer look_;
};

} // namespace orv::ui
