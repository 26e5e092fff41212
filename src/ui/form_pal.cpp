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
#include <QVBoxLayout>

namespace orv::ui {

TFormPal* FormPal = nullptr;

QStringList PaletteFiles(const QString& directory) {
    // The mask and the order ignore case, as file names do on the system the palette files
    // come from: "spectre.PAL" is listed with "Chaleur.Pal".
    return QDir(directory).entryList({QStringLiteral("*.pal")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
}

TFormPal::TFormPal(TWorkspace& workspace, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), workspace_(workspace) {
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
    // A click applies the name, also the one already selected; a selection moved by the
    // keyboard applies too. A mouse press moves the selection before its click: only the
    // click applies then.
    connect(FileListBox1, &QListWidget::itemClicked, this,
            [this] { RunCommand([this] { FileListBox1Click(); }); });
    connect(FileListBox1, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item && QGuiApplication::mouseButtons() == Qt::NoButton)
            RunCommand([this] { FileListBox1Click(); });
    });
    connect(&workspace_, &TWorkspace::RuleApplied, this,
            [this](const auto& states) { ApplyRuleTo(*this, states); });
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
    const QListWidgetItem* item = FileListBox1->currentItem();
    if (!item) return;
    const QString path = QDir(Directory).filePath(item->text());
    TImageDocument& doc = image->Document();
    // A new palette is a change of display, like new thresholds: closing asks to save.
    if (ApplyPaletteFile(doc, QFile::encodeName(path).toStdString(), *image) &&
        (doc.Kind == kKindPic || doc.Kind == kKindFits))
        doc.Modified = true;
}

} // namespace orv::ui
