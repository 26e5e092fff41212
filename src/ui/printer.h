// The printer the program prints on: its orientation, its printable page in device pixels,
// and one page holding a picture stretched into a rectangle from the page's top-left corner.
// The Qt printer drives the system's printing; tests put a recording one in its place.
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
    // Begins a document, draws the picture stretched into the rectangle (pixels stay sharp
    // squares), ends the document. Throws EPrintError when nothing could be printed.
    virtual void PrintPicture(const QImage& picture, const QRect& target, const QString& title) = 0;
};

class TQtPrinter : public TPrinter {
  public:
    TQtPrinter();
    ~TQtPrinter() override;
    TOrientation Orientation() const override;
    void SetOrientation(TOrientation orientation) override;
    TSize PageSize() const override;
    void PrintPicture(const QImage& picture, const QRect& target, const QString& title) override;

    // What the printer set-up dialog works on.
    QPrinter& Device() { return *printer_; }

  private:
    std::unique_ptr<QPrinter> printer_;
};

} // namespace orv::ui
