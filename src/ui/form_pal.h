// The palette tool: the list of palette files ("*.Pal", any case) of the folder the program
// was started in, or of the installed palettes when that folder has none, read when the
// window is first shown. Choosing one colours the current image through it. A tool window
// over the main window.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QWidget>

class QListWidget;

namespace orv::ui {

class TWorkspace;

// The palette files of a folder, sorted by name; the mask ignores case.
QStringList PaletteFiles(const QString& directory);

class TFormPal : public QWidget {
    Q_OBJECT
  public:
    explicit TFormPal(TWorkspace& workspace, QWidget* parent = nullptr);

    // Fills the list from Directory (from InstalledDirectory when Directory has none), once.
    void ReadList();
    // Applies the selected file to the current image.
    void FileListBox1Click();
    // The list highlights the palette the current image was given here, none for another.
    void ShowChosen();

    QListWidget* FileListBox1 = nullptr; // the palette files
    // The working directory at start: palettes are looked for there. Becomes
    // InstalledDirectory when the list comes from there.
    QString Directory;
    // The palettes installed with the program.
    QString InstalledDirectory;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    TWorkspace& workspace_;
    bool listRead_ = false;
    QHash<const QObject*, QString> chosen_; // each image window's palette, by name
};

} // namespace orv::ui
