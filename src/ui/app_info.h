// The application's name and version as the windows show them.
#pragma once

#include <QString>

namespace orv::ui {

inline QString ApplicationTitle() {
    return QStringLiteral("Orvanel");
}
inline QString ApplicationVersion() {
    return QStringLiteral("Version 1.03");
}

} // namespace orv::ui
