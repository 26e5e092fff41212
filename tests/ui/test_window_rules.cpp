// The enabling rules as the windows apply them, and the window commands.
#include "program_fixture.h"

#include "ui/form_cree_anim.h"
#include "ui/form_pal.h"
#include "ui/form_seuils.h"

#include <QFile>
#include <QMdiArea>
#include <QMenu>

using namespace orv;
using namespace orv::ui;
using namespace orv::ui::test;

namespace {

const char* kThresholdControls[] = {"Invert",      "Stel",        "Planet",      "editsh",      "Editsb",
                                    "ScrollBarsh", "ScrollBarsb", "Fast",        "Normal",      "Slow",
                                    "ButtonLummm", "ButtonLumm",  "ButtonLump",  "ButtonLumpp", "ButtonConmm",
                                    "ButtonConm",  "ButtonConp",  "ButtonConpp", "AutoZscale",  "AutoMtf"};
const char* kImageCommands[] = {"FileCloseItem",      "FileSaveItem",   "SaveBtn",
                                "WindowCascadeItem",  "WindowTileItem", "WindowArrangeItem",
                                "WindowMinimizeItem", "SpeedPrint",     "Toutenrgistrer1",
                                "Toutfermer1",        "Imprimer1",      "Dupliquer1",
                                "EnregistrersousGif1"};

} // namespace

class EnablingTest : public ProgramTest {
  protected:
    void ExpectTools(bool buttons, bool menuItems, bool thresholds, const char* when) {
        for (const char* n : {"SpeedStat", "SpeedSeuils", "SpeedPal"})
            EXPECT_EQ(Enabled(FormMain, n), buttons) << n << " " << when;
        for (const char* n : {"RglagesdesSeuils1", "Palettes1"})
            EXPECT_EQ(Enabled(FormMain, n), menuItems) << n << " " << when;
        for (const char* n : kThresholdControls)
            EXPECT_EQ(Enabled(FormSeuils, n), thresholds) << n << " " << when;
    }
};

TEST_F(EnablingTest, AFitsImageEnablesEveryCommand) {
    TImageDocument doc = Int16Document("m31.fit", 64, 32);
    doc.HighThreshold = 1234;
    doc.LowThreshold = 56;
    FormMain->SpeedSeuils->click();
    ASSERT_NE(OpenFits("m31.fit", std::move(doc)), nullptr);
    ExpectTools(true, true, true, "after loading");
    // The file's thresholds reach the open threshold dialog.
    EXPECT_EQ(FormSeuils->editsh->text(), "1234");
    EXPECT_EQ(FormSeuils->Editsb->text(), "56");
    for (const char* n : kImageCommands)
        EXPECT_TRUE(Enabled(FormMain, n)) << n;
    for (const char* n : {"GroupBox1", "SH", "SB", "Label4", "LabelCont"})
        EXPECT_TRUE(Enabled(FormSeuils, n)) << n;
    EXPECT_TRUE(Enabled(FormPal, "FileListBox1"));
    EXPECT_TRUE(Enabled(FormCreeAnim, "BitAjout"));
}

TEST_F(EnablingTest, ABitmapLeavesTheImageToolsDisabled) {
    ASSERT_NE(OpenBmp("photo.bmp", 40, 30), nullptr);
    ExpectTools(false, false, false, "after the reader");
    for (const char* n : kImageCommands)
        EXPECT_TRUE(Enabled(FormMain, n)) << n;
    for (const char* n : {"GroupBox1", "SH", "SB", "Label4", "LabelCont"})
        EXPECT_FALSE(Enabled(FormSeuils, n)) << n;
    EXPECT_FALSE(Enabled(FormPal, "FileListBox1"));
}

TEST_F(EnablingTest, ActivatingABitmapKeepsTheMenuItemsButNotTheButtons) {
    TFormImage* fits = OpenFits("m31.fit", Int16Document("m31.fit", 64, 32));
    TFormImage* bmp = OpenBmp("photo.bmp", 40, 30);
    FormMain->MdiArea->setActiveSubWindow(fits);
    EXPECT_EQ(FormMain->CurrentImage(), fits);
    ExpectTools(true, true, true, "FITS active");
    FormMain->MdiArea->setActiveSubWindow(bmp);
    EXPECT_EQ(FormMain->CurrentImage(), bmp);
    // The image rule disables both, the active-window rule then gives the menu items back.
    ExpectTools(false, true, false, "bitmap active");
    EXPECT_FALSE(Enabled(FormSeuils, "GroupBox1"));
    FormMain->MdiArea->setActiveSubWindow(fits);
    ExpectTools(true, true, true, "FITS active again");
    EXPECT_TRUE(Enabled(FormSeuils, "GroupBox1"));
}

