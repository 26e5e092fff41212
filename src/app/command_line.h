// The desktop program's own command line: --help, --version, --check and the files to open.
// Qt's options (-platform, -style...) are taken out by QApplication before the rest is read.
#pragma once

#include "core/image/auto_display.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace orv::app {

struct TCommandLine {
    bool Help = false;
    bool Version = false;
    bool Check = false; // open the files, report what was found, quit
    // --auto zscale|mtf: the start display for this run, whatever the kept setting says.
    std::optional<orv::TAutoDisplay> Auto;
    QStringList Files;
    QString Error; // the first unknown option, as the program reports it
};

// Everything from "--" on is a file name; any other word beginning with "-" is an option.
TCommandLine ParseCommandLine(const QStringList& arguments);

// "orvanel --help", in French as the program speaks to its users.
QString CommandLineHelp();
// "orvanel 1.03".
QString VersionLine();

} // namespace orv::app
