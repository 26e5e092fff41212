// The animation builder's layout and commands.
#include "ui/form_cree_anim.h"

#include "core/anim/anim_save.h"
#include "core/anim/delays.h"
#include "core/anim/recovery.h"
#include "core/base/errors.h"
#include "core/document/open_image.h"
#include "core/document/series_frames.h"
#include "core/gif/gif_file.h"
#include "core/image/frame_series.h"
#include "core/text/path_text.h"
#include "core/text/rounding.h"
#include "core/text/time_text.h"
#include "ui/anim_glyphs.h"
#include "ui/anim_thumbnail.h"
#include "ui/application.h"
#include "ui/dialogs.h"
#include "ui/display_picture.h"
#include "ui/form_image.h"
#include "ui/qt_document_host.h"
#include "ui/workspace.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QScrollBar>
#include <QSpinBox>
#include <QThreadPool>
#include <QToolButton>
#include <QWheelEvent>

#include <algorithm>
#include <map>

namespace orv::ui {

namespace {

// A video's frame or a cube's plane as the batch names it: "clip.ser (image 3)".
std::string SeriesFrameName(const std::string& path, int32_t frame) {
    return ExtractFileName(path) + " (image " + std::to_string(frame + 1) + ")";
}

constexpr int kSlotWidth = 150;
constexpr int kSlotHeight = 100;
// The column of commands right of the thumbnails.
constexpr int kColumnLeft = 216;
constexpr int kColumnWidth = 52;
constexpr int kButtonHeight = 30;
constexpr int kButtonGap = 2;

} // namespace

QString AnimationModifiedQuestion() {
    return QStringLiteral("L'animation a été modifiée\nVoulez vous l'enregistrer ?");
}

TFormCreeAnim::TFormCreeAnim(TWorkspace& workspace, QWidget* parent)
    : QWidget(parent, Qt::Tool), workspace_(workspace) {
    setObjectName("FormCreeAnim");
    setWindowTitle(QStringLiteral("Création d'une animation"));

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setGeometry(8, 8, 201, 393);
    for (int k = 0; k < 3; ++k) {
        const int top = 16 + 128 * k;
        auto* background = new QFrame(Panel1);
        background->setObjectName(QStringLiteral("Shape%1").arg(k + 1));
        background->setGeometry(7, top - 1, kSlotWidth + 2, kSlotHeight + 2);
        background->setAutoFillBackground(true);
        background->setBackgroundRole(QPalette::Button);
        Backgrounds[k] = background;
        auto* highlight = new QFrame(Panel1);
        highlight->setObjectName(QStringLiteral("Shape%1").arg(k + 4));
        highlight->setGeometry(5, top - 3, kSlotWidth + 6, kSlotHeight + 6);
        highlight->setStyleSheet(
            QStringLiteral("QFrame { border: 2px solid red; background: transparent; }"));
        highlight->hide();
        Highlights[k] = highlight;
        auto* image = new TThumbnail(Panel1);
        image->setObjectName(QStringLiteral("Image%1").arg(k + 1));
        image->setGeometry(8, top, kSlotWidth, kSlotHeight);
        image->OnMouseDown = [this, k] { RunCommand([&] { ImageMouseDown(k + 1); }); };
        Images[k] = image;
        auto* caption = new QLabel(Panel1);
        caption->setObjectName(QStringLiteral("Label%1").arg(k + 1));
        caption->move(8, 120 + 128 * k);
        Captions[k] = caption;
        ClearSlot(k + 1);
    }
    ScrollBar = new QScrollBar(Qt::Vertical, Panel1);
    ScrollBar->setObjectName("ScrollBar");
    ScrollBar->setGeometry(201 - 18, 2, 16, 393 - 4);
    ScrollBar->setRange(0, 0);
    ScrollBar->setPageStep(2);
    connect(ScrollBar, &QScrollBar::valueChanged, this, [this] {
        if (!redrawing_) RunCommand([this] { ScrollBarChange(); });
    });

    int y = 8;
    auto button = [&](const char* name, TAnimGlyph glyph, const QString& hint,
                      void (TFormCreeAnim::*handler)()) {
        auto* b = new QToolButton(this);
        b->setObjectName(name);
        b->setIcon(AnimGlyph(glyph, 20));
        b->setIconSize(QSize(20, 20));
        if (!hint.isEmpty()) b->setToolTip(hint);
        b->setGeometry(kColumnLeft, y, kColumnWidth, kButtonHeight);
        y += kButtonHeight + kButtonGap;
        connect(b, &QToolButton::clicked, this, [this, handler] { RunCommand([&] { (this->*handler)(); }); });
        return b;
    };
    BitNew =
        button("BitNew", TAnimGlyph::New, QStringLiteral("Nouvelle Animation"), &TFormCreeAnim::BitNewClick);
    BitSelect = button("BitSelect", TAnimGlyph::Batch, QStringLiteral("Ajouter un lot d'images"),
                       &TFormCreeAnim::BitSelectClick);
    BitAjout = button("BitAjout", TAnimGlyph::AddImage, QStringLiteral("Ajouter l'image courante"),
                      &TFormCreeAnim::BitAjoutClick);
    BitUp = button("BitUp", TAnimGlyph::Up, QStringLiteral("Déplacer l'image vers le début"),
                   &TFormCreeAnim::BitUpClick);
    BitDn = button("BitDn", TAnimGlyph::Down, QStringLiteral("Déplacer l'image vers la fin"),
                   &TFormCreeAnim::BitDnClick);
    BitEgual = button("BitEgual", TAnimGlyph::Equal, QStringLiteral("Délais identiques"),
                      &TFormCreeAnim::BitEgualClick);
    BitAuto = button("BitAuto", TAnimGlyph::Auto, QStringLiteral("Régler automatiquement les délais"),
                     &TFormCreeAnim::BitAutoClick);
    BitEfface = button("BitEfface", TAnimGlyph::Erase, QStringLiteral("Effacer l'image"),
                       &TFormCreeAnim::BitEffaceClick);
    Label5 = new QLabel(QStringLiteral("Délai :"), this);
    Label5->setObjectName("Label5");
    Label5->move(kColumnLeft, y);
    Label5->adjustSize();
    SpinInter = new QSpinBox(this);
    SpinInter->setObjectName("SpinInter");
    SpinInter->setRange(0, kMaxDelay); // every delay a GIF stores, so showing one keeps it
    SpinInter->setValue(kDefaultDelay);
    // Wide enough for 65535 whatever the font: the column's width is too narrow for it.
    SpinInter->setGeometry(kColumnLeft, y + 16, std::max(kColumnWidth, SpinInter->sizeHint().width()), 22);
    connect(SpinInter, &QSpinBox::textChanged, this, [this] { RunCommand([this] { SpinInterChange(); }); });
    Label6 = new QLabel(QStringLiteral("x 1/100 s"), this);
    Label6->setObjectName("Label6");
    Label6->move(kColumnLeft, y + 38);
    Label6->adjustSize();
    y += 38 + Label6->height() + kButtonGap;
    BitAnim = button("BitAnim", TAnimGlyph::Preview, QStringLiteral("Voir l'animation"),
                     &TFormCreeAnim::BitAnimClick);
    BitEnr = button("BitEnr", TAnimGlyph::Save, QStringLiteral("Enregister l'animation"),
                    &TFormCreeAnim::BitEnrClick);
    BitQuit = button("BitQuit", TAnimGlyph::Quit, QString(), &TFormCreeAnim::BitQuitClick);
    BitAjout->setEnabled(false); // no image window is open yet
    CreateOptionControls();
    // Every control inside the window, whatever the font makes of the captions: the column
    // sets the height, the panel follows it.
    QRect used;
    for (const QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        used |= child->geometry();
    setFixedSize(used.right() + 1 + 8, used.bottom() + 1 + 8);
    Panel1->resize(Panel1->width(), height() - 16);
    ScrollBar->resize(ScrollBar->width(), Panel1->height() - 4);

    workspace_.Playback().SetAnimation(&Builder);
    connect(&workspace_.Playback(), &TPlayback::Ended, this, &TFormCreeAnim::PreviewEnded);
    connect(&workspace_, &TWorkspace::RuleApplied, this, [this](const std::vector<TControlState>& states) {
        // While a playback or a save uses the frames, no rule gives a command back.
        std::vector<TControlState> accepted;
        for (const TControlState& s : states)
            if (Builder.AcceptsEnabling(s.Control, s.Enabled)) accepted.push_back(s);
        ApplyRuleTo(*this, accepted);
    });
}

TFormCreeAnim::~TFormCreeAnim() {
    estimatePool_->waitForDone(); // its result is queued to this window, dropped with it
    workspace_.Playback().SetAnimation(nullptr);
}

void TFormCreeAnim::ApplyEnabling(const TBuilderEnabling& enabling) {
    enabling.ForEach([this](std::string_view name, bool enabled) {
        if (auto* w =
                findChild<QWidget*>(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()))))
            w->setEnabled(enabled);
    });
    // What saving writes stays as it is while a playback or a save uses the frames.
    GroupReglages->setEnabled(!Builder.Locked());
    GroupFichier->setEnabled(!Builder.Locked());
    emit AnimationChanged();
}

