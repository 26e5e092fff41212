#include "ui/shell/recovery_keeper.h"

#include "core/anim/recovery.h"
#include "core/anim/recovery_store.h"
#include "core/base/errors.h"
#include "core/base/file_io.h"
#include "core/image/display_settings.h"
#include "core/image/frame_series.h"
#include "ui/anim/form_cree_anim.h"
#include "ui/image/form_image.h"
#include "ui/shell/application.h"
#include "ui/shell/dialogs.h"
#include "ui/shell/form_main.h"
#include "ui/shell/workspace.h"

#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace orv::ui {

QString RecoveredAnimationQuestion() {
    return QStringLiteral("Une animation non enregistrée a été retrouvée. La reprendre ?");
}

QString RecoveredImagesQuestion() {
    return QStringLiteral("Des images modifiées non enregistrées ont été retrouvées. Les reprendre ?");
}

TRecoveryKeeper::TRecoveryKeeper(TWorkspace& workspace, TFormMain& mainWindow, TFormCreeAnim& builder)
    : workspace_(workspace), mainWindow_(mainWindow), builder_(builder), owner_(CurrentOwner()),
      folder_(RecoveryFolder()) {
    if (!folder_.empty()) path_ = RecoveryFileName(folder_, owner_);
    written_.Owner = owner_;
    look_.setInterval(1000);
    connect(&look_, &QTimer::timeout, this, &TRecoveryKeeper::Refresh);
}

TRecoveryKeeper::~TRecoveryKeeper() = default;

void TRecoveryKeeper::Start() {
    for (const TFoundRecovery& found : FindRecoveries(folder_)) {
        const QString question =
            found.State.Frames.empty() ? RecoveredImagesQuestion() : RecoveredAnimationQuestion();
        if (Dialogs().Message(TMsgKind::Confirmation, TButtons::YesNo, question) == TAnswer::Yes)
            RunCommand([&] { Restore(found.State); });
        // Taken back, it is this run's work now; declined, it is gone.
        RemoveRecovery(found.Path);
    }
    if (path_.empty()) return;
    stopped_ = false;
    connect(&builder_, &TFormCreeAnim::AnimationChanged, this, &TRecoveryKeeper::Schedule);
    connect(&workspace_, &TWorkspace::ImageShown, this, &TRecoveryKeeper::Schedule);
    connect(&workspace_, &TWorkspace::CurrentImageChanged, this, &TRecoveryKeeper::Schedule);
    connect(&mainWindow_, &TFormMain::Closed, this, &TRecoveryKeeper::Discard);
    look_.start();
    Refresh();
}

TRecoveryState TRecoveryKeeper::State() const {
    TRecoveryState state;
    state.Owner = owner_;
    state.Frames = RecordedFrames(builder_.Builder);
    if (!state.Frames.empty()) state.Options = builder_.Builder.Options;
    for (QMdiSubWindow* window : mainWindow_.MdiArea->subWindowList(QMdiArea::CreationOrder)) {
        const auto* image = qobject_cast<const TFormImage*>(window);
        if (!image || !image->Document().Modified) continue;
        const TImageDocument& doc = image->Document();
        // Opened again from its file: a copy never saved has none.
        std::string path = doc.SourceFile;
        if (path.empty() && FileExists(doc.FileName)) path = doc.FileName;
        if (path.empty()) continue;
        state.Images.push_back({path, DisplaySettingsOf(doc), image->Zoom(), doc.FrameIndex});
    }
    return state;
}

void TRecoveryKeeper::Schedule() {
    if (scheduled_ || stopped_) return;
    scheduled_ = true;
    // Once the events of this change are through: a drag of a threshold writes once per step.
    QTimer::singleShot(0, this, [this] {
        scheduled_ = false;
        Refresh();
    });
}

void TRecoveryKeeper::Refresh() {
    if (stopped_) return;
    const TRecoveryState state = State();
    if (state == written_) return;
    try {
        WriteRecovery(path_, state);
        written_ = state;
    } catch (const EOrvanelError&) {
        // A full disk or a folder that cannot be written: the work goes on without its copy,
        // and the next change tries again.
    }
}

void TRecoveryKeeper::Discard() {
    stopped_ = true;
    look_.stop();
    if (!path_.empty()) RemoveRecovery(path_);
}

void TRecoveryKeeper::Restore(const TRecoveryState& state) {
    QStringList leftOut;
    if (!state.Frames.empty()) {
        mainWindow_.Animation1Click(); // the builder shown: hidden, it holds no frame
        for (const std::string& line : builder_.RestoreAnimation(state.Frames, state.Options))
            leftOut << QString::fromStdString(line);
    }
    RestoreImages(state, leftOut);
    if (!leftOut.isEmpty())
        Dialogs().Message(TMsgKind::Warning, TButtons::Ok,
                          QStringLiteral("Ces fichiers n'ont pu être rouverts :\n") + leftOut.join('\n'));
}

void TRecoveryKeeper::RestoreImages(const TRecoveryState& state, QStringList& leftOut) {
    for (const TRecoveredImage& recovered : state.Images) {
        const QString name = QFile::decodeName(QByteArray::fromStdString(recovered.Path));
        try {
            TFormImage* window = nullptr;
            const TLoadResult result = mainWindow_.LoadInNewWindow([&](TFormImage& w) {
                window = &w;
                return w.OpenImage(name);
            });
            if (result != TLoadResult::Loaded || !window) {
                leftOut << name;
                continue;
            }
            // Frame k of a video or a cube, as the window showed it; a file now shorter is left out.
            if (recovered.Frame > 0) {
                const auto* series = window->Document().Series.get();
                if (!series || recovered.Frame >= series->Count()) {
                    leftOut << name + QStringLiteral(" : pas d'image %1").arg(recovered.Frame + 1);
                    window->close();
                    continue;
                }
                window->SelectFrameClick(recovered.Frame);
            }
            // As it was shown: a change of display that no file holds yet, so modified again.
            ApplyDisplaySettings(window->Document(), recovered.Display);
            window->SetZoom(recovered.Zoom);
            window->DisplayChanged();
            window->PushThresholds(recovered.Display.HighThreshold, recovered.Display.LowThreshold);
        } catch (const std::exception& e) {
            leftOut << name + " : " + QString::fromStdString(e.what());
        }
    }
}

} // namespace orv::ui
