// The Qt printer: the system's printer, or Qt's PDF output written through a temporary file.
#include "ui/tools/printer.h"

#include "core/text/path_text.h"

#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <cstdio>

namespace orv::ui {

QString PdfPrinterName() {
    return QStringLiteral("Imprimer dans un fichier PDF");
}

QString PdfFileName(const QString& chosen) {
    return QFile::decodeName(WithDefaultExtension(QFile::encodeName(chosen).toStdString(), ".pdf").c_str());
}

TQtPrinter::TQtPrinter() : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {}

TQtPrinter::~TQtPrinter() = default;

TOrientation TQtPrinter::Orientation() const {
    return printer_->pageLayout().orientation() == QPageLayout::Landscape ? TOrientation::Landscape
                                                                          : TOrientation::Portrait;
}

void TQtPrinter::SetOrientation(TOrientation orientation) {
    printer_->setPageOrientation(orientation == TOrientation::Landscape ? QPageLayout::Landscape
                                                                        : QPageLayout::Portrait);
}

TSize TQtPrinter::PageSize() const {
    const QRect page = printer_->pageLayout().paintRectPixels(printer_->resolution());
    return {page.width(), page.height()};
}

bool TQtPrinter::HasPrinter() const {
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

bool TQtPrinter::PrintsToPdf() const {
    return printer_->outputFormat() == QPrinter::PdfFormat;
}

void TQtPrinter::SetPrintsToPdf(bool pdf) {
    printer_->setOutputFormat(pdf || !HasPrinter() ? QPrinter::PdfFormat : QPrinter::NativeFormat);
}

QStringList TQtPrinter::PrinterNames() const {
    return QPrinterInfo::availablePrinterNames();
}

void TQtPrinter::SelectPrinter(const QString& name) {
    printer_->setOutputFormat(QPrinter::NativeFormat);
    printer_->setPrinterName(name);
}

namespace {

// Draws the one page; false when the device would not start or finish it.
bool DrawPage(QPrinter& printer, const QImage& picture, const QRect& target) {
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    // One picture pixel becomes a square of printer pixels: no smoothing.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, picture);
    return painter.end();
}

} // namespace

void TQtPrinter::PrintPicture(const QImage& picture, const QRect& target, const QString& title,
                              const QString& pdfFile) {
    printer_->setDocName(title);
    if (!pdfFile.isEmpty()) {
        // The old file stays until the new one is complete.
        const QString temporary = pdfFile + QStringLiteral(".orvanel-tmp");
        const QPrinter::OutputFormat format = printer_->outputFormat();
        printer_->setOutputFormat(QPrinter::PdfFormat);
        printer_->setOutputFileName(temporary);
        const bool drawn = DrawPage(*printer_, picture, target);
        printer_->setOutputFileName({});
        printer_->setOutputFormat(format);
        if (!drawn || std::rename(QFile::encodeName(temporary).constData(),
                                  QFile::encodeName(pdfFile).constData()) != 0) {
            QFile::remove(temporary);
            throw EPrintError("Impossible d'écrire le fichier " + QFile::encodeName(pdfFile).toStdString());
        }
        return;
    }
    if (printer_->outputFormat() != QPrinter::NativeFormat || !HasPrinter())
        throw EPrintError("Aucune imprimante n'est disponible");
    if (!DrawPage(*printer_, picture, target)) throw EPrintError("L'impression n'a pas pu commencer");
}

} // namespace orv::ui
