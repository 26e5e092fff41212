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
    // A new use: an empty list, the series fields back to every index, the folder shown
    // (when it exists; else the one shown before).
    void StartAfresh(const QString& folder);

    // Handlers.
    void BitBtnAjoutClick();
    void BitBtnSuppClick();
    void BitBtn5Click(); // every file of the folder shown
    void BitBtn6Click(); // the selection list emptied
    void BitBtn3Click(); // the series of the selected file into the filter fields
    void BitBtn7Click(); // the files of the series named in EditFiltre, from SpinBas to SpinHaut, added
    void FileListBoxKeyDown(int key);
    void FilterComboBox1Change();
    void FormActivate();

    QComboBox* DriveComboBox1 = nullptr;      // the drives
    QTreeWidget* DirectoryListBox1 = nullptr; // the folders, from the root to the one shown
    QComboBox* FilterComboBox1 = nullptr;     // the file types
    QListWidget* FileListBox = nullptr;       // the files of the folder shown
    QPushButton* BitBtn3 = nullptr;           // "&Filtre": the series of the selected file
    QLabel* Label2 = nullptr;                 // "Index Haut :"
    QSpinBox* SpinHaut = nullptr;             // the highest number "F&iltre" adds
    QLabel* Label4 = nullptr;                 // "Filtre :"
    QLineEdit* EditFiltre = nullptr;          // the series' name before its number
    QLabel* Label3 = nullptr;                 // "Index Bas :"
    QSpinBox* SpinBas = nullptr;              // the lowest number "F&iltre" adds
    QPushButton* BitBtn7 = nullptr;           // "F&iltre": adds the series between the two indexes
    QPushButton* BitBtnAjout = nullptr;
    QPushButton* BitBtnSupp = nullptr;
    QPushButton* BitBtn5 = nullptr; // "&Tout Ajouter"
    QPushButton* BitBtn6 = nullptr; // "T&out Supprimmer"
    QPushButton* BitBtn4 = nullptr; // "Annuler"
    QPushButton* BitBtn1 = nullptr; // "OK"
    QListWidget* ListBox = nullptr; // the selection list: the batch, in order

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

} // namespace orv::ui
