// "orvanel --check": a run that opens its files and quits, for checking an installation.
// Messages that would be boxes are written to standard error and questions answered No,
// so the run never waits for anyone.
#pragma once

#include "ui/shell/qt_dialogs.h"

#include <ostream>

namespace orv::ui {
class TFormMain;
}

namespace orv::app {

class TCheckDialogs : public ui::TQtDialogs {
  public:
    TAnswer Message(TMsgKind kind, TButtons buttons, const QString& text,
                    const QString& caption = {}) override;
    int Exec(QDialog& dialog) override;
    int MessageCount() const { return messageCount_; }

  private:
    int messageCount_ = 0;
};

// What the run found: the palette folder and the palettes listed, then the caption of each
// image window in the order they were opened.
void WriteCheckReport(const ui::TFormMain& mainWindow, std::ostream& out);

} // namespace orv::app
