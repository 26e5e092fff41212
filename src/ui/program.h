// The program's windows for one run, created in the start order and destroyed together:
// ProgressForm first, then FormMain, FormSeuils, FormImpr, FormPal, FormSelectLot,
// FormCreeAnim, FormCtrlAnim, FormAnim2, Stat, FormAPropos and FormEntete, all hidden, over
// one workspace that outlives them. The program hands its windows to whoever needs them (the
// tests through their fixture); the program ends when its main window has closed.
#pragma once

#include <memory>

namespace orv::ui {

class TDialogs;
class TFormAnim2;
class TFormAPropos;
class TFormCreeAnim;
class TFormCtrlAnim;
class TFormEntete;
class TFormImpr;
class TFormMain;
class TFormPal;
class TFormSelectLot;
class TFormSeuils;
class TProgressForm;
class TRecoveryKeeper;
class TStat;
class TWorkspace;

// The windows of one run, by the names their object names give them.
struct TProgramWindows {
    TProgressForm* ProgressForm = nullptr;
    TFormMain* FormMain = nullptr;
    TFormSeuils* FormSeuils = nullptr;
    TFormImpr* FormImpr = nullptr;
    TFormPal* FormPal = nullptr;
    TFormSelectLot* FormSelectLot = nullptr;
    TFormCreeAnim* FormCreeAnim = nullptr;
    TFormCtrlAnim* FormCtrlAnim = nullptr;
    TFormAnim2* FormAnim2 = nullptr;
    TStat* Stat = nullptr;
    TFormAPropos* FormAPropos = nullptr;
    TFormEntete* FormEntete = nullptr;
};

class TProgram {
  public:
    explicit TProgram(TDialogs& dialogs);
    ~TProgram();
    TProgram(const TProgram&) = delete;
    TProgram& operator=(const TProgram&) = delete;

    TFormMain& MainWindow() const { return *windows_.FormMain; }
    TWorkspace& Workspace() const { return *workspace_; }
    const TProgramWindows& Windows() const { return windows_; }

    // A desktop run keeps what a crash would lose in the user's state folder, and first offers
    // what an earlier run left there. Runs that do not ask for it (tests, --check) leave that
    // folder alone.
    void KeepRecovery();
    TRecoveryKeeper* Recovery() const { return recovery_.get(); }

  private:
    std::unique_ptr<TWorkspace> workspace_;
    std::unique_ptr<TRecoveryKeeper> recovery_;
    TProgramWindows windows_;
};

} // namespace orv::ui