void TFormCreeAnim::CenterCaption(int slot) {
    QLabel* caption = Captions[slot - 1];
    caption->adjustSize();
    caption->move((Images[slot - 1]->width() - caption->width()) / 2 + 8, caption->y());
}

void TFormCreeAnim::ClearSlot(int slot) {
    Images[slot - 1]->Clear();
    Captions[slot - 1]->setText(QStringLiteral("Vide"));
    CenterCaption(slot);
}

void TFormCreeAnim::ShowThumbnails() {
    for (int slot = 1; slot <= 3; ++slot) {
        const int32_t index = Builder.SlotFrame(slot);
        if (index < 0) {
            ClearSlot(slot);
            continue;
        }
        const TAnimImg& frame = Builder.Frames[static_cast<size_t>(index)];
        // Always fitted into the whole slot: a small frame shown before does not shrink the
        // next one.
        const double ratio =
            static_cast<double>(FitRatio(frame.Bitmap.Width, frame.Bitmap.Height, kSlotWidth, kSlotHeight));
        TThumbnail* image = Images[slot - 1];
        image->resize(static_cast<int>(Round(ratio * frame.Bitmap.Width)),
                      static_cast<int>(Round(ratio * frame.Bitmap.Height)));
        image->SetPicture(DisplayPicture(frame.Bitmap.ToBmpFile()));
        Captions[slot - 1]->setText(QString::fromStdString(frame.Name));
        CenterCaption(slot);
    }
    ShowShortMarks();
    ShowPlaces();
}

