#include "ui/form_pal.h"

#include <QDir>
#include <QListWidget>
#include <QVBoxLayout>

namespace orv::ui {

TFormPal* FormPal = nullptr;

TFormPal::TFormPal(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName("FormPal");
    setWindowTitle(QStringLiteral("Palettes"));
    resize(160, 220);
    Directory = QDir::currentPath();
    FileListBox1 = new QListWidget(this);
    FileListBox1->setObjectName("FileListBox1");
    FileListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    FileListBox1->setSortingEnabled(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FileListBox1);
}

} // namespace orv::ui
