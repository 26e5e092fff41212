// What the windows keep between sessions: ~/.config/Orvanel/orvanel.conf on Linux.
#pragma once

#include <QSettings>

namespace orv::ui {

inline QSettings ProgramSettings() {
    return QSettings(QStringLiteral("Orvanel"), QStringLiteral("orvanel"));
}

} // namespace orv::ui
