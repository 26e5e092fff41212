// Every message box, file dialog, printer set-up, help request and modal window of the
// program goes through TDialogs: the Qt implementation shows them, a scripted one answers
// them in tests. Message boxes carry the French captions and buttons.
#pragma once

#include "core/image/document_host.h"

#include <QString>
#include <QStringList>

class QDialog;
class QWidget;

namespace orv::ui {

class TPrinter;

// "Avertissement", "Erreur", "Information", "Confirmation".
QString MessageCaption(TMsgKind kind);
// "OK", "&Oui", "&Non", "&Tout".
QString ButtonCaption(TAnswer answer);
// The answers a box offers, in the order of its buttons.
QList<TAnswer> ButtonAnswers(TButtons buttons);

// One entry of a file dialog's filter list: the text shown and its patterns ("*.PIC;*.FTS").
struct TFileFilter {
    QString Description;
    QString Patterns;
};
// The form QFileDialog reads: "Description (pat1 pat2)" entries joined by ";;".
QString QtFilterString(const QList<TFileFilter>& filters);
// The file-save dialog's filter, for "Enregistrer sous Gif".
QList<TFileFilter> SaveDialogFilter();
// The builder's "Enregister l'animation": GIF, WebP or MP4, the file's kind following its
// extension.
QList<TFileFilter> AnimationDialogFilter();
// The file dialog's filter when printing to a PDF file.
QList<TFileFilter> PdfDialogFilter();

class TDialogs {
  public:
    virtual ~TDialogs() = default;

    // A modal message box. An empty caption takes the kind's caption.
    virtual TAnswer Message(TMsgKind kind, TButtons buttons, const QString& text,
                            const QString& caption = {}) = 0;
    // The name of one existing file chosen by the user; empty when cancelled. The dialog opens
    // in `folder` (the start folder when it is empty).
    virtual QString OpenFileName(QWidget* parent, const QList<TFileFilter>& filters, int selected,
                                 const QString& folder = {}) = 0;
    // A name to save under; empty when cancelled.
    virtual QString SaveFileName(QWidget* parent, const QList<TFileFilter>& filters,
                                 const QString& folder = {}) = 0;
    // The program's printer, kept for the whole run.
    virtual TPrinter& Printer() = 0;
    // The printer set-up on that printer: which printer (or a PDF file), then paper and
    // orientation; true when confirmed.
    virtual bool PrinterSetup(QWidget* parent, TPrinter& printer) = 0;
    // Opens the program's help at its contents, the first time over `parent`'s area.
    virtual void ShowHelp(QWidget* parent) = 0;
    // Shows a window modally and returns its result (QDialog::Accepted or Rejected).
    virtual int Exec(QDialog& dialog) = 0;
};

// The dialogs the program uses; set once at start (tests set their scripted one).
TDialogs& Dialogs();
void SetDialogs(TDialogs* dialogs);

} // namespace orv::ui
