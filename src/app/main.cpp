// The desktop program: the windows in their start order, then the files named on the
// command line, each opened as "Ouvrir" opens it.
#include "ui/application.h"
#include "ui/form_main.h"
#include "ui/program.h"
#include "ui/qt_dialogs.h"

#include <QScreen>

int main(int argc, char** argv) {
    orv::ui::TApplication app(argc, argv);
    orv::ui::TQtDialogs dialogs;
    orv::ui::TProgram program(dialogs);
    orv::ui::TFormMain& mainWindow = program.MainWindow();
    QObject::connect(&mainWindow, &orv::ui::TFormMain::Closed, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    // The restored size is the screen's room, for desktops that leave maximising to the program.
    mainWindow.setGeometry(mainWindow.screen()->availableGeometry());
    mainWindow.showMaximized();
    const QStringList files = app.arguments().mid(1);
    for (const QString& file : files)
        orv::ui::RunCommand([&] { mainWindow.OpenFile(file); });
    return app.exec();
}
