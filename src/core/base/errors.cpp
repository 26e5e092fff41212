#include "core/base/errors.h"

namespace orv {

EFileError CannotOpenFile(const std::string& path) {
    return EFileError("Ne peut ouvrir le fichier " + path);
}

} // namespace orv
