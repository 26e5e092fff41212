// The batch tool's buttons over a real folder: adding, removing, series, deleting files.
#include "anim_fixture.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

using namespace orv;
using namespace orv::ui;
using namespace orv::ui::test;

namespace {

class BatchToolTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        for (const char* name : {"Img007.fit", "Img12.FTS", "Img3b.fit", "Imgx4.fit", "Img.fit", "img5.fit",
                                 "notes.txt", "Lune.pic", "Lune.fits.gz"}) {
            QFile f(folder.filePath(name));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("x");
        }
        FormSelectLot->SetDirectory(folder.path());
        FormSelectLot->SetSelection({});
    }
    void Select(const QStringList& names) {
        FileListBox()->clearSelection();
        for (const QString& n : names) {
            const auto found = FileListBox()->findItems(n, Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1) << n.toStdString();
            found[0]->setSelected(true);
            FileListBox()->setCurrentItem(found[0], QItemSelectionModel::Select);
        }
    }
    QListWidget* FileListBox() { return FormSelectLot->FileListBox; }
    QStringList Shown(QListWidget* list) {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
};

} // namespace

TEST_F(BatchToolTest, MasksIgnoreCaseAndTheListStaysSorted) {
    EXPECT_EQ(FormSelectLot->FilterComboBox1->count(), 5);
    EXPECT_EQ(FormSelectLot->FilterComboBox1->itemText(0),
              "Fichiers Image (*.Pic,*.Fit,*.Fts,*.Fits,*.Gz,*.Fz,*.Cpa)");
    EXPECT_EQ(FormSelectLot->FilterComboBox1->itemText(4), "Tous les fichiers (*.*)");
    EXPECT_FALSE(Shown(FileListBox()).contains("notes.txt"));
    EXPECT_TRUE(Shown(FileListBox()).contains("Img12.FTS"));
    EXPECT_TRUE(Shown(FileListBox()).contains("Lune.fits.gz"));
    FormSelectLot->FilterComboBox1->setCurrentIndex(4);
    EXPECT_TRUE(Shown(FileListBox()).contains("notes.txt"));
    FormSelectLot->FilterComboBox1->setCurrentIndex(0);

    Select({"Img12.FTS", "Img007.fit"});
    FormSelectLot->BitBtnAjout->click();
    FormSelectLot->BitBtnAjout->click(); // nothing twice
    EXPECT_EQ(Shown(FormSelectLot->ListBox), (QStringList{"Img007.fit", "Img12.FTS"}));
    FormSelectLot->BitBtn5->click(); // every file, even those already there
    EXPECT_EQ(FormSelectLot->Selection().size(), 2u + 8u);
    FormSelectLot->BitBtn6->click();
    EXPECT_EQ(FormSelectLot->ListBox->count(), 0);
}

TEST_F(BatchToolTest, TheSeriesIsFoundAndAddedBetweenItsIndexes) {
    Select({"Img007.fit"});
    FormSelectLot->BitBtn3->click();
    EXPECT_EQ(FormSelectLot->EditFiltre->text(), "Img");
    EXPECT_EQ(FormSelectLot->SpinHaut->value(), 12);
    EXPECT_EQ(FormSelectLot->SpinBas->value(), 7);
    FormSelectLot->BitBtn7->click();
    EXPECT_EQ(Shown(FormSelectLot->ListBox), (QStringList{"Img007.fit", "Img12.FTS"}));
    EXPECT_EQ(FormSelectLot->BatchPaths()[0], folder.filePath("Img007.fit").toStdString());
    // The lower index typed, then Tab: only the files from there up.
    FormSelectLot->BitBtn6->click();
    FormSelectLot->SpinBas->selectAll();
    QTest::keyClicks(FormSelectLot->SpinBas, "8");
    QTest::keyClick(FormSelectLot->SpinBas, Qt::Key_Tab);
    FormSelectLot->BitBtn7->click();
    EXPECT_EQ(Shown(FormSelectLot->ListBox), (QStringList{"Img12.FTS"}));
}

TEST_F(BatchToolTest, EscapeRemovesTheSelectedEntriesAndKeepsTheWindow) {
    FormSelectLot->SetSelection({"a.fit", "b.fit", "c.fit"});
    FormSelectLot->ListBox->item(1)->setSelected(true);
    FormSelectLot->show();
    QTest::keyClick(FormSelectLot->ListBox, Qt::Key_Escape);
    EXPECT_EQ(FormSelectLot->Selection(), (std::vector<std::string>{"a.fit", "c.fit"}));
    EXPECT_TRUE(FormSelectLot->isVisible());
    FormSelectLot->hide();
}

TEST_F(BatchToolTest, DeleteAsksPerFileUntilAll) {
    Select({"Img.fit", "Img007.fit", "Img12.FTS", "img5.fit"});
    // Keep the first, delete the second, then all the rest without asking.
    for (TAnswer a : {TAnswer::No, TAnswer::Yes, TAnswer::All})
        dialogs.Answers.enqueue(a);
    FormSelectLot->FileListBoxKeyDown(Qt::Key_Delete);
    ASSERT_EQ(dialogs.Messages.size(), 3);
    EXPECT_EQ(dialogs.Messages[0].Caption, "Confirmation");
    EXPECT_EQ(dialogs.Messages[0].Buttons, TButtons::YesNoAll);
    EXPECT_EQ(dialogs.Messages[0].Text, "Supprimer \nImg.fit ?");
    const QStringList left = Shown(FileListBox());
    EXPECT_TRUE(left.contains("Img.fit"));
    for (const char* gone : {"Img007.fit", "Img12.FTS", "img5.fit"}) {
        EXPECT_FALSE(left.contains(gone)) << gone;
        EXPECT_FALSE(QFile::exists(folder.filePath(gone))) << gone;
    }
}
