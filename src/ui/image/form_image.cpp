// The image window: its picture, its activation and closing, and what it does as its
// document's host.
#include "ui/image/form_image.h"

#include "core/document/gif_document.h"
#include "core/document/open_image.h"
#include "core/image/auto_display.h"
#include "core/image/colour_picture.h"
#include "core/image/display.h"
#include "core/image/frame_series.h"
#include "ui/image/display_picture.h"
#include "ui/image/image_control.h"
#include "ui/shell/application.h"
#include "ui/shell/dialogs.h"
#include "ui/shell/tool_icons.h"
#include "ui/shell/workspace.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QScrollArea>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionTitleBar>

#include <algorithm>
#include <utility>

namespace orv::ui {

namespace {

std::string LocalName(const QString& fileName) {
    return QFile::encodeName(fileName).toStdString();
}

TSystemMetrics SystemMetrics(const QWidget* window) {
    const QStyle* style = window->style();
    QStyleOptionTitleBar title;
    title.initFrom(window);
    title.titleBarFlags = window->windowFlags();
    TSystemMetrics m;
    m.BorderWidth = m.BorderHeight = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, window);
    m.CaptionHeight = style->pixelMetric(QStyle::PM_TitleBarHeight, &title, window);
    m.VScrollWidth = m.HScrollHeight = style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, window);
    return m;
}

} // namespace

QString ModifiedQuestion() {
    return QStringLiteral("Les informations de ce fichier ont changé !\nVoulez vous l'enregistrer ?");
}

TFormImage::TFormImage(TWorkspace& workspace, QWidget* parent)
    : QMdiSubWindow(parent), TQtDocumentHost(workspace), doc_(std::make_shared<TImageDocument>()),
      debayer_(workspace.DefaultDebayer()) {
    setObjectName("FormImage");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromStdString(doc_->Caption));
    setWindowIcon(ToolIcon(TPicture::AboutIcon, 16));
    ScrollBox = new QScrollArea;
    ScrollBox->setObjectName("ScrollBox");
    ScrollBox->setFrameShape(QFrame::NoFrame);
    ScrollBox->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ScrollBox->setWidgetResizable(false);
    Image = new TImageControl;
    Image->setFixedSize(0, 0);
    Image->OnMouseMove = [this](int x, int y) { RunCommand([&] { ImageMouseMove(x, y); }); };
    Image->AcceptsDrag = [this] { return Workspace().RegionPicking(); };
    Image->OnDrag = [this](QPoint from, QPoint to, bool finished) { ImageDrag(from, to, finished); };
    // The region drawn stays on the window it was drawn on while it is being chosen.
    connect(&workspace, &TWorkspace::RegionDragged, this, [this] {
        if (!Image->Dragging()) Image->ClearBand();
    });
    connect(&workspace, &TWorkspace::RegionPickingChanged, this, [this](bool picking) {
        if (!picking) Image->ClearBand();
    });
    ScrollBox->setWidget(Image);
    FrameBar = new QWidget;
    FrameBar->setObjectName("FrameBar");
    FrameSlider = new QSlider(Qt::Horizontal);
    FrameSlider->setObjectName("FrameSlider");
    FrameSlider->setPageStep(10);
    FrameLabel = new QLabel;
    FrameLabel->setObjectName("FrameLabel");
    auto* bar = new QHBoxLayout(FrameBar);
    bar->setContentsMargins(4, 2, 4, 2);
    bar->addWidget(FrameSlider, 1);
    bar->addWidget(FrameLabel);
    FrameBar->hide();
    connect(FrameSlider, &QSlider::valueChanged, this,
            [this](int value) { RunCommand([&] { SelectFrameClick(uint32_t(value - 1)); }); });
    auto* body = new QWidget;
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(ScrollBox, 1);
    column->addWidget(FrameBar);
    setWidget(body);
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    AjusterlaFentre1 = PopupMenu1->addAction(QStringLiteral("Ajuster la Fenêtre"));
    AjusterlaFentre1->setObjectName("AjusterlaFentre1");
    Ajusterlimagelafentre1 = PopupMenu1->addAction(QStringLiteral("Ajuster l'image à la fenêtre"));
    // Not the main menu's name: rules find controls by name in the main window's whole tree.
    Ajusterlimagelafentre1->setObjectName("Ajusterlimagelafentre1");
    PopupMenu1->addSeparator();
    EnteteFITS2 = PopupMenu1->addAction(QStringLiteral("En-tête FITS…"));
    EnteteFITS2->setObjectName("EnteteFITS2");
    EnteteFITS2->setVisible(false);
    connect(AjusterlaFentre1, &QAction::triggered, this,
            [this] { RunCommand([this] { AjusterlaFentre1Click(); }); });
    connect(Ajusterlimagelafentre1, &QAction::triggered, this,
            [this] { RunCommand([this] { Ajusterlimagelafentre1Click(); }); });
    connect(EnteteFITS2, &QAction::triggered, this, [this] {
        RunCommand([this] {
            // The header shown is this image's.
            if (QMdiArea* frame = mdiArea()) frame->setActiveSubWindow(this);
            Workspace().RequestHeaderWindow();
        });
    });
    ScrollBox->viewport()->installEventFilter(this);
    Image->PopupMenu = PopupMenu1;
}

