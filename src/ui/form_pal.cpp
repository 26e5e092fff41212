// The palette tool's list and what a click on it does.
#include "ui/form_pal.h"

#include "core/formats/palette_file.h"
#include "ui/application.h"
#include "ui/form_image.h"
#include "ui/installed_data.h"
#include "ui/workspace.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QListWidget>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace orv::ui {

QStringList PaletteFiles(const QString& directory) {
    // The mask and the order ignore case, as file names do on the system the palette files
    // come from: "spectre.PAL" is listed with "Chaleur.Pal".
    return QDir(directory).entryList({QStringLiteral("*.pal")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
}

TFormPal::TFormPal(TWorkspace& workspace, QWidget* parent)
    : QWidget(parent, Qt::Tool), workspace_(workspace) {
    setObjectName("FormPal");
    setWindowTitle(QStringLiteral("Palettes"));
    resize(160, 220);
    Directory = QDir::currentPath();
    InstalledDirectory = InstalledDataFolder(QStringLiteral("palettes"));
    FileListBox1 = new QListWidget(this);
    FileListBox1->setObjectName("FileListBox1");
    FileListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    FileListBox1->setSortingEnabled(false); // PaletteFiles sorts
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FileListBox1);
    // Only the user's pick applies: a click, also on the name already selected, or a selection
    // moved by the keyboard. A mouse press moves the selection before its click: only the
    // click applies then. Focus makes a row current without selecting it, so that giving the
    // list the focus (a click on the title bar is enough) applies nothing.
    connect(FileListBox1, &QListWidget::itemClicked, this,
            [this] { RunCommand([this] { FileListBox1Click(); }); });
    connect(FileListBox1, &QListWidget::itemSelectionChanged, this, [this] {
        if (!FileListBox1->selectedItems().isEmpty() && QGuiApplication::mouseButtons() == Qt::NoButton)
            RunCommand([this] { FileListBox1Click(); });
    });
    connect(&workspace_, &TWorkspace::RuleApplied, this,
            [this](const auto& states) { ApplyRuleTo(*this, states); });
    connect(&workspace_, &TWorkspace::CurrentImageChanged, this, &TFormPal::ShowChosen);
}

void TFormPal::ShowChosen() {
    // Only the highlight moves: nothing is applied to the image.
    const QSignalBlocker quiet(FileListBox1);
    FileListBox1->clearSelection();
    const QObject* image = workspace_.CurrentImage();
    const auto chosen = image ? chosen_.constFind(image) : chosen_.constEnd();
    if (chosen == chosen_.constEnd()) return;
    const QList<QListWidgetItem*> found = FileListBox1->findItems(*chosen, Qt::MatchExactly);
    if (!found.isEmpty()) {
        found.first()->setSelected(true);
        FileListBox1->setCurrentItem(found.first(), QItemSelectionModel::NoUpdate);
    }
}

void TFormPal::ReadList() {
    if (listRead_) return;
    listRead_ = true;
    QStringList names = PaletteFiles(Directory);
    // Started from a folder without palettes, the installed program offers its own.
    if (names.isEmpty() && !InstalledDirectory.isEmpty()) {
        names = PaletteFiles(InstalledDirectory);
        if (!names.isEmpty()) Directory = InstalledDirectory;
    }
    FileListBox1->addItems(names);
}

void TFormPal::showEvent(QShowEvent* event) {
    ReadList();
    QWidget::showEvent(event);
}

void TFormPal::FileListBox1Click() {
    TFormImage* image = workspace_.CurrentImage();
    if (!image) return;
    const QList<QListWidgetItem*> picked = FileListBox1->selectedItems();
    if (picked.isEmpty()) return;
    const QListWidgetItem* item = picked.first();
    const QString path = QDir(Directory).filePath(item->text());
    TImageDocument& doc = image->Document();
    // A new palette is a change of display, like new thresholds: closing asks to save.
    if (!ApplyPaletteFile(doc, QFile::encodeName(path).toStdString(), *image)) return;
    image->ShowImage();
    if (doc.Kind == kKindPic || doc.Kind == kKindFits) doc.Modified = true;
    if (!chosen_.contains(image))
        connect(image, &QObject::destroyed, this, [this, image] { chosen_.remove(image); });
    chosen_[image] = item->text();
}

} // namespace orv::ui
