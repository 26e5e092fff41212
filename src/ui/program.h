// The program's windows for one run, created in the start order and destroyed together:
// ProgressForm first, then FormMain, FormSeuils, FormImpr, FormPal, FormSelectLot,
// FormCreeAnim, FormCtrlAnim, FormAnim2, Stat and FormAPropos, all hidden, over one
// workspace that outlives them. Each window is also known by its global name while the
// program lives, for tests to look it up. The program ends when its main window has closed.
#pragma once

#include <memory>

namespace orv::ui {

class TDialogs;
class TFormMain;
class TRecoveryKeeper;
class TWorkspace;

class TProgram {
  public:
    explicit TProgram(TDialogs& dialogs);
    ~TProgram();
    TProgram(const TProgram&) = delete;
    TProgram& operator=(const TProgram&) = delete;

    TFormMain& MainWindow() const { return *mainWindow_; }
    TWorkspace& Workspace() const { return *workspace_; }

    // A desktop run keeps what a crash would lose in the user's state folder, and first offers
    // what an earlier run left there. Runs that do not ask for it (tests, --check) leave that
    // folder alone.
    void KeepRecovery();
    TRecoveryKeeper* Recovery() const { return recovery_.get(); }

  private:
    std::unique_ptr<TWorkspace> workspace_;
    std::unique_ptr<TRecoveryKeeper> recovery_;
    TFormMain* mainWindow_ = nullptr;
};

} // namespace orv::ui
