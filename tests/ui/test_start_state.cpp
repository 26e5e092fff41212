// The program as it starts: windows, controls, menus, buttons, status bar, enabled states.
#include "program_fixture.h"

#include "ui/anim/form_anim2.h"
#include "ui/anim/form_cree_anim.h"
#include "ui/anim/form_ctrl_anim.h"
#include "ui/anim/form_select_lot.h"
#include "ui/shell/form_apropos.h"
#include "ui/shell/progress_form.h"
#include "ui/tools/form_impr.h"
#include "ui/tools/form_pal.h"
#include "ui/tools/form_seuils.h"
#include "ui/tools/stat.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolButton>

using namespace orv::ui;
using namespace orv::ui::test;

TEST_F(ProgramTest, EveryWindowExistsHiddenUnderItsName) {
    EXPECT_EQ(FormMain->windowTitle(), "Orvanel");
    const QList<QPair<QWidget*, QString>> windows = {
        {ProgressForm, "ProgressForm"}, {FormSeuils, "FormSeuils"},       {FormImpr, "FormImpr"},
        {FormPal, "FormPal"},           {FormSelectLot, "FormSelectLot"}, {FormCreeAnim, "FormCreeAnim"},
        {FormCtrlAnim, "FormCtrlAnim"}, {FormAnim2, "FormAnim2"},         {Stat, "Stat"},
        {FormAPropos, "FormAPropos"}};
    for (const auto& [window, name] : windows) {
        ASSERT_NE(window, nullptr) << name.toStdString();
        EXPECT_EQ(window->objectName(), name);
        EXPECT_TRUE(window->isHidden()) << name.toStdString();
    }
    EXPECT_EQ(ProgressForm->windowTitle(), "Progression");
    EXPECT_EQ(FormSeuils->windowTitle(), "Reglage des seuils");
    EXPECT_EQ(FormPal->windowTitle(), "Palettes");
    EXPECT_EQ(FormCreeAnim->windowTitle(), "Création d'une animation");
    EXPECT_EQ(ProgressForm->parent(), nullptr);
    EXPECT_EQ(FormMain->CurrentImage(), nullptr);
    EXPECT_EQ(FormMain->MDIChildCount(), 0);
}

TEST_F(ProgramTest, OnlyTheCommandsThatNeedNoImageStartEnabled) {
    const char* enabled[] = {"FileOpenItem",    "OpenBtn",      "Ouvrirunlot1", "Configurationdelimpression1",
                             "FileExitItem",    "ExitBtn",      "Animation1",   "SpeedButton1",
                             "Rubriquesdaide1", "HelpAboutItem"};
    const char* disabled[] = {"FileCloseItem",
                              "FileSaveItem",
                              "SaveBtn",
                              "WindowCascadeItem",
                              "WindowTileItem",
                              "WindowArrangeItem",
                              "WindowMinimizeItem",
                              "SpeedStat",
                              "SpeedSeuils",
                              "SpeedPal",
                              "SpeedPrint",
                              "Toutenrgistrer1",
                              "Toutfermer1",
                              "Imprimer1",
                              "Dupliquer1",
                              "EnregistrersousGif1",
                              "Palettes1",
                              "RglagesdesSeuils1",
                              "EnteteFITS1",
                              "Comparer1"};
    for (const char* name : enabled)
        EXPECT_TRUE(Enabled(FormMain, name)) << name;
    for (const char* name : disabled)
        EXPECT_FALSE(Enabled(FormMain, name)) << name;
}

TEST_F(ProgramTest, ToolWindowControlsStartAsTheirWindowsDefineThem) {
    const char* thresholdControls[] = {
        "Invert",      "Stel",        "Planet",      "editsh",     "Editsb",      "ScrollBarsh",
        "ScrollBarsb", "Fast",        "Normal",      "Slow",       "ButtonLummm", "ButtonLumm",
        "ButtonLump",  "ButtonLumpp", "ButtonConmm", "ButtonConm", "ButtonConp",  "ButtonConpp"};
    for (const char* name : thresholdControls)
        EXPECT_FALSE(Enabled(FormSeuils, name)) << name;
    for (const char* name : {"GroupBox1", "SH", "SB", "Label4", "LabelCont"})
        EXPECT_TRUE(Enabled(FormSeuils, name)) << name;
    EXPECT_TRUE(Enabled(FormPal, "FileListBox1"));
    EXPECT_FALSE(Enabled(FormCreeAnim, "BitAjout"));
}

