// Dialogs for the window tests: answers come from queues, everything asked is recorded.
#pragma once

#include "ui/shell/dialogs.h"
#include "ui/tools/printer.h"

#include <QDialog>
#include <QQueue>

#include <functional>

namespace orv::ui::test {

struct TAskedMessage {
    TMsgKind Kind;
    TButtons Buttons;
    QString Text;
    QString Caption; // as the box shows it
};

// A printer with a page of 4800 x 6600 device pixels in portrait (turned in landscape) that
// records what is printed, or fails with FailWith when that is set.
class TScriptedPrinter : public TPrinter {
  public:
    struct TPrinted {
        QSize Picture;
        QRect Target;
        QString Title;
        TOrientation Orientation;
    };
    TOrientation Current = TOrientation::Portrait;
    TSize Portrait{4800, 6600};
    QString FailWith;
    QList<TPrinted> Printed;
    bool Installed = true; // the system has a printer
    bool ToPdf = false;
    QStringList PdfFiles; // where each page went, empty for the printer

    TOrientation Orientation() const override { return Current; }
    void SetOrientation(TOrientation orientation) override { Current = orientation; }
    TSize PageSize() const override {
        return Current == TOrientation::Portrait ? Portrait : TSize{Portrait.Height, Portrait.Width};
    }
    bool HasPrinter() const override { return Installed; }
    bool PrintsToPdf() const override { return ToPdf; }
    void SetPrintsToPdf(bool pdf) override { ToPdf = pdf; }
    void PrintPicture(const QImage& picture, const QRect& target, const QString& title,
                      const QString& pdfFile = {}) override {
        if (!FailWith.isEmpty()) throw EPrintError(FailWith.toStdString());
        Printed.append({picture.size(), target, title, Current});
        PdfFiles.append(pdfFile);
    }
};

class TScriptedDialogs : public TDialogs {
  public:
    QQueue<TAnswer> Answers;   // message answers; the harmless one when empty
    QQueue<QString> FileNames; // open and save names; cancelled when empty
    QQueue<int> ExecResults;   // modal results; Rejected when empty
    // What the user does in each window shown modally before it closes, in turn.
    QQueue<std::function<void(QDialog&)>> ExecActions;
    // Runs as each message is asked, while its box would be up.
    std::function<void(const QString&)> WhileAsked;
    QList<TAskedMessage> Messages;
    QList<QList<TFileFilter>> OpenFilters;
    QList<QList<TFileFilter>> SaveFilters;
    QList<QString> Folders; // where each file dialog opened
    int HelpRequests = 0;
    int PrinterSetups = 0;
    QList<QString> Executed;       // object names of the windows shown modally
    bool ShowModalWindows = false; // show them (not modally) instead of only recording them

    TAnswer Message(TMsgKind kind, TButtons buttons, const QString& text,
                    const QString& caption = {}) override {
        Messages.append({kind, buttons, text, caption.isEmpty() ? MessageCaption(kind) : caption});
        if (WhileAsked) WhileAsked(text);
        if (!Answers.isEmpty()) return Answers.dequeue();
        return buttons == TButtons::Ok ? TAnswer::Ok : TAnswer::No;
    }
    QString OpenFileName(QWidget*, const QList<TFileFilter>& filters, int,
                         const QString& folder = {}) override {
        OpenFilters.append(filters);
        Folders.append(folder);
        return FileNames.isEmpty() ? QString() : FileNames.dequeue();
    }
    QString SaveFileName(QWidget*, const QList<TFileFilter>& filters, const QString& folder = {}) override {
        SaveFilters.append(filters);
        Folders.append(folder);
        return FileNames.isEmpty() ? QString() : FileNames.dequeue();
    }
    TScriptedPrinter ScriptedPrinter;
    TPrinter* RealPrinter = nullptr; // used instead of the scripted one when set
    TPrinter& Printer() override { return RealPrinter ? *RealPrinter : ScriptedPrinter; }
    // The set-up dialog turns the paper when Setups holds the orientation to choose.
    QQueue<TOrientation> Setups;
    bool PrinterSetup(QWidget*, TPrinter& printer) override {
        ++PrinterSetups;
        if (!Setups.isEmpty()) printer.SetOrientation(Setups.dequeue());
        return true;
    }
    void ShowHelp(QWidget*) override { ++HelpRequests; }
    int Exec(QDialog& dialog) override {
        Executed.append(dialog.objectName());
        if (ShowModalWindows) dialog.show();
        if (!ExecActions.isEmpty()) ExecActions.dequeue()(dialog);
        return ExecResults.isEmpty() ? int(QDialog::Rejected) : ExecResults.dequeue();
    }
};

} // namespace orv::ui::test
