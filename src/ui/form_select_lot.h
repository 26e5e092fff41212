// The batch tool: a list of image files of one folder, shown modally. The selection list
// keeps bare names in list-box order; the caller joins them to the folder shown at closing.
#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTreeWidget;

namespace orv::ui {

struct TFileFilter;

class TFormSelectLot : public QDialog {
    Q_OBJECT
  public:
    explicit TFormSelectLot(QWidget* parent = nullptr);

    // The entries of the file-type list: shown text and masks.
    static QList<TFileFilter> FileTypes();

    // The folder FileListBox shows, and its files (those the mask lets through, sorted).
    QString Directory() const { return directory_; }
    void SetDirectory(const QString& directory);
    QStringList Files() const;
    // FileListBox reads its folder again; the selected files stay selected.
    void ReadDirectory();

    // The selection list, and the batch: each entry joined to the folder, in list order.
    const std::vector<std::string>& Selection() const { return selection_; }
    void SetSelection(std::vector<std::string> selection);
    std::vector<std::string> BatchPaths() const;

    // Handlers.
    void BitBtnAjoutClick();
    void BitBtnSuppClick();
    void BitBtn5Click();
    void BitBtn6Click();
    void BitBtn3Click();
    void BitBtn7Click();
    void FileListBoxKeyDown(int key);
    void FilterComboBox1Change();
    void FormActivate();

    QComboBox* DriveComboBox1 = nullptr;
    QTreeWidget* DirectoryListBox1 = nullptr;
    QComboBox* FilterComboBox1 = nullptr;
    QListWidget* FileListBox = nullptr;
    QPushButton* BitBtn3 = nullptr;
    QLabel* Label2 = nullptr;
    QSpinBox* SpinHaut = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* EditFiltre = nullptr;
    QLabel* Label3 = nullptr;
    QSpinBox* SpinBas = nullptr;
    QPushButton* BitBtn7 = nullptr;
    QPushButton* BitBtnAjout = nullptr;
    QPushButton* BitBtnSupp = nullptr;
    QPushButton* BitBtn5 = nullptr;
    QPushButton* BitBtn6 = nullptr;
    QPushButton* BitBtn4 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QListWidget* ListBox = nullptr;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void ShowDirectoryTree();
    void ShowSelection();
    std::vector<std::string> FileNames(bool selectedOnly) const;

    QString directory_;
    std::vector<std::string> selection_;
};

extern TFormSelectLot* FormSelectLot;

} // namespace orv::ui
