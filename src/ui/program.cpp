// The start order of the windows and their destruction in the reverse order.
#include "ui/program.h"

#include "ui/dialogs.h"
#include "ui/form_anim2.h"
#include "ui/form_apropos.h"
#include "ui/form_cree_anim.h"
#include "ui/form_ctrl_anim.h"
#include "ui/form_entete.h"
#include "ui/form_impr.h"
#include "ui/form_main.h"
#include "ui/form_pal.h"
#include "ui/form_select_lot.h"
#include "ui/form_seuils.h"
#include "ui/progress_form.h"
#include "ui/recovery_keeper.h"
#include "ui/stat.h"
#include "ui/workspace.h"

#include <QApplication>
#include <QThread>

namespace orv::ui {

namespace {

template <typename T> void Destroy(T*& window) {
    delete window;
    window = nullptr;
}

} // namespace

TProgram::TProgram(TDialogs& dialogs) {
    SetDialogs(&dialogs);
    TProgramWindows& w = windows_;
    w.ProgressForm = new TProgressForm;
    workspace_ = std::make_unique<TWorkspace>(w.ProgressForm);
    TWorkspace& workspace = *workspace_;
    w.FormMain = new TFormMain(workspace);
    // The tool windows belong to the main window: they stay above it and go with it.
    w.FormSeuils = new TFormSeuils(workspace, w.FormMain);
    w.FormImpr = new TFormImpr(workspace, w.FormMain);
    w.FormPal = new TFormPal(workspace, w.FormMain);
    w.FormSelectLot = new TFormSelectLot(w.FormMain);
    w.FormCreeAnim = new TFormCreeAnim(workspace, w.FormMain);
    w.FormCtrlAnim = new TFormCtrlAnim(workspace.Playback(), w.FormMain);
    w.FormAnim2 = new TFormAnim2(workspace.Playback(), w.FormMain);
    w.Stat = new TStat(w.FormMain);
    w.FormAPropos = new TFormAPropos(w.FormMain);
    w.FormEntete = new TFormEntete(workspace, w.FormMain);
    workspace.SetBatchTool(w.FormSelectLot);
    w.FormMain->SetToolWindows(
        {w.FormSeuils, w.FormPal, w.FormCreeAnim, w.Stat, w.FormImpr, w.FormAPropos, w.FormEntete});
    // The main window closed after its questions: the event loop ends at once. Asking the
    // application to quit would close the other windows first, and the builder would ask its
    // question again, or keep the program alive with no main window while it plays.
    QObject::connect(
        w.FormMain, &TFormMain::Closed, qApp,
        [] {
            if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(0);
        },
        Qt::QueuedConnection);
}

void TProgram::KeepRecovery() {
    if (recovery_) return;
    recovery_ = std::make_unique<TRecoveryKeeper>(*workspace_, *windows_.FormMain, *windows_.FormCreeAnim);
    recovery_->Start();
}

TProgram::~TProgram() {
    // No enabling rule runs while the windows it touches go away.
    TProgramWindows& w = windows_;
    if (w.FormMain) QObject::disconnect(qApp, nullptr, w.FormMain, nullptr);
    recovery_.reset();
    Destroy(w.FormEntete);
    Destroy(w.FormAPropos);
    Destroy(w.Stat);
    Destroy(w.FormAnim2);
    Destroy(w.FormCtrlAnim);
    Destroy(w.FormCreeAnim);
    Destroy(w.FormSelectLot);
    Destroy(w.FormPal);
    Destroy(w.FormImpr);
    Destroy(w.FormSeuils);
    // Image windows go with the frame, without their close handlers: quitting asks nothing.
    Destroy(w.FormMain);
    Destroy(w.ProgressForm);
    workspace_.reset();
    SetDialogs(nullptr);
}

} // namespace orv::ui
