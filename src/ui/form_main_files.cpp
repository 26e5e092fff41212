// The main window's file commands: open, save, save all, close, close all, duplicate;
// files dropped on the window open as "Ouvrir" opens them.
#include "ui/form_main.h"

#include "core/base/file_io.h"
#include "core/document/open_image.h"
#include "core/image/duplicate_name.h"
#include "core/image/image_document.h"
#include "ui/application.h"
#include "ui/form_cree_anim.h"
#include "ui/form_image.h"
#include "ui/image_control.h"
#include "ui/workspace.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMimeData>
#include <QUrl>

namespace orv::ui {

QList<TFileFilter> TFormMain::OpenDialogFilter() {
    return {
        {QStringLiteral("Images Astro (*.PIC,*.FTS,*.FIT,*.FITS,*.GZ,*.FZ,*.XISF,*.SER,*.CPA)"),
         QStringLiteral("*.PIC;*.FTS;*.FIT;*.FITS;*.FIT.GZ;*.FTS.GZ;*.FITS.GZ;*.FZ;*.XISF;*.SER;*.CPA")},
        {QStringLiteral("Images Mips (*.PIC)"), QStringLiteral("*.PIC")},
        {QStringLiteral("Images FITS (*.FIT,*.FTS,*.FITS,*.GZ,*.FZ)"),
         QStringLiteral("*.FIT;*.FTS;*.FITS;*.FIT.GZ;*.FTS.GZ;*.FITS.GZ;*.FZ")},
        {QStringLiteral("Images XISF (*.XISF)"), QStringLiteral("*.XISF")},
        {QStringLiteral("Vidéos SER (*.SER)"), QStringLiteral("*.SER")},
        {QStringLiteral("Images Prism (*.CPA)"), QStringLiteral("*.CPA")},
        {QStringLiteral("Images Bitmap (*.BMP)"), QStringLiteral("*.BMP")},
        {QStringLiteral("Animation Gif (*.GIF)"), QStringLiteral("*.GIF")},
        {QStringLiteral("Tous les fichiers (*.*)"), QStringLiteral("*")},
    };
}

QString UnknownFormatMessage(const QString& fileName) {
    return QStringLiteral("Le fichier %1 n'est pas d'un format connu").arg(fileName);
}

TFormImage* TFormMain::NewImageWindow() {
    const QPoint place = NextCascadePlace();
    auto* window = new TFormImage(workspace_);
    MdiArea->addSubWindow(window);
    window->hide();
    window->move(place);
    window->SetClientSize(QSize(362, 50));
    return window;
}

void TFormMain::ShowImageWindow(TFormImage* window) {
    window->show();
    MdiArea->setActiveSubWindow(window);
}

TFormImage* TFormMain::CreateImageWindow() {
    TFormImage* window = NewImageWindow();
    ShowImageWindow(window);
    return window;
}

void TFormMain::DiscardImageWindow(TFormImage* window) {
    if (!window) return;
    if (CurrentImage() == window) workspace_.SetCurrentImage(nullptr);
    delete window; // the frame activates another child, if any
    UpdateMenuItems();
}

void TFormMain::FileOpenItemClick() {
    const QString name = Dialogs().OpenFileName(this, OpenDialogFilter(), 0, workspace_.FileDialogFolder());
    if (name.isEmpty()) return;
    workspace_.RememberFolderOf(name);
    OpenFile(name);
}

void TFormMain::OpenFile(const QString& fileName) {
    // Windows keep full names: duplicates are named in the same folder.
    const QString full = QFileInfo(fileName).absoluteFilePath();
    const std::string local = QFile::encodeName(full).toStdString();
    // A GIF file is read before any window exists: a file that fails leaves no window.
    std::unique_ptr<TGifFile> gif;
    if (FileKindOf(local) == TFileKind::Gif) {
        gif = OpenGif(local);
        if (gif->SubImages.empty()) {
            Dialogs().Message(TMsgKind::Error, TButtons::Ok,
                              QStringLiteral("Le fichier %1 ne contient aucune image").arg(full));
            return;
        }
        // Several images make an animation: it goes to the builder and plays at once, unless
        // the user keeps the builder's unsaved animation.
        if (gif->SubImages.size() > 1) {
            if (tools_.CreeAnim) tools_.CreeAnim->PlayGifFile(std::move(gif), local);
            return;
        }
    }
    LoadInNewWindow(
        [&](TFormImage& window) { return gif ? window.OpenGifImage(*gif, local) : window.OpenImage(full); });
}

TLoadResult TFormMain::LoadInNewWindow(const std::function<TLoadResult(TFormImage&)>& load) {
    // The window shows once its image is read: a question or an error box about the file never
    // stands beside an empty window. Meanwhile it is the current image, which its load's
    // thresholds and rules are for.
    const QPointer<QMdiSubWindow> before = MdiArea->currentSubWindow();
    QPointer<TFormImage> window = NewImageWindow();
    workspace_.SetCurrentImage(window);
    const auto discard = [this, &window, &before] {
        if (window) DiscardImageWindow(window);
        // The window active before is active and current again (the frame may have chosen
        // another when the hidden one went).
        if (before) MdiArea->setActiveSubWindow(before);
        if (TFormImage* active = ActiveMDIChild()) RunCommand([active] { active->FormActivate(); });
    };
    try {
        const TLoadResult result = load(*window);
        if (window && result == TLoadResult::Refused) {
            discard();
            return result;
        }
        if (window) {
            ShowImageWindow(window);
            // The reader's rule has the last word over the activation's, as it had when the
            // window showed before its file was read.
            window->UpdateImageTools();
        }
        return result;
    } catch (...) {
        // A file that cannot be read: the error box shows why, and no empty window stays behind.
        discard();
        throw;
    }
}

void TFormMain::Ouvrirunlot1Click() {
    // One window per entry, in list order, each read before the next window is made. A file
    // that does not open is reported once and leaves no window; the batch goes on.
    for (const std::string& path : workspace_.ChooseBatch()) {
        const QString name = QString::fromStdString(path);
        try {
            LoadInNewWindow([&](TFormImage& window) {
                const TLoadResult result = window.OpenImage(name);
                if (result != TLoadResult::Ignored) return result;
                Dialogs().Message(TMsgKind::Error, TButtons::Ok, UnknownFormatMessage(name));
                return TLoadResult::Refused;
            });
        } catch (const std::exception& e) {
            ShowException(QString::fromStdString(e.what()));
        }
    }
}

void TFormMain::FileSaveItemClick() {
    if (TFormImage* image = CurrentImage()) image->SaveByKind();
}

void TFormMain::Toutenrgistrer1Click() {
    // Held weakly: a window may close while another one saves.
    QList<QPointer<TFormImage>> children;
    for (TFormImage* w : MDIChildren())
        children.prepend(w);
    for (const QPointer<TFormImage>& w : children)
        if (w) w->SaveImage(w->FileName());
}

void TFormMain::FileCloseItemClick() {
    if (TFormImage* active = ActiveMDIChild()) active->close();
    UpdateMenuItems();
}

void TFormMain::Toutfermer1Click() {
    closingAll_ = true;
    while (MDIChildCount() > 0) {
        QMdiSubWindow* victim = MdiArea->currentSubWindow();
        if (!victim) victim = MdiArea->subWindowList().first();
        delete victim;
    }
    closingAll_ = false;
    workspace_.SetCurrentImage(nullptr);
    lastActivated_ = nullptr;
    UpdateMenuItems();
}

void TFormMain::Dupliquer1Click() {
    QPointer<TFormImage> source = CurrentImage();
    if (!source) return;
    TFormImage* target = CreateImageWindow();
    CopyImage(source, target);
    const uint8_t kind = source->Document().Kind;
    if (kind != kKindGif && kind != kKindBmp) {
        target->Render();
        target->ShowImage();
        // Nothing is on disk yet: closing the copy asks whether to save it.
        if (kind == kKindPic || kind == kKindFits) target->Document().Modified = true;
    } else {
        TImageDocument& t = target->Document();
        target->Image->SetPicture(source->Picture());
        target->SetClientSize(source->ClientSize());
        t.FileName = source->Document().FileName;
        target->CaptionChanged(
            t.UpdateCaption(t.FileName, target->PictureSize().width(), target->PictureSize().height()));
    }
    // As at the end of a load: the tools follow the copy that is now current.
    UpdateImageTools();
}

void TFormMain::CopyImage(TFormImage* sourceWindow, TFormImage* targetWindow) {
    const TImageDocument& s = sourceWindow->Document();
    const auto children = MDIChildren();
    auto taken = [&](const std::string& name) {
        if (FileExists(name)) return true;
        for (const TFormImage* w : children)
            if (w != targetWindow && w->Document().FileName == name) return true;
        return false;
    };
    TImageDocument& t = targetWindow->Document();
    t = DuplicateDocument(s, DuplicateFileName(s.FileName, s.Kind, MDIChildCount(), taken));
    targetWindow->CaptionChanged(t.UpdateCaption(t.FileName, t.ImageWidth, t.ImageHeight));
}

namespace {

QStringList LocalFiles(const QMimeData* data) {
    QStringList files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile()) files << url.toLocalFile();
    return files;
}

} // namespace

void TFormMain::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TFormMain::dropEvent(QDropEvent* event) {
    const QStringList files = LocalFiles(event->mimeData());
    if (files.isEmpty()) return;
    event->acceptProposedAction();
    for (const QString& f : files)
        RunCommand([&] { OpenFile(f); });
}

} // namespace orv::ui
