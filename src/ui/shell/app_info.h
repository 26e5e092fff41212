// The application's name and version as the windows show them.
#pragma once

#include "core/base/version.h"

#include <QString>

namespace orv::ui {

inline QString ApplicationTitle() {
    return QStringLiteral("Orvanel");
}
inline QString ApplicationVersion() {
    return QStringLiteral("Version ") +
           QString::fromUtf8(kOrvanelVersion.data(), qsizetype(kOrvanelVersion.size()));
}

} // namespace orv::ui
