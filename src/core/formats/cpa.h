// CPA files of the Prism software (short and long headers), read into a FITS document.
#pragma once

#include "core/image/image_document.h"
#include "core/text/errors.h"

#include <string>

namespace orv {

TLoadResult LoadCpa(TImageDocument& doc, const std::string& fileName, TDocumentHost& host);

} // namespace orv
