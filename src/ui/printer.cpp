#include "ui/printer.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace orv::ui {

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

void TQtPrinter::PrintPicture(const QImage& picture, const QRect& target, const QString& title) {
    if (printer_->outputFormat() == QPrinter::NativeFormat && QPrinterInfo::availablePrinterNames().isEmpty())
        throw EPrintError("Aucune imprimante n'est disponible");
    printer_->setDocName(title);
    QPainter painter;
    if (!painter.begin(printer_.get())) throw EPrintError("L'impression n'a pas pu commencer");
    // One picture pixel becomes a square of printer pixels: no smoothing.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, picture);
    if (!painter.end()) throw EPrintError("L'impression a échoué");
}

} // namespace orv::ui
