#include "ui/form_select_lot.h"

#include "core/anim/batch_selection.h"
#include "core/anim/series_names.h"
#include "ui/application.h"
#include "ui/dialogs.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTreeWidget>

#include <algorithm>

namespace orv::ui {

namespace {

std::vector<std::string> ToStd(const QStringList& list) {
    std::vector<std::string> out;
    out.reserve(static_cast<size_t>(list.size()));
    for (const QString& s : list)
        out.push_back(s.toStdString());
    return out;
}

} // namespace

QList<TFileFilter> TFormSelectLot::FileTypes() {
    return {
        {QStringLiteral("Fichiers Image (*.Pic,*.Fit,*.Fts,*.Fits,*.Gz,*.Fz,*.Cpa)"),
         QStringLiteral("*.Pic;*.Fit;*.Fts;*.Fits;*.Fit.gz;*.Fts.gz;*.Fits.gz;*.Fz;*.Cpa")},
        {QStringLiteral("Fichiers Mips (*.Pic)"), QStringLiteral("*.Pic")},
        {QStringLiteral("Fichiers Fits (*.Fit,*.Fts,*.Fits,*.Gz,*.Fz)"),
         QStringLiteral("*.Fit;*.Fts;*.Fits;*.Fit.gz;*.Fts.gz;*.Fits.gz;*.Fz")},
        {QStringLiteral("Fichiers PAP (*.Cpa)"), QStringLiteral("*.Cpa")},
        {QStringLiteral("Tous les fichiers (*.*)"), QStringLiteral("*.*")},
    };
}

TFormSelectLot::TFormSelectLot(QWidget* parent) : QDialog(parent) {
    setObjectName("FormSelectLot");
    setWindowTitle(QStringLiteral("Outil de sélection d'un lot d'image"));
    setFixedSize(554, 489);

    DriveComboBox1 = new QComboBox(this);
    DriveComboBox1->setObjectName("DriveComboBox1");
    DriveComboBox1->setGeometry(8, 8, 145, 22);
    for (const QFileInfo& drive : QDir::drives())
        DriveComboBox1->addItem(QDir::toNativeSeparators(drive.absoluteFilePath()), drive.absoluteFilePath());
    connect(DriveComboBox1, &QComboBox::activated, this,
            [this] { RunCommand([this] { SetDirectory(DriveComboBox1->currentData().toString()); }); });
    DirectoryListBox1 = new QTreeWidget(this);
    DirectoryListBox1->setObjectName("DirectoryListBox1");
    DirectoryListBox1->setGeometry(8, 36, 145, 445);
    DirectoryListBox1->setHeaderHidden(true);
    DirectoryListBox1->setIndentation(10);
    connect(DirectoryListBox1, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        RunCommand([&] { SetDirectory(item->data(0, Qt::UserRole).toString()); });
    });

    FilterComboBox1 = new QComboBox(this);
    FilterComboBox1->setObjectName("FilterComboBox1");
    FilterComboBox1->setGeometry(160, 8, 145, 22);
    for (const TFileFilter& f : FileTypes())
        FilterComboBox1->addItem(f.Description, f.Patterns);
    connect(FilterComboBox1, &QComboBox::currentIndexChanged, this,
            [this] { RunCommand([this] { FilterComboBox1Change(); }); });
    FileListBox = new QListWidget(this);
    FileListBox->setObjectName("FileListBox");
    FileListBox->setGeometry(160, 36, 145, 445);
    FileListBox->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FileListBox->installEventFilter(this);
    connect(FileListBox, &QListWidget::itemDoubleClicked, this,
            [this] { RunCommand([this] { BitBtnAjoutClick(); }); });