TEST_F(EnablingTest, ActivationPushesTheThresholdsIntoTheDialog) {
    TImageDocument a = Int16Document("/data/a.fit", 8, 8);
    a.HighThreshold = 2.5;
    a.LowThreshold = -40000;
    TFormImage* first = Load(std::move(a));
    TImageDocument b = Int16Document("/data/b.fit", 8, 8);
    b.HighThreshold = 1200;
    b.LowThreshold = 100;
    Load(std::move(b));
    EXPECT_EQ(FormSeuils->editsh->text(), "1200");
    FormMain->MdiArea->setActiveSubWindow(first);
    EXPECT_EQ(FormSeuils->editsh->text(), "2.5");
    EXPECT_EQ(FormSeuils->Editsb->text(), "-40000");
    EXPECT_EQ(FormSeuils->ScrollBarsh->value(), 2); // 2.5 rounds to the even neighbour
    EXPECT_EQ(FormSeuils->ScrollBarsb->value(), -32768);
}

TEST_F(EnablingTest, CloseAllLeavesNoCurrentImageAndAsksNothing) {
    for (int i = 0; i < 3; ++i)
        Load(Int16Document("/data/m" + std::to_string(i) + ".fit", 16, 16));
    FormMain->CurrentImage()->Document().Modified = true;
    FormPal->show();
    FormMain->Toutfermer1->trigger();
    EXPECT_EQ(FormMain->MDIChildCount(), 0);
    EXPECT_EQ(FormMain->CurrentImage(), nullptr);
    EXPECT_TRUE(dialogs.Messages.isEmpty());
    for (const char* n : kImageCommands)
        EXPECT_FALSE(Enabled(FormMain, n)) << n;
    ExpectTools(false, false, false, "after closing all");
    EXPECT_FALSE(Enabled(FormCreeAnim, "BitAjout"));
    // Neither rule governs the palette list on the way out: it keeps its state.
    EXPECT_TRUE(Enabled(FormPal, "FileListBox1"));
}

TEST_F(EnablingTest, MinimiseAllMinimisesEveryImageWindow) {
    EXPECT_FALSE(FormMain->WindowMinimizeItem->isEnabled());
    QList<TFormImage*> windows;
    for (int i = 0; i < 3; ++i)
        windows << Load(Int16Document("/data/m" + std::to_string(i) + ".fit", 16, 16));
    ASSERT_TRUE(FormMain->WindowMinimizeItem->isEnabled());
    FormMain->WindowMinimizeItem->trigger();
    for (TFormImage* w : windows)
        EXPECT_TRUE(w->isMinimized());
    FormMain->WindowArrangeItem->trigger();
    for (TFormImage* w : windows)
        EXPECT_TRUE(w->isMinimized());
    EXPECT_EQ(FormMain->MDIChildCount(), 3);
}