TEST_F(ProgramTest, ThresholdDialogStartsWithItsDesignValues) {
    EXPECT_EQ(FormSeuils->editsh->text(), "16384");
    EXPECT_EQ(FormSeuils->Editsb->text(), "0");
    EXPECT_EQ(FormSeuils->ScrollBarsh->value(), 16383);
    EXPECT_EQ(FormSeuils->ScrollBarsb->value(), 0);
    EXPECT_EQ(FormSeuils->ScrollBarsh->minimum(), -32768);
    EXPECT_EQ(FormSeuils->ScrollBarsh->maximum(), 32767);
    EXPECT_EQ(FormSeuils->ScrollBarsb->singleStep(), 100);
    EXPECT_EQ(FormSeuils->ScrollBarsb->pageStep(), 1000);
    EXPECT_TRUE(FormSeuils->Normal->isChecked());
    EXPECT_EQ(FormSeuils->Label4->text(), "Luminosite");
    EXPECT_EQ(FormSeuils->LabelCont->text(), "Contraste");
    EXPECT_EQ(FormSeuils->ButtonLumpp->toolTip(), "Grande augmentation de la luminosité");
    EXPECT_EQ(FormSeuils->Invert->toolTip(), "Inverser les seuils haut et bas (négatif)");
}

TEST_F(ProgramTest, ToolButtonsSitOnTheSpeedPanelWithTheirHints) {
    EXPECT_EQ(FormMain->SpeedPanel->height(), 33);
    const struct {
        const char* Name;
        int X;
        const char* Hint;
    } buttons[] = {{"SaveBtn", 7, "Enregistrer"},           {"OpenBtn", 31, "Ouvrir"},
                   {"SpeedPrint", 55, "Imprimer"},          {"ExitBtn", 96, "Quitter"},
                   {"SpeedPal", 136, "Choix des palettes"}, {"SpeedSeuils", 160, "Réglage des seuils"},
                   {"SpeedStat", 184, "Statistiques"},      {"SpeedButton1", 224, "Créer une animation"}};
    for (const auto& b : buttons) {
        auto* button = FormMain->SpeedPanel->findChild<QToolButton*>(b.Name);
        ASSERT_NE(button, nullptr) << b.Name;
        EXPECT_EQ(button->geometry(), QRect(b.X, 3, 25, 25)) << b.Name;
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(b.Hint)) << b.Name;
        // Two drawn pictures that differ: the normal one and the disabled one.
        const QImage normal = button->icon().pixmap(18, 18, QIcon::Normal).toImage();
        const QImage disabled = button->icon().pixmap(18, 18, QIcon::Disabled).toImage();
        EXPECT_FALSE(normal.isNull()) << b.Name;
        EXPECT_NE(normal, disabled) << b.Name;
    }
}

TEST_F(ProgramTest, MenusHaveTheirCaptionsShortcutsAndOrder) {
    const struct {
        const char* Menu;
        const char* Caption;
        QList<QPair<QString, QString>> Items; // name, caption ("-" a separator)
    } menus[] = {
        {"File1",
         "&Fichier",
         {{"FileOpenItem", "&Ouvrir"},
          {"Ouvrirunlot1", "&Ouvrir un lot"},
          {"FileSaveItem", "&Enregistrer"},
          {"EnregistrersousGif1", "Enregistrer sous &Gif"},
          {"Toutenrgistrer1", "Tout &enregistrer"},
          {"FileCloseItem", "&Fermer"},
          {"Toutfermer1", "Tout &fermer"},
          {"N1", "-"},
          {"Configurationdelimpression1", "&Configuration de l'impression"},
          {"Imprimer1", "&Imprimer"},
          {"N4", "-"},
          {"FileExitItem", "&Quitter"}}},
        {"Visualisation1",
         "&Visualisation",
         {{"RglagesdesSeuils1", "&Réglages des Seuils"},
          {"Palettes1", "&Palettes"},
          {"EnteteFITS1", "En-tête FITS…"},
          {"N8", "-"},
          {"ZoomAvant1", "Zoom &avant"},
          {"ZoomArriere1", "Zoom a&rrière"},
          {"TailleReelle1", "&Taille réelle (1:1)"},
          {"AjusterImage1", "Ajuster l'&image à la fenêtre"},
          {"N7", "-"},
          {"Animation1", "Créer une &Animation"}}},
        {"Window1",
         "Fe&nêtre",
         {{"Dupliquer1", "&Dupliquer"},
          {"WindowCascadeItem", "&Cascade"},
          {"WindowTileItem", "&Mosaïque"},
          {"WindowArrangeItem", "&Réorganiser les icônes"},
          {"WindowMinimizeItem", "&Tout réduire"},
          {"Comparer1", "C&omparer deux images"}}},
        {"Help1",
         "&Aide",
         {{"Rubriquesdaide1", "&Rubriques d'aide"}, {"N2", "-"}, {"HelpAboutItem", "&A propos"}}},
    };
    const QList<QAction*> bar = FormMain->menuBar()->actions();
    ASSERT_EQ(bar.size(), 4);
    for (int m = 0; m < 4; ++m) {
        QMenu* menu = bar[m]->menu();
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->objectName(), menus[m].Menu);
        EXPECT_EQ(menu->title(), QString::fromUtf8(menus[m].Caption));
        const QList<QAction*> items = menu->actions();
        ASSERT_GE(items.size(), menus[m].Items.size());
        for (int i = 0; i < menus[m].Items.size(); ++i) {
            EXPECT_EQ(items[i]->objectName(), menus[m].Items[i].first);
            if (menus[m].Items[i].second == "-")
                EXPECT_TRUE(items[i]->isSeparator()) << menus[m].Items[i].first.toStdString();
            else
                EXPECT_EQ(items[i]->text(), menus[m].Items[i].second);
        }
    }
    EXPECT_EQ(FormMain->FileOpenItem->shortcut(), QKeySequence(Qt::Key_F3));
    EXPECT_EQ(FormMain->FileSaveItem->shortcut(), QKeySequence(Qt::Key_F2));
    EXPECT_EQ(FormMain->FileCloseItem->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
    EXPECT_EQ(FormMain->Imprimer1->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_EQ(FormMain->RglagesdesSeuils1->shortcut(), QKeySequence(Qt::Key_F6));
    EXPECT_EQ(FormMain->ZoomAvant1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Plus));
    EXPECT_EQ(FormMain->ZoomArriere1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Minus));
    EXPECT_EQ(FormMain->TailleReelle1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_0));
    for (QAction* a :
         {FormMain->Ouvrirunlot1, FormMain->Toutfermer1, FormMain->Dupliquer1, FormMain->HelpAboutItem})
        EXPECT_TRUE(a->shortcut().isEmpty()) << a->objectName().toStdString();
}

