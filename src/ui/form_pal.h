// The palette tool: the list of palette files ("*.Pal") of the folder the program was
// started in. A tool window on top.
#pragma once

#include <QString>
#include <QWidget>

class QListWidget;

namespace orv::ui {

class TFormPal : public QWidget {
    Q_OBJECT
  public:
    explicit TFormPal(QWidget* parent = nullptr);

    QListWidget* FileListBox1 = nullptr;
    // The working directory at start: palettes are looked for there.
    QString Directory;
};

extern TFormPal* FormPal;

} // namespace orv::ui
