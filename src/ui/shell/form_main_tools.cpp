// The main window's commands over the display tools: statistics, printer set-up, printing
// and the export of the displayed picture as a GIF file.
#include "ui/shell/form_main.h"

#include "core/base/file_io.h"
#include "core/document/gif_document.h"
#include "core/image/debayer.h"
#include "core/image/statistics.h"
#include "core/text/path_text.h"
#include "ui/image/form_image.h"
#include "ui/image/image_control.h"
#include "ui/shell/workspace.h"
#include "ui/tools/form_impr.h"
#include "ui/tools/printer.h"
#include "ui/tools/stat.h"

#include <QFile>
#include <QFileInfo>
#include <QRadioButton>

namespace orv::ui {

QString OverwriteFileQuestion(const QString& fileName) {
    return QStringLiteral("Le fichier :\n") + fileName + QStringLiteral("\nExiste deja, l'ecraser ?");
}

void TFormMain::SpeedStatClick() {
    if (!CurrentImage() || !tools_.Stat) return;
    const TImageDocument& doc = CurrentImage()->Document();
    if (doc.Kind == kKindGif || doc.Kind == kKindBmp || doc.Kind == kKindEmpty) return;
    if (const std::optional<TColourPlanes> planes = CurrentImage()->ColourPlanes())
        tools_.Stat->ShowStatistics(std::array<TStatistics, 3>{ComputeStatistics(planes->Channels[0]),
                                                               ComputeStatistics(planes->Channels[1]),
                                                               ComputeStatistics(planes->Channels[2])});
    else
        tools_.Stat->ShowStatistics(CurrentImage()->Summary().Statistics);
    Dialogs().Exec(*tools_.Stat);
}

void TFormMain::Configurationdelimpression1Click() {
    Dialogs().PrinterSetup(this, Dialogs().Printer());
}

void TFormMain::Imprimer1Click() {
    QPointer<TFormImage> image = CurrentImage();
    TFormImpr* dialog = tools_.Impr;
    if (!image || !dialog || image->Document().Kind == kKindEmpty) return;
    TPrinter& printer = Dialogs().Printer();
    // The choice shown follows the printer; each one sets it again and draws the preview.
    if (printer.Orientation() == TOrientation::Portrait) {
        dialog->RadioButton1->setChecked(true);
        dialog->RadioButton1Click();
    } else {
        dialog->RadioButton2->setChecked(true);
        dialog->RadioButton2Click();
    }
    dialog->FormActivate();
    if (Dialogs().Exec(*dialog) != QDialog::Accepted || !image) return;
    // Without a printer, or when the set-up chose it, the page goes to a PDF file.
    QString pdf;
    if (printer.PrintsToPdf() || !printer.HasPrinter()) {
        const QString chosen = Dialogs().SaveFileName(this, PdfDialogFilter(), workspace_.FileDialogFolder());
        if (chosen.isEmpty() || !image) return;
        workspace_.RememberFolderOf(chosen);
        pdf = PdfFileName(chosen);
        if (QFileInfo::exists(pdf) && Dialogs().Message(TMsgKind::Confirmation, TButtons::YesNo,
                                                        OverwriteFileQuestion(pdf)) != TAnswer::Yes)
            return;
        if (!image) return;
    }
    const TRectangle r = PrintRectangle(dialog->SpinEdit1->value(),
                                        {image->PictureSize().width(), image->PictureSize().height()});
    printer.PrintPicture(image->Picture(), QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top),
                         QStringLiteral("Orvanel - ") + QFileInfo(image->FileName()).fileName(), pdf);
}

void TFormMain::EnregistrersousGif1Click() {
    QString name = Dialogs().SaveFileName(this, SaveDialogFilter(), workspace_.FileDialogFolder());
    if (name.isEmpty()) return;
    workspace_.RememberFolderOf(name);
    QPointer<TFormImage> image = CurrentImage();
    if (!image) return;
    if (ExtractFileExt(name.toStdString()).empty()) name += QStringLiteral(".gif");
    if (FileExists(QFile::encodeName(name).toStdString()) &&
        Dialogs().Message(TMsgKind::Confirmation, TButtons::YesNo, OverwriteFileQuestion(name)) !=
            TAnswer::Yes)
        return;
    if (image) image->ExportGif(name);
}

} // namespace orv::ui
