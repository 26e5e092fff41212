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
    ProgressForm = new TProgressForm;
    workspace_ = std::make_unique<TWorkspace>(ProgressForm);
    TWorkspace& workspace = *workspace_;
    FormMain = mainWindow_ = new TFormMain(workspace);
    // The tool windows belong to the main window: they stay above it and go with it.
    FormSeuils = new TFormSeuils(workspace, FormMain);
    FormImpr = new TFormImpr(workspace, FormMain);
    FormPal = new TFormPal(workspace, FormMain);
    FormSelectLot = new TFormSelectLot(FormMain);
    FormCreeAnim = new TFormCreeAnim(workspace, FormMain);
    FormCtrlAnim = new TFormCtrlAnim(workspace.Playback(), FormMain);
    FormAnim2 = new TFormAnim2(workspace.Playback(), FormMain);
    Stat = new TStat(FormMain);
    FormAPropos = new TFormAPropos(FormMain);
    FormEntete = new TFormEntete(workspace, FormMain);
    workspace.SetBatchTool(FormSelectLot);
    FormMain->SetToolWindows({FormSeuils, FormPal, FormCreeAnim, Stat, FormImpr, FormAPropos, FormEntete});
    // The main window closed after its questions: the event loop ends at once. Asking the
    // application to quit would close the other windows first, and the builder would ask its
    // question again, or keep the program alive with no main window while it plays.
    QObject::connect(
        FormMain, &TFormMain::Closed, qApp,
        [] {
            if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(0);
        },
        Qt::QueuedConnection);
}

void TProgram::KeepRecovery() {
    if (recovery_) return;
    recovery_ = std::make_unique<TRecoveryKeeper>(*workspace_, *FormMain, *FormCreeAnim);
    recovery_->Start();
}

TProgram::~TProgram() {
    // No enabling rule runs while the windows it touches go away.
    if (FormMain) QObject::disconnect(qApp, nullptr, FormMain, nullptr);
    recovery_.reset();
    Destroy(FormEntete);
    Destroy(FormAPropos);
    Destroy(Stat);
    Destroy(FormAnim2);
    Destroy(FormCtrlAnim);
    Destroy(FormCreeAnim);
    Destroy(FormSelectLot);
    Destroy(FormPal);
    Destroy(FormImpr);
    Destroy(FormSeuils);
    // Image windows go with the frame, without their close handlers: quitting asks nothing.
    Destroy(FormMain);
    mainWindow_ = nullptr;
    Destroy(ProgressForm);
    workspace_.reset();
    SetDialogs(nullptr);
}

} // namespace orv::ui