    int y = 8;
    auto button = [&](const char* name, const QString& caption, void (TFormSelectLot::*handler)()) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        b->setGeometry(312, y, 105, 27);
        y += 33;
        if (handler)
            connect(b, &QPushButton::clicked, this,
                    [this, handler] { RunCommand([&] { (this->*handler)(); }); });
        return b;
    };
    auto label = [&](const char* name, const QString& caption) {
        auto* l = new QLabel(caption, this);
        l->setObjectName(name);
        l->setGeometry(312, y, 105, 16);
        y += 16;
        return l;
    };
    auto spin = [&](const char* name, int value) {
        auto* s = new QSpinBox(this);
        s->setObjectName(name);
        s->setRange(-1, 999999999);
        s->setValue(value);
        s->setGeometry(312, y, 105, 22);
        y += 28;
        return s;
    };
    BitBtn3 = button("BitBtn3", QStringLiteral("&Filtre"), &TFormSelectLot::BitBtn3Click);
    Label2 = label("Label2", QStringLiteral("Index Haut :"));
    SpinHaut = spin("SpinHaut", 999999999);
    Label4 = label("Label4", QStringLiteral("Filtre :"));
    EditFiltre = new QLineEdit(this);
    EditFiltre->setObjectName("EditFiltre");
    EditFiltre->setGeometry(312, y, 105, 22);
    y += 28;
    Label3 = label("Label3", QStringLiteral("Index Bas :"));
    SpinBas = spin("SpinBas", 0);
    BitBtn7 = button("BitBtn7", QStringLiteral("F&iltre"), &TFormSelectLot::BitBtn7Click);
    y += 8;
    BitBtnAjout = button("BitBtnAjout", QStringLiteral("&Ajouter"), &TFormSelectLot::BitBtnAjoutClick);
    BitBtnSupp = button("BitBtnSupp", QStringLiteral("&Supprimmer"), &TFormSelectLot::BitBtnSuppClick);
    BitBtn5 = button("BitBtn5", QStringLiteral("&Tout Ajouter"), &TFormSelectLot::BitBtn5Click);
    BitBtn6 = button("BitBtn6", QStringLiteral("T&out Supprimmer"), &TFormSelectLot::BitBtn6Click);
    y = 489 - 8 - 27 - 33;
    BitBtn4 = button("BitBtn4", QStringLiteral("Annuler"), nullptr);
    BitBtn4->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    connect(BitBtn4, &QPushButton::clicked, this, &QDialog::reject);
    BitBtn1 = button("BitBtn1", QStringLiteral("OK"), nullptr);
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);

    ListBox = new QListWidget(this);
    ListBox->setObjectName("ListBox");
    ListBox->setGeometry(424, 8, 122, 473);
    ListBox->setSelectionMode(QAbstractItemView::ExtendedSelection);

    // At first the list shows the folder the program started in.
    SetDirectory(QDir::currentPath());
}

void TFormSelectLot::SetDirectory(const QString& directory) {
    const QString path = QDir(directory).absolutePath();
    if (!QDir(path).exists()) return;
    directory_ = path;
    ShowDirectoryTree();
    FileListBox->clear();
    ReadDirectory();
}

void TFormSelectLot::ShowDirectoryTree() {
    DirectoryListBox1->clear();
    // The folders from the root down to the shown one, then the shown one's subfolders.
    QStringList chain;
    for (QDir d(directory_);;) {
        chain.prepend(d.absolutePath());
        if (d.isRoot() || !d.cdUp()) break;
    }
    QTreeWidgetItem* parent = nullptr;
    for (const QString& path : chain) {
        const QString name = QDir(path).isRoot() ? QDir::toNativeSeparators(path) : QDir(path).dirName();
        auto* item =
            parent ? new QTreeWidgetItem(parent, {name}) : new QTreeWidgetItem(DirectoryListBox1, {name});
        item->setData(0, Qt::UserRole, path);
        item->setExpanded(true);
        parent = item;
    }
    if (parent) DirectoryListBox1->setCurrentItem(parent);
    const QStringList subdirs = QDir(directory_).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& sub : subdirs) {
        auto* item = new QTreeWidgetItem(parent, {sub});
        item->setData(0, Qt::UserRole, QDir(directory_).filePath(sub));
    }
}

QStringList TFormSelectLot::Files() const {
    QStringList masks = FilterComboBox1->currentData().toString().split(';', Qt::SkipEmptyParts);
    // "*.*" means every file, a name without a dot included.
    for (QString& m : masks)
        if (m == "*.*") m = "*";
    // Masks match whatever the case of the names.
    return QDir(directory_).entryList(masks, QDir::Files, QDir::Name | QDir::IgnoreCase);
}

void TFormSelectLot::ReadDirectory() {
    QSet<QString> selected;
    for (const QListWidgetItem* item : FileListBox->selectedItems())
        selected.insert(item->text());
    const QString current = FileListBox->currentItem() ? FileListBox->currentItem()->text() : QString();
    FileListBox->clear();
    for (const QString& name : Files()) {
        auto* item = new QListWidgetItem(name, FileListBox);
        if (selected.contains(name)) item->setSelected(true);
        if (name == current) FileListBox->setCurrentItem(item, QItemSelectionModel::NoUpdate);
    }
}

