// The desktop program's own command line: --help, --version, --check and the files to open.
// Qt's options (-platform, -style...) are taken out by QApplication before the rest is read.
#pragma once

#include <QString>
#include <QStringList>

namespace orv::app {

struct TCommandLine {
    bool Help = false;
    bool Version = false;
    bool Check = false; // open the files, report what was found, quit
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
