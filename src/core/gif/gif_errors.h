// The error of the GIF machinery: a bad file, a bad colour count, bad image data.
#pragma once

#include "core/base/errors.h"

namespace orv {

class EGifException : public EOrvanelError {
  public:
    using EOrvanelError::EOrvanelError;
};

} // namespace orv
