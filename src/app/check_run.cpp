#include "check_run.h"

#include "ui/image/form_image.h"
#include "ui/shell/form_main.h"
#include "ui/tools/form_pal.h"

#include <QDialog>
#include <QListWidget>

#include <iostream>

namespace orv::app {

TAnswer TCheckDialogs::Message(TMsgKind kind, TButtons buttons, const QString& text, const QString& caption) {
    ++messageCount_;
    std::cerr << (caption.isEmpty() ? ui::MessageCaption(kind) : caption).toStdString() << " : "
              << text.toStdString() << "\n";
    return buttons == TButtons::Ok ? TAnswer::Ok : TAnswer::No;
}

int TCheckDialogs::Exec(QDialog&) {
    ++messageCount_;
    std::cerr << "Fenêtre modale refusée\n";
    return QDialog::Rejected;
}

void WriteCheckReport(const ui::TFormMain& mainWindow, std::ostream& out) {
    if (auto* palettes = mainWindow.findChild<ui::TFormPal*>()) {
        palettes->ReadList();
        out << "Palettes : " << palettes->Directory.toStdString() << "\n";
        for (int i = 0; i < palettes->FileListBox1->count(); ++i)
            out << "  " << palettes->FileListBox1->item(i)->text().toStdString() << "\n";
    }
    const QList<ui::TFormImage*> windows = mainWindow.MDIChildren(); // most recent first
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        out << (*it)->windowTitle().toStdString() << "\n";
}

} // namespace orv::app