TEST_F(ProgramTest, StatusBarHasThreePanelsWideEnoughForTheirLongestTexts) {
    const QString texts[6] = {"X :", "Y :", "Intensité :", "", "", ""};
    const QString longest[6] = {"X : 16384", "Y : 16384",        "Intensité : -32768",
                                "",          "AD : 23:59:59.99", "Dec : -89:59:59.9"};
    for (int i = 0; i < 6; ++i) {
        QLabel* panel = FormMain->StatusPanels[i];
        EXPECT_EQ(panel->text(), texts[i]);
        EXPECT_GE(panel->contentsRect().width(), panel->fontMetrics().horizontalAdvance(longest[i]) + 2)
            << longest[i].toStdString();
    }
    EXPECT_EQ(FormMain->StatusBar->height(), 19);
    // No empty panel after the intensity; the sky coordinates' panels follow it, shown only over
    // an image that has them.
    EXPECT_TRUE(FormMain->StatusPanels[3]->isHidden());
    EXPECT_TRUE(FormMain->StatusPanels[4]->isHidden());
    EXPECT_TRUE(FormMain->StatusPanels[5]->isHidden());
}

TEST_F(ProgramTest, OpenFilterListsEveryFormat) {
    FormMain->FileOpenItem->trigger(); // the scripted dialog cancels
    ASSERT_EQ(dialogs.OpenFilters.size(), 1);
    const QList<TFileFilter> filters = dialogs.OpenFilters.first();
    const QStringList expected = {"Images Astro (*.PIC,*.FTS,*.FIT,*.FITS,*.GZ,*.FZ,*.XISF,*.SER,*.CPA)",
                                  "Images Mips (*.PIC)",
                                  "Images FITS (*.FIT,*.FTS,*.FITS,*.GZ,*.FZ)",
                                  "Images XISF (*.XISF)",
                                  "Vidéos SER (*.SER)",
                                  "Images Prism (*.CPA)",
                                  "Images Bitmap (*.BMP)",
                                  "Animation Gif (*.GIF)",
                                  "Tous les fichiers (*.*)"};
    ASSERT_EQ(filters.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i)
        EXPECT_EQ(filters[i].Description, expected[i]);
    EXPECT_EQ(filters[0].Patterns,
              "*.PIC;*.FTS;*.FIT;*.FITS;*.FIT.GZ;*.FTS.GZ;*.FITS.GZ;*.FZ;*.XISF;*.SER;*.CPA");
    EXPECT_EQ(FormMain->MDIChildCount(), 0); // cancelled: nothing opened
    EXPECT_EQ(QtFilterString({filters[2]}), "Images FITS (*.FIT,*.FTS,*.FITS,*.GZ,*.FZ) (*.FIT *.FTS *.FITS "
                                            "*.FIT.GZ *.FTS.GZ *.FITS.GZ *.FZ)");
}
