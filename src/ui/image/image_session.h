// An open image as the tool windows see it: the document, what is made of its pixels (the
// summary, the colour planes, the rendered picture) and the ways to say its display changed.
// The image window is one; the tools reach it through the workspace, never through the
// window's own header, so that a tool neither knows nor depends on how the image is shown.
#pragma once

#include "core/image/debayer.h"
#include "core/image/image_document.h"
#include "core/image/statistics.h"

#include <QSize>
#include <QString>

#include <optional>

class QObject;

namespace orv::ui {

class TImageSession {
  public:
    virtual ~TImageSession() = default;

    virtual TImageDocument& Document() = 0;
    virtual const TImageDocument& Document() const = 0;
    // The file's name as the window shows it, and the window's caption.
    virtual QString FileName() const = 0;
    virtual QString Caption() const = 0;
    // The size of the picture shown (a superpixel mosaic's is half its own).
    virtual QSize PictureSize() const = 0;
    virtual TDebayer Debayer() const = 0;

    // The statistics and histogram of the values, made once per pixels.
    virtual const TImageSummary& Summary() = 0;
    // The colours shown, debayered once per pixels and method; nothing for a grey picture.
    virtual std::optional<TColourPlanes> ColourPlanes() const = 0;
    // The document with its display bitmap made for the current display settings.
    virtual const TImageDocument& Rendered() const = 0;

    // The thresholds or palette changed: rendered and shown, and a kept file asks to be saved.
    virtual void DisplayChanged() = 0;
    // A change no file keeps (the display function): rendered and shown, not marked modified.
    virtual void ViewChanged() = 0;
    // The document's picture changed in place: shown again.
    virtual void ShowImage() = 0;

    // What goes when the image closes: a tool that keeps a session watches it.
    virtual QObject* Lifetime() = 0;
};

} // namespace orv::ui
