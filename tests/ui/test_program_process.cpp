// The program as a process: quitting after its one question ends it, and when it is killed
// with an unsaved animation, the next start offers the work back.
#include "anim_fixture.h"
#include "child_process.h"

#include "core/anim/recovery_store.h"
#include "ui/form_pal.h"
#include "ui/recovery_keeper.h"

#include <QDir>
#include <QMdiArea>
#include <QProcess>
#include <QTimer>

#include <iostream>

using namespace orv;
using namespace orv::ui;
using namespace orv::ui::test;

namespace {

TFormImage* Open(TFormMain* main, const QString& path) {
    main->OpenFile(path);
    return main->ActiveMDIChild();
}

// An unsaved animation of one frame, the builder and the palettes shown, then "Quitter", as a
// user does; prints the questions asked.
int QuitWithAnUnsavedAnimation(const QStringList& arguments) {
    TScriptedDialogs dialogs; // every question answered "Non"
    TProgram program(dialogs);
    const TProgramWindows& windows = program.Windows();
    TFormMain* FormMain = windows.FormMain;
    TFormCreeAnim* FormCreeAnim = windows.FormCreeAnim;
    FormMain->resize(1024, 768);
    FormMain->show();
    const QString image = QDir(arguments.value(0)).filePath("m31.fit");
    TImageDocument doc = Int16Document(image.toStdString(), 16, 16);
    SaveFits(doc, image.toStdString());
    Open(FormMain, image);
    FormMain->SpeedButton1->click();
    FormMain->SpeedPal->click();
    FormCreeAnim->BitAjout->click();
    QTimer::singleShot(0, [FormMain] { FormMain->FileExitItem->trigger(); });
    const int status = QApplication::exec();
    for (const TAskedMessage& m : dialogs.Messages)
        std::cout << "question: " << m.Text.toStdString() << "\n";
    return status;
}

// Two FITS frames with their own delays and the animation's options, one image shown with
// thresholds and a zoom of the user's; prints "ready" once the recovery file is written, then
// waits to be killed.
int BuildAndWaitToBeKilled(const QStringList& arguments) {
    TScriptedDialogs dialogs;
    TProgram program(dialogs);
    const TProgramWindows& windows = program.Windows();
    TFormMain* FormMain = windows.FormMain;
    TFormCreeAnim* FormCreeAnim = windows.FormCreeAnim;
    TFormSelectLot* FormSelectLot = windows.FormSelectLot;
    FormMain->resize(1024, 768);
    FormMain->show();
    program.KeepRecovery();
    const QDir folder(arguments.value(0));
    for (const char* name : {"a.fit", "b.fit"}) {
        const std::string path = folder.filePath(name).toStdString();
        TImageDocument doc = Int16Document(path, 40, 30);
        SaveFits(doc, path);
    }
    TFormImage* a = Open(FormMain, folder.filePath("a.fit"));
    a->Document().HighThreshold = 9000;
    a->Document().LowThreshold = 1000;
    a->DisplayChanged();
    a->SetZoom(TZoom{2, 1});
    FormMain->SpeedButton1->click();
    FormCreeAnim->BitAjout->click();
    dialogs.ExecActions.enqueue([&](QDialog&) {
        FormSelectLot->SetDirectory(folder.path());
        FormSelectLot->SetSelection({"b.fit"});
    });
    dialogs.ExecResults.enqueue(QDialog::Accepted);
    FormCreeAnim->BitSelect->click();
    for (const auto& [slot, delay] : {std::pair{1, 40}, std::pair{2, 70}}) {
        FormCreeAnim->ImageMouseDown(slot);
        FormCreeAnim->SpinInter->setValue(delay);
    }
    FormCreeAnim->CheckHeure->click();
    FormCreeAnim->SpinReduction->setValue(2);
    QTimer::singleShot(0, [] { std::cout << "ready" << std::endl; });
    return QApplication::exec();
}

} // namespace

int orv::ui::test::RunChildScenario(const QString& scenario, const QStringList& arguments) {
    if (scenario == "quit") return QuitWithAnUnsavedAnimation(arguments);
    if (scenario == "killed") return BuildAndWaitToBeKilled(arguments);
    std::cerr << "unknown scenario " << scenario.toStdString() << "\n";
    return 2;
}

