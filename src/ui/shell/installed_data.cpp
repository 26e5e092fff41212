#include "ui/shell/installed_data.h"

#include <QCoreApplication>
#include <QDir>

#ifndef ORVANEL_DATA_FROM_BIN
#error "cmake/Install.cmake gives the path from bin/ to share/orvanel"
#endif

namespace orv::ui {

QString InstalledDataFolder(const QString& name) {
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + "/" +
                           QStringLiteral(ORVANEL_DATA_FROM_BIN) + "/" + name);
}

} // namespace orv::ui