void TFormCreeAnim::ShowMarks() {
    for (size_t k = 0; k < 3; ++k)
        Highlights[k]->setVisible(Builder.SlotMarked[k]);
}

void TFormCreeAnim::ShowScrollBar() {
    redrawing_ = true;
    const TScrollBarState& s = Builder.ScrollBar;
    ScrollBar->setEnabled(s.Enabled);
    if (s.Enabled) {
        ScrollBar->setMaximum(s.Max);
        ScrollBar->setValue(Builder.FirstShown);
    }
    redrawing_ = false;
}

void TFormCreeAnim::Redraw() {
    ShowThumbnails();
    ShowMarks();
    ShowScrollBar();
    // No frame, no delay of one: the box shows what a new frame gets.
    if (Builder.Frames.empty() && SpinInter->value() != kDefaultDelay) {
        const QSignalBlocker quiet(SpinInter);
        SpinInter->setValue(kDefaultDelay);
    }
}

bool TFormCreeAnim::PlayGifFile(std::unique_ptr<TGifFile> gif, const std::string& path) {
    if (!MayDropAnimation()) return false;
    const TBuilderEnabling e = Builder.TakeGifAnimation(std::move(gif), path);
    Redraw();
    ApplyEnabling(e);
    workspace_.Playback().Start();
    return true;
}

