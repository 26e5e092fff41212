// The program's windows for one run, created in the start order and destroyed together:
// ProgressForm first, then FormMain, FormSeuils, FormImpr, FormPal, FormSelectLot,
// FormCreeAnim, FormCtrlAnim, FormAnim2, Stat and FormAPropos, all hidden, over one
// workspace that outlives them. Each window is also known by its global name while the
// program lives, for tests to look it up.
#pragma once

#include <memory>

namespace orv::ui {

class TDialogs;
class TFormMain;
class TWorkspace;

class TProgram {
  public:
    explicit TProgram(TDialogs& dialogs);
    ~TProgram();
    TProgram(const TProgram&) = delete;
    TProgram& operator=(const TProgram&) = delete;

    TFormMain& MainWindow() const { return *mainWindow_; }

  private:
    std::unique_ptr<TWorkspace> workspace_;
    TFormMain* mainWindow_ = nullptr;
};

} // namespace orv::ui