namespace {

// The child, with the test's environment and `state` as the user's state folder.
void StartChild(QProcess& child, const QString& scenario, const QString& folder, const QString& state = {}) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    if (!state.isEmpty()) environment.insert("XDG_STATE_HOME", state);
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {"--child=" + scenario, folder});
    ASSERT_TRUE(child.waitForStarted(10000));
}

class ProgramProcessTest : public AnimationTest {};

} // namespace

TEST_F(ProgramProcessTest, QuittingWithAnUnsavedAnimationAsksOnceAndEnds) {
    QProcess child;
    StartChild(child, "quit", folder.path());
    ASSERT_TRUE(child.waitForFinished(60000)) << "no process may stay once the main window has closed";
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0);
    const QString printed = QString::fromUtf8(child.readAllStandardOutput());
    EXPECT_EQ(printed, "question: " + AnimationModifiedQuestion() + "\n");
}

TEST_F(ProgramProcessTest, AfterACrashTheNextStartOffersTheAnimationBack) {
    QTemporaryDir state;
    QProcess child;
    StartChild(child, "killed", folder.path(), state.path());
    while (!child.readAllStandardOutput().contains("ready"))
        ASSERT_TRUE(child.waitForReadyRead(60000)) << "the child never got ready";
    child.kill(); // SIGKILL: nothing of the program runs after it
    ASSERT_TRUE(child.waitForFinished(10000));
    const QStringList left = QDir(state.filePath("orvanel")).entryList(QDir::Files);
    ASSERT_EQ(left.size(), 1) << left.join(",").toStdString();

    // The next start, in this process, with the same state folder.
    const QByteArray saved = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    dialogs.Answers.enqueue(TAnswer::Yes);
    Program().KeepRecovery();
    saved.isEmpty() ? qunsetenv("XDG_STATE_HOME") : qputenv("XDG_STATE_HOME", saved);

    ASSERT_FALSE(dialogs.Messages.isEmpty());
    EXPECT_EQ(dialogs.Messages[0].Text, "Une animation non enregistrée a été retrouvée. La reprendre ?");
    EXPECT_EQ(dialogs.Messages.size(), 1) << dialogs.Messages.last().Text.toStdString();
    EXPECT_TRUE(FormCreeAnim->isVisible());
    EXPECT_EQ(FrameNames(), (std::vector<std::string>{"a.fit", "b.fit"}));
    ASSERT_EQ(Builder().Frames.size(), 2u);
    EXPECT_EQ(Builder().Frames[0].Delay, 40);
    EXPECT_EQ(Builder().Frames[1].Delay, 70);
    ASSERT_TRUE(Builder().Frames[0].Source);
    EXPECT_EQ(Builder().Frames[0].Source->Display.HighThreshold, 9000);
    EXPECT_EQ(Builder().Frames[1].Source->Display.HighThreshold, 16383);
    EXPECT_TRUE(Builder().Modified);
    EXPECT_TRUE(Builder().Options.Stamp);
    EXPECT_EQ(Builder().Options.Bin, 2);
    EXPECT_TRUE(FormCreeAnim->CheckHeure->isChecked());
    EXPECT_EQ(FormCreeAnim->SpinReduction->value(), 2);
    // The modified image, as it was shown.
    ASSERT_EQ(FormMain->MDIChildCount(), 1);
    const TFormImage* image = FormMain->ActiveMDIChild();
    EXPECT_EQ(QFileInfo(image->FileName()).fileName(), "a.fit");
    EXPECT_EQ(image->Document().HighThreshold, 9000);
    EXPECT_EQ(image->Document().LowThreshold, 1000);
    EXPECT_EQ(image->Zoom(), (TZoom{2, 1}));
    EXPECT_TRUE(image->Document().Modified);
    // The dead program's file is gone; this one keeps its own.
    const QStringList now = QDir(state.filePath("orvanel")).entryList(QDir::Files);
    EXPECT_EQ(now,
              QStringList{QFileInfo(QString::fromStdString(Program().Recovery()->FileName())).fileName()});
    EXPECT_FALSE(now.contains(left.first()));
}