void TFormCreeAnim::PreviewEnded() {
    ApplyEnabling(Builder.PreviewEnded(workspace_.ImageWindowCount() > 0));
}

bool TFormCreeAnim::MayDropAnimation() {
    const bool may = Builder.MayDrop(
        [] {
            return Dialogs().Message(TMsgKind::Warning, TButtons::YesNo, AnimationModifiedQuestion()) ==
                   TAnswer::Yes;
        },
        [this] {
            bool saved = false;
            RunCommand([&] { saved = SaveAnimationAs(); });
            return saved;
        });
    // Answered: whatever comes next drops the frames without asking again.
    if (may && Builder.Modified) {
        Builder.Modified = false;
        emit AnimationChanged();
    }
    return may;
}

void TFormCreeAnim::BitNewClick() {
    if (Builder.Locked() || !MayDropAnimation()) return;
    const TBuilderEnabling e = Builder.NewAnimation();
    Redraw();
    ApplyEnabling(e);
}

void TFormCreeAnim::BitSelectClick() {
    if (Builder.Locked()) return;
    // A SER video gives every frame and a FITS cube every plane, each entry named by its label.
    std::vector<std::string> labels;
    std::map<std::string, TSeriesFrame> entries;
    for (TSeriesFrame& entry : ExpandSeries(workspace_.ChooseBatch())) {
        labels.push_back(entry.Label);
        entries.emplace(entry.Label, std::move(entry));
    }
    bool first = true;
    const int32_t delay = Builder.DefaultDelay;
    auto load = [this, &first, &entries, delay](const std::string& label) -> std::optional<TLoadedFrame> {
        // Repaints between files; clicks wait until the batch is in.
        if (!first) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        first = false;
        const TSeriesFrame& entry = entries.at(label);
        // The document is no image window's: only its questions and progress reach the windows.
        TImageDocument doc;
        TQtDocumentHost host(workspace_);
        try {
            if (OpenImage(doc, entry.Path, host, entry.Frame) != TLoadResult::Loaded) return std::nullopt;
            const bool series = doc.Series != nullptr;
            TLoadedFrame loaded =
                LoadedFrame(std::move(doc), static_cast<uint16_t>(delay)); // takes the values
            if (series) {
                loaded.Frame.GifImage = static_cast<int32_t>(entry.Frame);
                loaded.Frame.SetName(SeriesFrameName(entry.Path, loaded.Frame.GifImage));
            }
            return loaded;
        } catch (const std::exception& e) {
            // A file that fails is reported and left out; the batch goes on.
            ShowException(QString::fromStdString(e.what()));
            return std::nullopt;
        }
    };
    const TBuilderEnabling e = Builder.AddBatch(labels, load, [this] { Redraw(); });
    Redraw();
    ApplyEnabling(e);
}