void TFormSelectLot::SetSelection(std::vector<std::string> selection) {
    selection_ = std::move(selection);
    ShowSelection();
}

void TFormSelectLot::ShowSelection() {
    ListBox->clear();
    for (const std::string& name : selection_)
        ListBox->addItem(QString::fromStdString(name));
}

std::vector<std::string> TFormSelectLot::BatchPaths() const {
    std::vector<std::string> paths;
    const std::string directory = directory_.toStdString();
    for (const std::string& name : selection_)
        paths.push_back(JoinBatchPath(directory, name));
    return paths;
}

std::vector<std::string> TFormSelectLot::FileNames(bool selectedOnly) const {
    QStringList names;
    for (int i = 0; i < FileListBox->count(); ++i)
        if (!selectedOnly || FileListBox->item(i)->isSelected()) names << FileListBox->item(i)->text();
    return ToStd(names);
}

void TFormSelectLot::BitBtnAjoutClick() {
    AddSelectedFiles(selection_, FileNames(true));
    ShowSelection();
}

void TFormSelectLot::BitBtnSuppClick() {
    std::vector<size_t> positions;
    for (int i = 0; i < ListBox->count(); ++i)
        if (ListBox->item(i)->isSelected()) positions.push_back(static_cast<size_t>(i));
    RemoveEntries(selection_, positions);
    ShowSelection();
}

void TFormSelectLot::BitBtn5Click() {
    AddAllFiles(selection_, FileNames(false));
    ShowSelection();
}

void TFormSelectLot::BitBtn6Click() {
    selection_.clear();
    ShowSelection();
}

void TFormSelectLot::BitBtn3Click() {
    const QListWidgetItem* current = FileListBox->currentItem();
    if (!current || !current->isSelected()) return;
    const auto series = SplitSeriesName(current->text().toStdString());
    if (!series) return;
    EditFiltre->setText(QString::fromStdString(series->Prefix));
    // A conversion error leaves both fields as they were.
    const TSeriesRange range = ScanSeries(series->Prefix, FileNames(false));
    SpinHaut->setValue(range.High);
    SpinBas->setValue(range.Low);
}

void TFormSelectLot::BitBtn7Click() {
    AddAllFiles(selection_, SeriesFiles(EditFiltre->text().toStdString(), FileNames(false), SpinBas->value(),
                                        SpinHaut->value()));
    ShowSelection();
}

void TFormSelectLot::StartAfresh(const QString& folder) {
    SetSelection({});
    EditFiltre->clear();
    // Every index, until "&Filtre" finds the series' own.
    SpinBas->setValue(0);
    SpinHaut->setValue(SpinHaut->maximum());
    if (!folder.isEmpty() && folder != directory_)
        SetDirectory(folder);
    else
        ReadDirectory();
    FileListBox->clearSelection();
}

void TFormSelectLot::FileListBoxKeyDown(int key) {
    if (key != Qt::Key_Delete) return;
    bool all = false, asked = false;
    for (const std::string& name : FileNames(true)) {
        if (!all) {
            const TAnswer answer = Dialogs().Message(TMsgKind::Confirmation, TButtons::YesNoAll,
                                                     QString::fromStdString(DeleteFileQuestion(name)));
            if (answer == TAnswer::All) all = true;
            if (answer != TAnswer::Yes && answer != TAnswer::All) continue;
        }
        asked = true;
        // A file that cannot be deleted stays; the others go on.
        QFile::remove(QString::fromStdString(JoinBatchPath(directory_.toStdString(), name)));
    }
    if (asked) ReadDirectory();
}

void TFormSelectLot::FilterComboBox1Change() {
    ReadDirectory();
}

void TFormSelectLot::FormActivate() {
    ReadDirectory();
}

void TFormSelectLot::keyPressEvent(QKeyEvent* event) {
    // Escape removes the selected entries; the window stays open.
    if (event->key() == Qt::Key_Escape) {
        RunCommand([this] { BitBtnSuppClick(); });
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TFormSelectLot::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FileListBox && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Delete) {
            RunCommand([&] { FileListBoxKeyDown(key); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormSelectLot::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    RunCommand([this] { FormActivate(); });
}

void TFormSelectLot::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) RunCommand([this] { FormActivate(); });
}

} // namespace orv::ui
