// The progress window, the about box, the help and the default error handler.
#include "program_fixture.h"

#include "ui/application.h"
#include "ui/form_apropos.h"
#include "ui/help_window.h"
#include "ui/progress_form.h"

#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBrowser>

using namespace orv;
using namespace orv::ui;
using namespace orv::ui::test;

TEST(Progress, GaugeRoundsHalvesToEvenAndHidesAboveTheLimit) {
    const struct {
        float Fraction;
        bool Visible;
        int Percent;
    } cases[] = {{0.0f, true, 0},      {0.125f, true, 12},     {0.375f, true, 38}, {0.01f, true, 1},
                 {0.9999f, true, 100}, {0.99995f, false, 100}, {1.0f, false, 100}};
    for (const auto& c : cases) {
        EXPECT_EQ(ProgressVisibleAt(c.Fraction), c.Visible) << c.Fraction;
        if (c.Visible) {
            EXPECT_EQ(GaugePercent(c.Fraction), c.Percent) << c.Fraction;
        }
    }
}

TEST_F(ProgramTest, ProgressWindowShowsUntilTheWorkIsDone) {
    ASSERT_TRUE(ProgressForm->isHidden());
    EXPECT_TRUE(ProgressForm->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(ProgressForm->Gauge1->minimum(), 0);
    EXPECT_EQ(ProgressForm->Gauge1->maximum(), 100);
    EXPECT_TRUE(ProgressForm->Gauge1->font().bold() || ProgressForm->Gauge1->styleSheet().contains("bold"));
    ProgressForm->Label1->setText("Conversion de l'image : m31.fit");
    ShowProgress(ProgressForm, 0);
    EXPECT_TRUE(ProgressForm->isVisible());
    EXPECT_EQ(ProgressForm->Gauge1->value(), 0);
    ShowProgress(ProgressForm, 0.9999f);
    EXPECT_TRUE(ProgressForm->isVisible());
    EXPECT_EQ(ProgressForm->Gauge1->value(), 100);
    EXPECT_EQ(ProgressForm->Gauge1->text(), "100 %");
    ShowProgress(ProgressForm, 0.99995f);
    EXPECT_TRUE(ProgressForm->isHidden());
    EXPECT_EQ(ProgressForm->Gauge1->value(), 100); // the gauge keeps its last value
}

TEST_F(ProgramTest, DocumentProgressGoesToTheProgressWindow) {
    TFormImage* w = Load(Int16Document("/data/m.fit", 8, 8));
    w->Progress("Compression de l'image numéro 1", 0.5f);
    EXPECT_TRUE(ProgressForm->isVisible());
    EXPECT_EQ(ProgressForm->Label1->text(), "Compression de l'image numéro 1");
    EXPECT_EQ(ProgressForm->Gauge1->value(), 50);
    w->Progress("Compression de l'image numéro 1", 1.0f);
    EXPECT_TRUE(ProgressForm->isHidden());
}

TEST_F(ProgramTest, AboutBoxShowsNameAndVersionAndClosesWithOk) {
    dialogs.ShowModalWindows = true;
    FormMain->HelpAboutItem->trigger();
    EXPECT_EQ(dialogs.Executed, QStringList{"FormAPropos"});
    EXPECT_TRUE(FormAPropos->isVisible());
    EXPECT_EQ(FormAPropos->windowTitle(), "A propos de Orvanel");
    EXPECT_EQ(FormAPropos->Label1->text(), "Orvanel");
    EXPECT_TRUE(FormAPropos->Label1->font().bold());
    EXPECT_EQ(FormAPropos->Label1->font().pixelSize(), 24);
    EXPECT_EQ(FormAPropos->Label4->text(), "Version 1.03");
    ASSERT_FALSE(FormAPropos->Image1->pixmap().isNull());
    EXPECT_EQ(FormAPropos->Image1->pixmap().size(), QSize(32, 32));
    EXPECT_EQ(FormAPropos->BitBtn1->text(), "OK");
    FormAPropos->BitBtn1->click();
    EXPECT_TRUE(FormAPropos->isHidden());
    EXPECT_EQ(FormAPropos->result(), QDialog::Accepted);
}

TEST_F(ProgramTest, HelpGoesThroughTheDialogsAndCoversEveryTopic) {
    FormMain->Rubriquesdaide1->trigger();
    EXPECT_EQ(dialogs.HelpRequests, 1);
    THelpWindow help;
    help.ShowContents();
    const QString text = help.Browser->toPlainText();
    for (const char* topic : {"Ouvrir des images", "Régler les seuils", "Palettes de couleurs",
                              "Statistiques", "Imprimer", "Animations", "modifiée", "Ctrl+C"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(topic))) << topic;
    help.close();
}

TEST_F(ProgramTest, PrinterSetupGoesThroughTheDialogs) {
    FormMain->Configurationdelimpression1->trigger();
    EXPECT_EQ(dialogs.PrinterSetups, 1);
}

TEST_F(ProgramTest, DefaultErrorHandlerAddsTheFullStopAndGoesOn) {
    const struct {
        const char* Thrown;
        const char* Shown;
    } cases[] = {
        {"Ne peut ouvrir le fichier /tmp/x.fit", "Ne peut ouvrir le fichier /tmp/x.fit."},
        {"'1,5' n'est pas une valeur entière correcte", "'1,5' n'est pas une valeur entière correcte."},
        {"Fichier trop court.", "Fichier trop court."},
        {"Type de données incorrect !", "Type de données incorrect !"}};
    for (const auto& c : cases) {
        bool after = false;
        RunCommand([&] {
            throw EOrvanelError(c.Thrown);
            after = true;
        });
        EXPECT_FALSE(after);
        ASSERT_FALSE(dialogs.Messages.isEmpty());
        EXPECT_EQ(dialogs.Messages.last().Caption, "Orvanel");
        EXPECT_EQ(dialogs.Messages.last().Kind, TMsgKind::Error);
        EXPECT_EQ(dialogs.Messages.last().Buttons, TButtons::Ok);
        EXPECT_EQ(dialogs.Messages.last().Text, QString::fromUtf8(c.Shown));
    }
}

namespace {
// An object whose event handler fails.
class TFailing : public QObject {
  public:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) throw std::runtime_error("Erreur de lecture");
        return QObject::event(e);
    }
};
} // namespace

