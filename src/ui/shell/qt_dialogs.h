// The dialogs as the user sees them: Qt message boxes with the French captions and
// buttons, Qt file dialogs showing the filter descriptions, the choice of printer and the
// page set-up dialog, the help window. Qt's own texts come from its French translations.
#pragma once

#include "ui/shell/dialogs.h"
#include "ui/tools/printer.h"

#include <QPointer>

#include <memory>

namespace orv::ui {

class THelpWindow;

class TQtDialogs : public TDialogs {
  public:
    ~TQtDialogs() override;
    TAnswer Message(TMsgKind kind, TButtons buttons, const QString& text,
                    const QString& caption = {}) override;
    QString OpenFileName(QWidget* parent, const QList<TFileFilter>& filters, int selected,
                         const QString& folder = {}) override;
    QString SaveFileName(QWidget* parent, const QList<TFileFilter>& filters,
                         const QString& folder = {}) override;
    TPrinter& Printer() override;
    bool PrinterSetup(QWidget* parent, TPrinter& printer) override;
    void ShowHelp(QWidget* parent) override;
    int Exec(QDialog& dialog) override;

  private:
    QPointer<THelpWindow> help_;
    std::unique_ptr<TQtPrinter> printer_;
};

} // namespace orv::ui
