// Where the installed program finds what is installed with it (palettes, samples, help):
// share/orvanel beside its bin/ folder, found from the executable's own folder so that a
// moved installation still finds it. From a build folder the path names nothing.
#pragma once

#include <QString>

namespace orv::ui {

// The folder `name` of the installed data ("palettes"), whether or not it exists.
QString InstalledDataFolder(const QString& name);

} // namespace orv::ui
