// The error classes of the core. Every error carries the program's own message,
// ready to be shown as it is in a message box or on standard error.
#pragma once

#include <stdexcept>
#include <string>

namespace orv {

// Base of every error the core raises on purpose.
class EOrvanelError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A text that is not the number it should be.
class EConvertError : public EOrvanelError {
  public:
    using EOrvanelError::EOrvanelError;
};

// A file that cannot be opened, read or written.
class EFileError : public EOrvanelError {
  public:
    using EOrvanelError::EOrvanelError;
};

// "Ne peut ouvrir le fichier <path>"
EFileError CannotOpenFile(const std::string& path);

} // namespace orv