std::vector<std::string> TFormCreeAnim::RestoreAnimation(const std::vector<TRecoveredFrame>& records,
                                                         const TAnimOptions& options) {
    if (Builder.Locked()) return {};
    std::vector<TLoadedFrame> frames;
    std::vector<std::string> leftOut;
    std::map<std::string, std::vector<TAnimImg>> gifs; // each animated GIF read once
    for (const TRecoveredFrame& record : records) {
        try {
            if (record.GifImage >= 0 && FileKindOf(record.Path) == TFileKind::Gif) {
                std::vector<TAnimImg>& gif = gifs[record.Path];
                if (gif.empty()) gif = GifFrames(*OpenGif(record.Path), record.Path);
                if (static_cast<size_t>(record.GifImage) >= gif.size())
                    throw EOrvanelError("Image absente du fichier");
                TAnimImg frame = gif[static_cast<size_t>(record.GifImage)];
                frame.SetDelay(record.Delay);
                const int32_t width = frame.Bitmap.Width, height = frame.Bitmap.Height;
                frames.push_back({std::move(frame), width, height});
                continue;
            }
            TImageDocument doc;
            TQtDocumentHost host(workspace_);
            const uint32_t frame = static_cast<uint32_t>(std::max(record.GifImage, 0));
            if (OpenImage(doc, record.Path, host, frame) != TLoadResult::Loaded)
                throw EOrvanelError("Fichier refusé");
            if (record.GifImage >= 0 && (!doc.Series || doc.Series->Count() <= frame))
                throw EOrvanelError("Image absente du fichier");
            TLoadedFrame made = RecoveredFrame(std::move(doc), record);
            if (record.GifImage >= 0) { // a video's frame or a cube's plane, named as the batch names it
                made.Frame.GifImage = record.GifImage;
                made.Frame.SetName(SeriesFrameName(record.Path, record.GifImage));
            }
            frames.push_back(std::move(made));
        } catch (const std::exception& e) {
            leftOut.push_back(record.Path + " : " + e.what());
        }
    }
    // The file's settings are this session's, kept apart from the animation.
    TAnimOptions restored = options;
    restored.Optimize = Builder.Options.Optimize;
    restored.Tolerance = Builder.Options.Tolerance;
    const TBuilderEnabling e = Builder.Restore(std::move(frames), restored);
    ShowOptions();
    Redraw();
    ApplyEnabling(e);
    return leftOut;
}

void TFormCreeAnim::BitAjoutClick() {
    if (Builder.Locked()) return;
    const TFormImage* image = workspace_.CurrentImage();
    if (!image) return;
    const TBuilderEnabling e = Builder.AddCurrentImage(
        LoadedFrame(image->Rendered(), static_cast<uint16_t>(Builder.DefaultDelay), image->Debayer()));
    Redraw();
    ApplyEnabling(e);
}

void TFormCreeAnim::BitUpClick() {
    const TBuilderEnabling e = Builder.MoveUp();
    Redraw();
    ApplyEnabling(e);
}

void TFormCreeAnim::BitDnClick() {
    const TBuilderEnabling e = Builder.MoveDown();
    Redraw();
    ApplyEnabling(e);
}

void TFormCreeAnim::BitEffaceClick() {
    const TBuilderEnabling e = Builder.DeleteSelected();
    Redraw();
    ApplyEnabling(e);
}

void TFormCreeAnim::ImageMouseDown(int slot) {
    const TSlotClick click = Builder.SelectSlot(slot);
    ShowMarks();
    ApplyEnabling(click.Enabling);
    if (click.SpinValue) {
        // As typing the value would: the change handler runs even when the text stays.
        SpinInter->blockSignals(true);
        SpinInter->setValue(*click.SpinValue);
        SpinInter->blockSignals(false);
        SpinInterChange();
    }
}

void TFormCreeAnim::ScrollBarChange() {
    Builder.ScrollTo(ScrollBar->value());
    ShowThumbnails();
    ShowMarks();
}

void TFormCreeAnim::SpinInterChange() {
    Builder.TypeDelay(SpinInter->text().toStdString());
    emit AnimationChanged();
}

void TFormCreeAnim::BitEgualClick() {
    Builder.EqualDelays(SpinValue(SpinInter->text().toStdString()));
    emit AnimationChanged();
}

void TFormCreeAnim::BitAutoClick() {
    Builder.AutoDelays();
    emit AnimationChanged();
}

