// The document host of the windows: a document's questions and warnings go to the program's
// dialogs, its progress to the progress window. An image window adds what follows the
// document it shows; a file read for the builder needs no more than this.
#pragma once

#include "core/image/document_host.h"

namespace orv::ui {

class TWorkspace;

class TQtDocumentHost : public TDocumentHost {
  public:
    explicit TQtDocumentHost(TWorkspace& workspace) : workspace_(workspace) {}

    TAnswer Message(TMsgKind kind, TButtons buttons, const std::string& text) override;
    void Progress(const std::string& label, float fraction) override;

  protected:
    TWorkspace& Workspace() const { return workspace_; }

  private:
    TWorkspace& workspace_;
};

} // namespace orv::ui
