#include "ui/shell/qt_dialogs.h"

#include "ui/shell/help_window.h"
#include "ui/tools/printer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPushButton>

#include <algorithm>

namespace orv::ui {

namespace {

QMessageBox::Icon IconOf(TMsgKind kind) {
    switch (kind) {
    case TMsgKind::Warning:
        return QMessageBox::Warning;
    case TMsgKind::Error:
        return QMessageBox::Critical;
    case TMsgKind::Information:
        return QMessageBox::Information;
    case TMsgKind::Confirmation:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::ButtonRole RoleOf(TAnswer answer) {
    switch (answer) {
    case TAnswer::No:
        return QMessageBox::NoRole;
    case TAnswer::Cancel:
        return QMessageBox::RejectRole;
    case TAnswer::Ok:
        return QMessageBox::AcceptRole;
    default:
        return QMessageBox::YesRole;
    }
}

QList<TFileFilter> WithoutEmpty(const QList<TFileFilter>& filters) {
    QList<TFileFilter> out;
    for (const auto& f : filters)
        if (!f.Description.isEmpty()) out << f;
    return out;
}

} // namespace

TQtDialogs::~TQtDialogs() {
    delete help_;
}

TAnswer TQtDialogs::Message(TMsgKind kind, TButtons buttons, const QString& text, const QString& caption) {
    QMessageBox box(IconOf(kind), caption.isEmpty() ? MessageCaption(kind) : caption, text,
                    QMessageBox::NoButton, QApplication::activeWindow());
    QList<QPair<QAbstractButton*, TAnswer>> answers;
    for (TAnswer a : ButtonAnswers(buttons))
        answers.append({box.addButton(ButtonCaption(a), RoleOf(a)), a});
    box.setDefaultButton(static_cast<QPushButton*>(answers.first().first));
    // Escape means the harmless answer: "OK" alone, otherwise "Non".
    box.setEscapeButton(answers.size() > 1 ? answers[1].first : answers.first().first);
    box.exec();
    for (const auto& [button, answer] : answers)
        if (box.clickedButton() == button) return answer;
    return buttons == TButtons::Ok ? TAnswer::Ok : TAnswer::No;
}

QString TQtDialogs::OpenFileName(QWidget* parent, const QList<TFileFilter>& filters, int selected,
                                 const QString& folder) {
    QFileDialog dialog(parent, QStringLiteral("Ouvrir"), folder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setOption(QFileDialog::DontUseNativeDialog); // keeps the filter texts as written
    const QList<TFileFilter> list = WithoutEmpty(filters);
    const QString all = QtFilterString(list);
    dialog.setNameFilters(all.split(";;"));
    if (selected >= 0 && selected < list.size()) dialog.selectNameFilter(all.split(";;")[selected]);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

QString TQtDialogs::SaveFileName(QWidget* parent, const QList<TFileFilter>& filters, const QString& folder) {
    QFileDialog dialog(parent, QStringLiteral("Enregistrer sous"), folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    const QList<TFileFilter> shown = WithoutEmpty(filters);
    dialog.setNameFilters(QtFilterString(shown).split(";;"));
    // A name typed without extension takes the chosen kind's.
    const auto suffixOf = [&](int k) {
        return k >= 0 && k < shown.size() ? shown[k].Patterns.section(';', 0, 0).section('.', -1).toLower()
                                          : QString();
    };
    dialog.setDefaultSuffix(suffixOf(0));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
        dialog.setDefaultSuffix(suffixOf(dialog.nameFilters().indexOf(filter)));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

TPrinter& TQtDialogs::Printer() {
    if (!printer_) printer_ = std::make_unique<TQtPrinter>();
    return *printer_;
}

bool TQtDialogs::PrinterSetup(QWidget* parent, TPrinter& printer) {
    auto* qt = dynamic_cast<TQtPrinter*>(&printer);
    if (!qt) return false;
    // The system's printers and the PDF file, the current one first chosen.
    QStringList choices = qt->PrinterNames();
    choices << PdfPrinterName();
    const QString current = qt->PrintsToPdf() ? PdfPrinterName() : qt->Device().printerName();
    bool chosen = false;
    const QString choice = QInputDialog::getItem(
        parent, QStringLiteral("Configuration de l'impression"), QStringLiteral("Imprimante :"), choices,
        std::max(0, static_cast<int>(choices.indexOf(current))), false, &chosen);
    if (!chosen) return false;
    if (choice == PdfPrinterName())
        qt->SetPrintsToPdf(true);
    else
        qt->SelectPrinter(choice);
    QPageSetupDialog dialog(&qt->Device(), parent);
    dialog.setWindowTitle(QStringLiteral("Configuration de l'impression"));
    return dialog.exec() == QDialog::Accepted;
}

void TQtDialogs::ShowHelp(QWidget* parent) {
    if (!help_) {
        help_ = new THelpWindow(parent ? parent->window() : nullptr);
        if (parent) help_->PlaceOver(QRect(parent->mapToGlobal(QPoint(0, 0)), parent->size()));
    }
    help_->ShowContents();
}

int TQtDialogs::Exec(QDialog& dialog) {
    return dialog.exec();
}

} // namespace orv::ui
