// Questions to the dialogs, progress to the workspace.
#include "ui/shell/qt_document_host.h"

#include "ui/shell/dialogs.h"
#include "ui/shell/workspace.h"

namespace orv::ui {

TAnswer TQtDocumentHost::Message(TMsgKind kind, TButtons buttons, const std::string& text) {
    return Dialogs().Message(kind, buttons, QString::fromStdString(text));
}

void TQtDocumentHost::Progress(const std::string& label, float fraction) {
    workspace_.Progress(label, fraction);
}

} // namespace orv::ui
