// The document host of the fuzz targets: says Yes to every question, so that doubtful
// files go on to be decoded.
#pragma once

#include "core/image/document_host.h"

namespace orv::fuzz {

class TYesHost : public TDocumentHost {
  public:
    TAnswer Message(TMsgKind, TButtons buttons, const std::string&) override {
        return buttons == TButtons::Ok ? TAnswer::Ok : TAnswer::Yes;
    }
};

} // namespace orv::fuzz
