#include "ui/shell/application.h"

#include "core/text/error_box_text.h"
#include "ui/shell/app_info.h"
#include "ui/shell/dialogs.h"

#include <QBoxLayout>
#include <QLibraryInfo>
#include <QLocale>
#include <QPushButton>
#include <QTranslator>

#include <clocale>
#include <cstring>
#include <exception>
#include <utility>

namespace orv::ui {

namespace {

// The locale variables as the user set them, while the application starts in French.
struct TLocaleEnvironment {
    const char* Name;
    bool Set = false;
    QByteArray Value;
};
TLocaleEnvironment savedEnvironment[] = {{"LC_ALL", false, {}}, {"LANGUAGE", false, {}}};

// Qt takes the system locale from the environment once, as the application starts: the dates,
// sizes and file types of its file dialogs follow it. French for that moment only, whatever the
// user's locale; the environment is put back right after, for the C library and for the
// programs started later.
int& StartingInFrench(int& argc) {
    for (TLocaleEnvironment& e : savedEnvironment) {
        e.Set = qEnvironmentVariableIsSet(e.Name);
        e.Value = qgetenv(e.Name);
    }
    qputenv("LC_ALL", "fr_FR.UTF-8");
    qputenv("LANGUAGE", "fr");
    return argc;
}

void StartedInFrench() {
    (void)QLocale::system(); // read now, while the environment says French
    for (const TLocaleEnvironment& e : savedEnvironment)
        if (e.Set)
            qputenv(e.Name, e.Value);
        else
            qunsetenv(e.Name);
    std::setlocale(LC_ALL, "");
    // Numbers in text always use "." (threshold boxes, header values, time stamps).
    std::setlocale(LC_NUMERIC, "C");
    QLocale french(QLocale::French, QLocale::France);
    french.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(french);
}

// The file types Qt's French translations leave in English (a context new in Qt 6).
class TFileTypesInFrench : public QTranslator {
  public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char*, int) const override {
        if (std::strcmp(context, "QAbstractFileIconProvider") != 0) return {};
        static const std::pair<const char*, const char*> types[] = {
            {"Drive", "Lecteur"}, {"Folder", "Dossier"}, {"Shortcut", "Raccourci"}, {"Unknown", "Inconnu"}};
        for (const auto& [english, french] : types)
            if (std::strcmp(sourceText, english) == 0) return QString::fromUtf8(french);
        return {};
    }
};

} // namespace

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

QPushButton* AddCommandButton(QWidget* owner, QBoxLayout* row, const char* name, const QString& caption,
                              std::function<void()> click) {
    auto* b = new QPushButton(caption, owner);
    b->setObjectName(name);
    row->addWidget(b);
    QObject::connect(b, &QPushButton::clicked, owner, [click = std::move(click)] { RunCommand(click); });
    return b;
}

TApplication::TApplication(int& argc, char** argv) : QApplication(StartingInFrench(argc), argv) {
    StartedInFrench();
    setApplicationName(ApplicationTitle());
    // Qt's own dialogs (files, page set-up, printer choice) speak French as the program does.
    auto* qtFrench = new QTranslator(this);
    if (qtFrench->load(QLocale(QLocale::French, QLocale::France), QStringLiteral("qt"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(qtFrench);
    installTranslator(new TFileTypesInFrench(this));
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    RunCommand([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

} // namespace orv::ui