TEST_F(EnablingTest, CtrlCClosesTheActiveWindow) {
    TFormImage* first = Load(Int16Document("/data/a.fit", 16, 16));
    QPointer<TFormImage> second = Load(Int16Document("/data/b.fit", 16, 16));
    ASSERT_EQ(FormMain->ActiveMDIChild(), second);
    FormMain->activateWindow();
    QTest::keyClick(FormMain, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(FormMain->MDIChildCount(), 1);
    EXPECT_EQ(FormMain->ActiveMDIChild(), first);
    EXPECT_EQ(FormMain->CurrentImage(), first);
    QTest::keyClick(FormMain, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(FormMain->MDIChildCount(), 0);
    EXPECT_EQ(FormMain->CurrentImage(), nullptr);
    EXPECT_FALSE(FormMain->FileCloseItem->isEnabled());
}

TEST_F(EnablingTest, TheWindowMenuListsTheOpenImages) {
    Load(Int16Document("/data/a.fit", 16, 16));
    TFormImage* b = OpenBmp("b.bmp", 16, 16);
    FormMain->UpdateWindowList();
    QStringList listed;
    QAction* checked = nullptr;
    bool afterSeparator = false;
    for (QAction* a : FormMain->Window1->actions()) {
        if (a == FormMain->Comparer1)
            afterSeparator = true;
        else if (afterSeparator && !a->isSeparator()) {
            listed << a->text();
            if (a->isChecked()) checked = a;
        }
    }
    ASSERT_EQ(listed.size(), 2);
    EXPECT_EQ(listed[0], "&1 Image : a.fit (16x16) Entier 16 bits");
    EXPECT_EQ(listed[1], "&2 Image : b.bmp (16x16) ");
    ASSERT_NE(checked, nullptr);
    EXPECT_EQ(checked->text(), listed[1]);
    FormMain->UpdateWindowList(); // rebuilt, not appended
    int entries = 0;
    for (QAction* a : FormMain->Window1->actions())
        if (a->text().startsWith("&")) ++entries;
    EXPECT_EQ(entries, 5 + 2);
    (void)b;
}

TEST_F(EnablingTest, ToolCommandsShowTheirWindowsBelowTheToolBar) {
    FormMain->move(40, 30);
    Load(Int16Document("/data/a.fit", 16, 16));
    FormMain->RglagesdesSeuils1->trigger();
    FormMain->SpeedPal->click();
    FormMain->Animation1->trigger();
    const QRect frame(FormMain->MdiArea->mapToGlobal(QPoint(0, 0)), FormMain->MdiArea->size());
    const QRect toolBar(FormMain->SpeedPanel->mapToGlobal(QPoint(0, 0)), FormMain->SpeedPanel->size());
    for (QWidget* tool : {static_cast<QWidget*>(FormSeuils), static_cast<QWidget*>(FormPal),
                          static_cast<QWidget*>(FormCreeAnim)}) {
        EXPECT_TRUE(tool->isVisible()) << tool->objectName().toStdString();
        EXPECT_TRUE(frame.contains(tool->frameGeometry())) << tool->objectName().toStdString();
        EXPECT_GT(tool->frameGeometry().top(), toolBar.bottom()) << tool->objectName().toStdString();
    }
    EXPECT_FALSE(FormPal->frameGeometry().intersects(FormCreeAnim->frameGeometry()));
    // Moved by the user, a tool window opens again where it was left.
    FormSeuils->hide();
    FormSeuils->move(frame.topLeft() + QPoint(300, 200));
    FormMain->RglagesdesSeuils1->trigger();
    EXPECT_EQ(FormSeuils->pos(), frame.topLeft() + QPoint(300, 200));
}

TEST_F(EnablingTest, CascadeKeepsSizesAndTileStacksFullWidthWindows) {
    TFormImage* a = Load(Int16Document("/data/a.fit", 120, 90));
    TFormImage* b = Load(Int16Document("/data/b.fit", 60, 40));
    TFormImage* c = Load(Int16Document("/data/c.fit", 80, 50));
    FormMain->MdiArea->setActiveSubWindow(b); // activation order, most recent first: b, c, a
    const QSize sizeA = a->size(), sizeB = b->size();
    FormMain->WindowCascadeItem->trigger();
    EXPECT_EQ(a->pos(), QPoint(0, 0));
    EXPECT_GT(c->pos().x(), 0);
    EXPECT_GT(b->pos().x(), c->pos().x()); // the active one last, on top
    EXPECT_EQ(b->pos().x(), b->pos().y());
    EXPECT_EQ(a->size(), sizeA);
    EXPECT_EQ(b->size(), sizeB);
    EXPECT_EQ(FormMain->ActiveMDIChild(), b);
    FormMain->WindowTileItem->trigger();
    const int width = FormMain->MdiArea->viewport()->width();
    EXPECT_EQ(b->geometry().top(), 0);
    for (TFormImage* w : {a, b, c})
        EXPECT_EQ(w->width(), width);
    EXPECT_EQ(c->geometry().top(), b->geometry().bottom() + 1);
    EXPECT_EQ(a->geometry().top(), c->geometry().bottom() + 1);
    EXPECT_EQ(a->geometry().bottom() + 1, FormMain->MdiArea->viewport()->height());
}

TEST_F(EnablingTest, APicImageActsLikeAFitsImage) {
    TFormImage* bmp = OpenBmp("photo.bmp", 8, 8);
    TFormImage* pic = OpenPic("saturn.pic", Int16Document("saturn.pic", 32, 16, kKindPic));
    ASSERT_NE(pic, bmp);
    EXPECT_EQ(pic->Document().Kind, kKindPic);
    EXPECT_EQ(pic->windowTitle(), "Image : saturn.pic (32x16) Entier 16 bits");
    ExpectTools(true, true, true, "PIC loaded");
    FormMain->MdiArea->setActiveSubWindow(bmp);
    ExpectTools(false, true, false, "bitmap active");
    FormMain->MdiArea->setActiveSubWindow(pic);
    ExpectTools(true, true, true, "PIC active again");
}

TEST_F(EnablingTest, ABitmapThatFailsLeavesNoWindowAndTheAddButtonOff) {
    QFile bad(folder.filePath("bad.bmp"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("BM not really a bitmap");
    bad.close();
    FormMain->OpenFile(bad.fileName());
    EXPECT_EQ(FormMain->MDIChildCount(), 0);
    EXPECT_EQ(FormMain->CurrentImage(), nullptr);
    EXPECT_FALSE(Enabled(FormCreeAnim, "BitAjout"));
    EXPECT_TRUE(dialogs.Messages.isEmpty()); // refused silently
    // With another image open, the active-window rule gives the button back: there is an image to add.
    OpenFits("m31.fit", Int16Document("m31.fit", 8, 8));
    FormMain->OpenFile(bad.fileName());
    EXPECT_EQ(FormMain->MDIChildCount(), 1);
    EXPECT_TRUE(Enabled(FormCreeAnim, "BitAjout"));
}