TFormImage::~TFormImage() = default;

QString TFormImage::FileName() const {
    return QFile::decodeName(QByteArray::fromStdString(doc_->FileName));
}

TLoadResult TFormImage::OpenImage(const QString& fileName) {
    return TakeLoad([&] { return orv::OpenImage(*doc_, LocalName(fileName), *this); });
}

TLoadResult TFormImage::OpenGifImage(const TGifFile& gif, const std::string& fileName) {
    return TakeLoad([&] { return orv::OpenGifImage(*doc_, gif, fileName); });
}

TLoadResult TFormImage::TakeLoad(const std::function<TLoadResult()>& read) {
    TWaitCursor wait;
    // The enabling rule runs after every read, one that throws included.
    struct TToolsUpdate {
        TFormImage& Window;
        ~TToolsUpdate() { Window.UpdateImageTools(); }
    } update{*this};
    const TLoadResult result = read();
    // What was made of the pixels while they were being read is made again.
    ForgetPixelViews();
    if (result == TLoadResult::Refused) Workspace().SetBitAjoutEnabled(false);
    if (result != TLoadResult::Loaded) return result;
    ApplyStartDisplay();
    PushThresholds(doc_->HighThreshold, doc_->LowThreshold);
    ShowImage();
    Workspace().SetBitAjoutEnabled(true);
    return result;
}

void TFormImage::ApplyStartDisplay() {
    const std::optional<TAutoDisplay> mode = Workspace().StartDisplay();
    if (!mode || doc_->PixelType == kPixelNone) return;
    // A way of looking at the file, as the display function is: the file is not changed.
    ApplyAutoDisplay(*doc_, *mode);
    Render();
}

void TFormImage::Write(const std::function<bool(TImageDocument&, TDocumentHost&)>& write,
                       const std::function<void()>& afterWrite) {
    if (saving_) return; // the same window once more while its save runs: that save is enough
    // Held here: "Tout fermer" may delete the window while the progress window lets events in.
    const std::shared_ptr<TImageDocument> doc = doc_;
    TWorkspace& workspace = Workspace();
    TQtDocumentHost host(workspace);
    const QPointer<TFormImage> self(this);
    saving_ = true;
    bool written = false;
    struct TEnd {
        TWorkspace& Workspace;
        const QPointer<TFormImage>& Self;
        ~TEnd() {
            Workspace.HideProgress();
            if (Self) Self->saving_ = Self->closeAsked_ = false;
        }
    } end{workspace, self};
    written = write(*doc, host);
    if (!self) return;
    saving_ = false;
    if (written) afterWrite();
    // A close asked during the save happens now; after a failed save the window stays with its
    // changes.
    if (std::exchange(closeAsked_, false) && written) close();
}

void TFormImage::SaveImage(const QString& fileName) {
    const std::string name = LocalName(fileName);
    Write(
        [&name](TImageDocument& doc, TDocumentHost&) {
            if (doc.Kind != kKindPic && doc.Kind != kKindFits) return false;
            orv::SaveImage(doc, name);
            return true;
        },
        [this] {
            doc_->Modified = false;
            CaptionChanged(doc_->Caption);
        });
}

void TFormImage::SaveByKind() {
    Write([](TImageDocument& doc, TDocumentHost& host) { return orv::SaveByKind(doc, doc.FileName, host); },
          [this] {
              // Cleared once the file is safely written: a failed save still asks on close.
              doc_->Modified = false;
              CaptionChanged(doc_->Caption);
          });
}

void TFormImage::ExportGif(const QString& fileName) {
    const std::string name = LocalName(fileName);
    Rendered();
    // A picture in colour is saved as shown: one table of its own colours.
    const std::optional<TBitmap> colour = ColourBitmap();
    Write(
        [&name, &colour](TImageDocument& doc, TDocumentHost& host) {
            if (colour)
                WriteColourPictureAsGif(doc, *colour, name, host);
            else
                WriteDisplayedPictureAsGif(doc, name, host);
            return true;
        },
        [this, name] {
            if (doc_->Kind != kKindGif) return;
            doc_->FileName = name;
            CaptionChanged(doc_->UpdateCaption(name, PictureSize().width(), PictureSize().height()));
        });
}

void TFormImage::Render() {
    orv::Render(*doc_);
    bitmapStale_ = false;
}

const TImageDocument& TFormImage::Rendered() const {
    if (bitmapStale_) {
        orv::Render(*doc_);
        bitmapStale_ = false;
    }
    return *doc_;
}

