#include "ui/application.h"

#include "core/text/error_box_text.h"
#include "ui/app_info.h"
#include "ui/dialogs.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <exception>

namespace orv::ui {

void ShowException(const QString& message) {
    Dialogs().Message(TMsgKind::Error, TButtons::Ok,
                      QString::fromStdString(WithFullStop(message.toStdString())), ApplicationTitle());
}

void RunCommand(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::bad_alloc&) {
        ShowException(QStringLiteral("Mémoire insuffisante"));
    } catch (const std::exception& e) {
        ShowException(QString::fromStdString(e.what()));
    }
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(ApplicationTitle());
    // Qt's own dialogs (files, page set-up, printer choice) speak French as the program does.
    auto* qtFrench = new QTranslator(this);
    if (qtFrench->load(QLocale(QLocale::French, QLocale::France), QStringLiteral("qt"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(qtFrench);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    RunCommand([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

} // namespace orv::ui
