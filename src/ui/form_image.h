// An image window: one child of the main window's frame per opened image. It owns the
// image document, shows its display bitmap at one screen pixel per image pixel inside a
// scroll area, writes the pixel readout into the main window's status bar, and is the
// document's host while the document loads.
#pragma once

#include "core/image/document_host.h"
#include "core/image/image_document.h"

#include <QMdiSubWindow>

class QMenu;
class QScrollArea;

namespace orv::ui {

class TImageControl;

// The question asked when a modified image window closes.
QString ModifiedQuestion();

class TFormImage : public QMdiSubWindow, public TDocumentHost {
    Q_OBJECT
  public:
    explicit TFormImage(QWidget* parent = nullptr);
    ~TFormImage() override;

    TImageDocument& Document() { return doc_; }
    const TImageDocument& Document() const { return doc_; }
    QString FileName() const;

    // Chooses the reader by extension, with the wait cursor while it reads.
    TLoadResult OpenImage(const QString& fileName);
    // PIC documents as PIC, FITS documents as FITS, nothing for the other kinds.
    void SaveImage(const QString& fileName);
    // "Enregistrer": under its own name, in the format of its kind.
    void SaveByKind();

    void Render();
    // Sizes the picture, fits the window the first time, shows the display bitmap,
    // updates the caption.
    void ShowImage() override;
    // Sizes the window to its picture within the main window's client area.
    void FitWindow();
    // What a tool calls after changing this document's thresholds or palette: the image is
    // rendered and shown again, and closing the window will ask whether to save it.
    void DisplayChanged();

    // The client area: the scroll area's size.
    QSize ClientSize() const;
    void SetClientSize(QSize client);

    // Handlers.
    void FormActivate();
    void ImageMouseMove(int x, int y);
    void AjusterlaFentre1Click();

    // What the document asks of its holder.
    TAnswer Message(TMsgKind kind, TButtons buttons, const std::string& text) override;
    void PushThresholds(double high, double low) override;
    void SetBitAjoutEnabled(bool enabled) override;
    void UpdateImageTools() override;
    void CaptionChanged(const std::string& caption) override;
    void Progress(const std::string& label, float fraction) override;

    QScrollArea* ScrollBox = nullptr;
    TImageControl* Image = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* AjusterlaFentre1 = nullptr;

  protected:
    // FormClose: asks about a modified document, then lets the frame activate another.
    void closeEvent(QCloseEvent* event) override;

  private:
    TImageDocument doc_;
};

} // namespace orv::ui
