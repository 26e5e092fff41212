// The printer the program prints on: its orientation, its printable page in device pixels,
// and one page holding a picture stretched into a rectangle from the page's top-left corner.
// Instead of a printer it can write a PDF file ("Imprimer dans un fichier PDF"), as it does
// when the system has no printer. The Qt printer drives the system's printing; tests put a
// recording one in its place.
#pragma once

#include "core/base/errors.h"
#include "core/tools/print_layout.h"

#include <QImage>
#include <QRect>
#include <QString>

#include <memory>

class QPrinter;

namespace orv::ui {

// A page that could not be printed, with the printing service's reason.
class EPrintError : public EOrvanelError {
  public:
    using EOrvanelError::EOrvanelError;
};

class TPrinter {
  public:
    virtual ~TPrinter() = default;
    virtual TOrientation Orientation() const = 0;
    virtual void SetOrientation(TOrientation orientation) = 0;
    // The printable page in device pixels.
    virtual TSize PageSize() const = 0;
    // Whether the system has a printer at all.
    virtual bool HasPrinter() const = 0;
    // Printing goes to a PDF file rather than to the printer.
    virtual bool PrintsToPdf() const = 0;
    virtual void SetPrintsToPdf(bool pdf) = 0;
    // Begins a document, draws the picture stretched into the rectangle (pixels stay sharp
    // squares), ends the document; to pdfFile when it is given, else to the printer. A PDF file
    // is written whole or not at all. Throws EPrintError when nothing could be printed.
    virtual void PrintPicture(const QImage& picture, const QRect& target, const QString& title,
                              const QString& pdfFile = {}) = 0;
};

// The printer set-up's choice that prints to a file.
QString PdfPrinterName();
// A PDF file name as chosen: ".pdf" added when the name part has no extension.
QString PdfFileName(const QString& chosen);

class TQtPrinter : public TPrinter {
  public:
    TQtPrinter();
    ~TQtPrinter() override;
    TOrientation Orientation() const override;
    void SetOrientation(TOrientation orientation) override;
    TSize PageSize() const override;
    bool HasPrinter() const override;
    bool PrintsToPdf() const override;
    void SetPrintsToPdf(bool pdf) override;
    void PrintPicture(const QImage& picture, const QRect& target, const QString& title,
                      const QString& pdfFile = {}) override;

    // The system's printers, for the set-up; choosing one prints on it.
    QStringList PrinterNames() const;
    void SelectPrinter(const QString& name);

    // What the printer set-up dialog works on.
    QPrinter& Device() { return *printer_; }

  private:
    std::unique_ptr<QPrinter> printer_;
};

} // namespace orv::ui
