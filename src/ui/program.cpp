#include "ui/program.h"

#include "ui/dialogs.h"
#include "ui/form_anim2.h"
#include "ui/form_apropos.h"
#include "ui/form_cree_anim.h"
#include "ui/form_ctrl_anim.h"
#include "ui/form_impr.h"
#include "ui/form_main.h"
#include "ui/form_pal.h"
#include "ui/form_select_lot.h"
#include "ui/form_seuils.h"
#include "ui/progress_form.h"
#include "ui/stat.h"

#include <QApplication>

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
    FormMain = new TFormMain;
    // The tool windows belong to the main window: they stay above it and go with it.
    FormSeuils = new TFormSeuils(FormMain);
    FormImpr = new TFormImpr(FormMain);
    FormPal = new TFormPal(FormMain);
    FormSelectLot = new TFormSelectLot(FormMain);
    FormCreeAnim = new TFormCreeAnim(FormMain);
    FormCtrlAnim = new TFormCtrlAnim(FormMain);
    FormAnim2 = new TFormAnim2(FormMain);
    Stat = new TStat(FormMain);
    FormAPropos = new TFormAPropos(FormMain);
}

TProgram::~TProgram() {
    // No enabling rule runs while the windows it touches go away.
    if (FormMain) QObject::disconnect(qApp, nullptr, FormMain, nullptr);
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
    Destroy(ProgressForm);
    SetDialogs(nullptr);
}

} // namespace orv::ui
