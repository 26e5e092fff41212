// The desktop program: its own options first (--help and --version need no screen), then the
// windows in their start order, then the files named on the command line, each opened as
// "Ouvrir" opens it.
#include "check_run.h"
#include "command_line.h"
#include "ui/shell/application.h"
#include "ui/shell/form_main.h"
#include "ui/shell/program.h"
#include "ui/shell/qt_dialogs.h"
#include "ui/shell/workspace.h"

#include <QScreen>
#include <QTimer>

#include <iostream>
#include <memory>

int main(int argc, char** argv) {
    using namespace orv::app;
    QStringList raw;
    for (int i = 1; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    const TCommandLine early = ParseCommandLine(raw);
    if (early.Help || early.Version) {
        std::cout << (early.Help ? CommandLineHelp() : VersionLine() + "\n").toStdString();
        return 0;
    }
    orv::ui::TApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("orvanel"));
    const TCommandLine line = ParseCommandLine(app.arguments().mid(1)); // without Qt's options
    if (!line.Error.isEmpty()) {
        std::cerr << line.Error.toStdString() << "\n";
        return 2;
    }
    TCheckDialogs* check = line.Check ? new TCheckDialogs : nullptr;
    std::unique_ptr<orv::ui::TQtDialogs> dialogs(check ? check : new orv::ui::TQtDialogs);
    orv::ui::TProgram program(*dialogs);
    if (line.Auto) program.Workspace().SetStartDisplayForRun(line.Auto);
    orv::ui::TFormMain& mainWindow = program.MainWindow();
    // The restored size is the screen's room, for desktops that leave maximising to the program.
    mainWindow.setGeometry(mainWindow.screen()->availableGeometry());
    mainWindow.showMaximized();
    if (!check) program.KeepRecovery();
    for (const QString& file : line.Files)
        orv::ui::RunCommand([&] { mainWindow.OpenFile(file); });
    if (check)
        QTimer::singleShot(0, &app, [&] {
            WriteCheckReport(mainWindow, std::cout);
            app.exit(check->MessageCount() > 0 ? 1 : 0);
        });
    return app.exec();
}
