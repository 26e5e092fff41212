// The program's windows for one run, created in the start order and destroyed together:
// ProgressForm first, then FormMain, FormSeuils, FormImpr, FormPal, FormSelectLot,
// FormCreeAnim, FormCtrlAnim, FormAnim2, Stat and FormAPropos, all hidden. Each is known
// by its global name while the program lives.
#pragma once

namespace orv::ui {

class TDialogs;

class TProgram {
  public:
    explicit TProgram(TDialogs& dialogs);
    ~TProgram();
    TProgram(const TProgram&) = delete;
    TProgram& operator=(const TProgram&) = delete;
};

} // namespace orv::ui