void TFormImage::ShowImage() {
    ShowView(Zoom(), true);
    UpdateFrameBar();
    if (doc_->FirstShow) {
        FitWindow();
        doc_->FirstShow = false;
    }
    // The size the picture has: half the image's under superpixel debayering.
    if (doc_->PixelType != kPixelNone)
        doc_->UpdateCaption(doc_->FileName, PictureSize().width(), PictureSize().height());
    CaptionChanged(doc_->Caption);
    Workspace().AnnounceImageShown(this);
}

void TFormImage::FitWindow() {
    const QMdiArea* frame = mdiArea();
    if (!frame) return;
    // The frame is the main window's client area less its tool bar and status bar; a window
    // placed down the cascade has that much less room.
    const TSize image{Image->width(), Image->height()};
    const TSize room{std::max(0, frame->width() - std::max(0, x())),
                     std::max(0, frame->height() - std::max(0, y()))};
    const auto client = orv::FitWindow(image, room, 0, 0, SystemMetrics(this));
    if (client) SetClientSize(QSize(client->Width, client->Height));
}

void TFormImage::DisplayChanged() {
    if (doc_->Kind == kKindPic || doc_->Kind == kKindFits) doc_->Modified = true;
    ViewChanged();
}

void TFormImage::ViewChanged() {
    // Zoomed out, a camera image shows only its averaged view: the 1:1 bitmap (16 M levels for
    // a 4096 x 4096 image) waits until a print, an export or a closer view asks for it.
    if (Zoom().Out > 1 && doc_->PixelType != kPixelNone)
        bitmapStale_ = true;
    else
        Render();
    ShowImage();
}

QSize TFormImage::ClientSize() const {
    return ScrollBox->size();
}

void TFormImage::SetClientSize(QSize client) {
    ensurePolished();
    const QMargins frame = contentsMargins();
    resize(client.width() + frame.left() + frame.right(),
           client.height() + FrameBarHeight() + frame.top() + frame.bottom());
}

int TFormImage::FrameBarHeight() const {
    return FrameBar->isHidden() ? 0 : FrameBar->sizeHint().height();
}

void TFormImage::UpdateFrameBar() {
    const uint32_t count = doc_->Series ? doc_->Series->Count() : 1;
    FrameBar->setVisible(count > 1);
    if (count <= 1) return;
    const QSignalBlocker quiet(FrameSlider);
    FrameSlider->setRange(1, int(count));
    FrameSlider->setValue(int(doc_->FrameIndex) + 1);
    // As wide as the widest text: the slider keeps its length from frame to frame.
    const QString widest = QStringLiteral("Image %1 / %1").arg(count);
    FrameLabel->setMinimumWidth(FrameLabel->fontMetrics().horizontalAdvance(widest));
    FrameLabel->setText(QStringLiteral("Image %1 / %2").arg(doc_->FrameIndex + 1).arg(count));
}

void TFormImage::SelectFrameClick(uint32_t k) {
    if (!doc_->Series || k >= doc_->Series->Count() || k == doc_->FrameIndex) return;
    TWaitCursor wait;
    ReadSeriesFrame(*doc_, k);
    // Same size, same store: what was made of the former frame's values is made again.
    ForgetPixelViews();
    ViewChanged();
}

void TFormImage::FormActivate() {
    const QMdiArea* frame = mdiArea();
    if (!frame) return;
    Workspace().SetCurrentImage(qobject_cast<TFormImage*>(frame->currentSubWindow()));
    PushThresholds(doc_->HighThreshold, doc_->LowThreshold);
    UpdateImageTools();
}

void TFormImage::AjusterlaFentre1Click() {
    FitWindow();
}

void TFormImage::closeEvent(QCloseEvent* event) {
    if (saving_) {
        closeAsked_ = true;
        event->ignore();
        return;
    }
    if (doc_->Modified) {
        if (Dialogs().Message(TMsgKind::Error, TButtons::YesNo, ModifiedQuestion()) == TAnswer::Yes) {
            try {
                SaveImage(FileName());
            } catch (const std::exception& e) {
                // The window stays open with its changes rather than losing them.
                ShowException(QString::fromStdString(e.what()));
                event->ignore();
                return;
            }
        }
        doc_->Modified = false;
    }
    if (Workspace().CurrentImage() == this) Workspace().SetCurrentImage(nullptr);
    QMdiSubWindow::closeEvent(event);
}

void TFormImage::PushThresholds(double high, double low) {
    Workspace().PushThresholds(high, low);
}

void TFormImage::UpdateImageTools() {
    Workspace().UpdateImageTools();
}

void TFormImage::CaptionChanged(const std::string& caption) {
    setWindowTitle(QString::fromStdString(ZoomedCaption(caption, Zoom())));
    EnteteFITS2->setVisible(doc_->Kind == kKindFits);
}

void TFormImage::Progress(const std::string& label, float fraction) {
    Workspace().Progress(label, fraction, false);
}

} // namespace orv::ui
