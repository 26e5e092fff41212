// The desktop program's entry.
#include "ui/app_info.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setApplicationName(orv::ui::ApplicationTitle());
    QMainWindow window;
    window.setWindowTitle(orv::ui::ApplicationTitle());
    window.showMaximized();
    return app.exec();
}