void TFormCreeAnim::BitAnimClick() {
    if (Builder.Locked()) return;
    std::vector<std::string> leftOut;
    {
        TWaitCursor wait;
        leftOut = Builder.PreparePreview();
    }
    ReportLeftOut(leftOut);
    if (Builder.ShownFrames().empty() || (Builder.Preview.empty() && !leftOut.empty()))
        throw EOrvanelError("Aucune image pour l'animation");
    ApplyEnabling(Builder.PreviewStarted());
    workspace_.Playback().Start();
}

bool TFormCreeAnim::SaveAnimationAs() {
    if (Builder.Saving) return false;
    const QString chosen =
        Dialogs().SaveFileName(this, AnimationDialogFilter(), workspace_.FileDialogFolder());
    if (chosen.isEmpty()) return false;
    workspace_.RememberFolderOf(chosen);
    const QString name = QString::fromStdString(AnimationFileName(chosen.toStdString()));
    if (QFileInfo::exists(name) &&
        Dialogs().Message(TMsgKind::Confirmation, TButtons::YesNo,
                          QString::fromStdString(OverwriteQuestion(name.toStdString()))) != TAnswer::Yes)
        return false;
    // The progress window lets events through: the commands (this one included) wait until the
    // file is written, so the frames are written as they are, without a copy.
    ApplyEnabling(Builder.SaveStarted());
    bool written = false;
    struct TSaveEnd {
        TFormCreeAnim& Window;
        const bool& Written;
        ~TSaveEnd() {
            Window.workspace_.HideProgress();
            Window.ApplyEnabling(Window.Builder.SaveEnded(Written, Window.workspace_.ImageWindowCount() > 0));
        }
    } end{*this, written};
    TProgress progress(workspace_.ProgressReport());
    std::vector<std::string> leftOut;
    try {
        SaveAnimation(Builder.Frames, QFile::encodeName(name).toStdString(), progress, Builder.Options, 0,
                      &leftOut);
    } catch (...) {
        ReportLeftOut(leftOut); // then why nothing was written
        throw;
    }
    written = true;
    ReportLeftOut(leftOut);
    return true;
}

void TFormCreeAnim::BitEnrClick() {
    SaveAnimationAs();
}

void TFormCreeAnim::BitQuitClick() {
    if (Builder.Locked() || !MayDropAnimation()) return;
    hide();
}

void TFormCreeAnim::FormShow() {
    const TBuilderEnabling e = Builder.FormShow(workspace_.CurrentImage() != nullptr);
    for (int slot = 1; slot <= 3; ++slot) {
        Images[slot - 1]->resize(kSlotWidth, kSlotHeight);
        ClearSlot(slot);
    }
    Redraw();
    ApplyEnabling(e);
}

void TFormCreeAnim::FormHide() {
    Builder.FormHide();
    // The frames are gone: there is nothing left to save.
    Builder.Modified = false;
    Builder.SlotMarked = {};
    Redraw();
    emit AnimationChanged();
}

void TFormCreeAnim::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) RunCommand([this] { FormShow(); });
}

void TFormCreeAnim::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!event->spontaneous()) FormHide();
}

void TFormCreeAnim::wheelEvent(QWheelEvent* event) {
    // Over the thumbnails the wheel moves their scroll bar, a notch a frame.
    if (!Panel1->geometry().contains(event->position().toPoint()) || !ScrollBar->isEnabled()) {
        QWidget::wheelEvent(event);
        return;
    }
    wheelAngle_ += event->angleDelta().y();
    const int notches = wheelAngle_ / 120;
    wheelAngle_ -= notches * 120;
    if (notches != 0) ScrollBar->setValue(ScrollBar->value() - notches);
    event->accept();
}

void TFormCreeAnim::closeEvent(QCloseEvent* event) {
    // The close box asks as "Quitter" does: unsaved frames are not dropped silently, and the
    // frames a playback or a save uses stay.
    if (Builder.Locked() || !MayDropAnimation()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

} // namespace orv::ui
