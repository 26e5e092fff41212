// Dialogs for the window tests: answers come from queues, everything asked is recorded.
#pragma once

#include "ui/dialogs.h"

#include <QDialog>
#include <QQueue>

namespace orv::ui::test {

struct TAskedMessage {
    TMsgKind Kind;
    TButtons Buttons;
    QString Text;
    QString Caption; // as the box shows it
};

class TScriptedDialogs : public TDialogs {
  public:
    QQueue<TAnswer> Answers;   // message answers; the harmless one when empty
    QQueue<QString> FileNames; // open and save names; cancelled when empty
    QQueue<int> ExecResults;   // modal results; Rejected when empty
    QList<TAskedMessage> Messages;
    QList<QList<TFileFilter>> OpenFilters;
    int HelpRequests = 0;
    int PrinterSetups = 0;
    QList<QString> Executed;       // object names of the windows shown modally
    bool ShowModalWindows = false; // show them (not modally) instead of only recording them

    TAnswer Message(TMsgKind kind, TButtons buttons, const QString& text,
                    const QString& caption = {}) override {
        Messages.append({kind, buttons, text, caption.isEmpty() ? MessageCaption(kind) : caption});
        if (!Answers.isEmpty()) return Answers.dequeue();
        return buttons == TButtons::Ok ? TAnswer::Ok : TAnswer::No;
    }
    QString OpenFileName(QWidget*, const QList<TFileFilter>& filters, int) override {
        OpenFilters.append(filters);
        return FileNames.isEmpty() ? QString() : FileNames.dequeue();
    }
    QString SaveFileName(QWidget*, const QList<TFileFilter>&) override {
        return FileNames.isEmpty() ? QString() : FileNames.dequeue();
    }
    bool PrinterSetup(QWidget*, QPrinter&) override {
        ++PrinterSetups;
        return true;
    }
    void ShowHelp(QWidget*) override { ++HelpRequests; }
    int Exec(QDialog& dialog) override {
        Executed.append(dialog.objectName());
        if (ShowModalWindows) dialog.show();
        return ExecResults.isEmpty() ? int(QDialog::Rejected) : ExecResults.dequeue();
    }
};

} // namespace orv::ui::test