TEST_F(ProgramTest, AnErrorEscapingAnEventHandlerIsShownAndTheProgramGoesOn) {
    TFailing failing;
    QEvent event(QEvent::User);
    QApplication::sendEvent(&failing, &event);
    ASSERT_EQ(dialogs.Messages.size(), 1);
    EXPECT_EQ(dialogs.Messages[0].Text, "Erreur de lecture.");
    EXPECT_EQ(dialogs.Messages[0].Caption, "Orvanel");
    FormMain->FileOpenItem->trigger(); // still working
    EXPECT_EQ(dialogs.OpenFilters.size(), 1);
}

TEST(DialogTexts, FrenchCaptionsAndButtons) {
    EXPECT_EQ(MessageCaption(TMsgKind::Warning), "Avertissement");
    EXPECT_EQ(MessageCaption(TMsgKind::Error), "Erreur");
    EXPECT_EQ(MessageCaption(TMsgKind::Information), "Information");
    EXPECT_EQ(MessageCaption(TMsgKind::Confirmation), "Confirmation");
    EXPECT_EQ(ButtonCaption(TAnswer::Ok), "OK");
    EXPECT_EQ(ButtonCaption(TAnswer::Yes), "&Oui");
    EXPECT_EQ(ButtonCaption(TAnswer::No), "&Non");
    EXPECT_EQ(ButtonCaption(TAnswer::All), "&Tout");
    EXPECT_EQ(ButtonAnswers(TButtons::YesNoAll), (QList<TAnswer>{TAnswer::Yes, TAnswer::No, TAnswer::All}));
    EXPECT_EQ(ButtonAnswers(TButtons::Ok), QList<TAnswer>{TAnswer::Ok});
}
