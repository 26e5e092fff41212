// The window tests run in one application object, offscreen unless told otherwise; started
// as --child=<scenario>, the program runs that scenario instead (child_process.h).
#include "child_process.h"
#include "ui/anim/form_anim2.h"
#include "ui/shell/application.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
QtMessageHandler previous = nullptr;
// The offscreen platform warns about window features it lacks; the tests do not need them.
void Filter(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith("This plugin does not support")) return;
    if (previous) previous(type, context, message);
}
} // namespace

int main(int argc, char** argv) {
    previous = qInstallMessageHandler(Filter);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The settings the windows keep between sessions go to a folder of this run (the child
    // processes started by the tests inherit it), never to the user's.
    const QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(settings.path()));
    orv::ui::TApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() > 1 && arguments[1].startsWith("--child="))
        return orv::ui::test::RunChildScenario(arguments[1].mid(8), arguments.mid(2));
    // The player is ticked by the tests, never by the clock.
    orv::ui::SetManualTimers(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
