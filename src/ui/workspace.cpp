// The workspace: the current image, the rules carried to every window, progress and the batch tool.
#include "ui/workspace.h"

#include "core/image/image_document.h"
#include "ui/dialogs.h"
#include "ui/form_image.h"
#include "ui/form_select_lot.h"
#include "ui/progress_form.h"
#include "ui/settings_store.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QWidget>

namespace orv::ui {

namespace {

const QString kStartDisplayKey = QStringLiteral("affichage/ouverture");
const QString kDebayerKey = QStringLiteral("affichage/dematricage");

// The settings' names of the methods, as the command line's --debayer names them.
const std::pair<TDebayer, QString> kDebayerNames[] = {{TDebayer::Bilinear, QStringLiteral("bilinear")},
                                                      {TDebayer::Superpixel, QStringLiteral("superpixel")},
                                                      {TDebayer::None, QStringLiteral("none")}};

} // namespace

TWorkspace::TWorkspace(TProgressForm* progressWindow) : progressWindow_(progressWindow) {
    // Anything else than a mode's name, or nothing, is the file's thresholds.
    const std::string name = ProgramSettings().value(kStartDisplayKey).toString().toStdString();
    startDisplay_ = AutoDisplayNamed(name);
    // Anything else than a method's name, or nothing, is bilinear.
    const QString debayer = ProgramSettings().value(kDebayerKey).toString();
    for (const auto& [method, named] : kDebayerNames)
        if (named == debayer) debayer_ = method;
}

void TWorkspace::ChooseDebayer(TDebayer method) {
    debayer_ = method;
    for (const auto& [m, named] : kDebayerNames)
        if (m == method) ProgramSettings().setValue(kDebayerKey, named);
}

void TWorkspace::ChooseStartDisplay(std::optional<TAutoDisplay> mode) {
    startDisplay_ = mode;
    const std::string_view name = mode ? AutoDisplayName(*mode) : std::string_view("fichier");
    ProgramSettings().setValue(kStartDisplayKey,
                               QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
}

void TWorkspace::SetStartDisplayForRun(std::optional<TAutoDisplay> mode) {
    startDisplay_ = mode;
}

TFormImage* TWorkspace::CurrentImage() const {
    return currentImage_;
}

void TWorkspace::SetCurrentImage(TFormImage* image) {
    // The readout told of the image before: it goes with it (a deleted window has already
    // emptied the pointer, so no image is always news).
    if (!image || currentImage_ != image) ClearReadout();
    if (currentImage_ == image) return;
    currentImage_ = image;
    emit CurrentImageChanged(image);
}

void TWorkspace::SetFrame(QMdiArea* frame) {
    frame_ = frame;
}

int TWorkspace::ImageWindowCount() const {
    return frame_ ? static_cast<int>(frame_->subWindowList().size()) : 0;
}

void TWorkspace::ApplyRule(const std::vector<TControlState>& states) {
    emit RuleApplied(states);
}

void TWorkspace::UpdateImageTools() {
    ApplyRule(ImageToolsRule(currentImage_ ? std::optional<uint8_t>(currentImage_->Document().Kind)
                                           : std::nullopt));
    DisablePalettesInColour(currentImage_);
}

void TWorkspace::DisablePalettesInColour(const TFormImage* image) {
    // Palettes colour grey levels: a picture in colour has none to colour.
    if (image && image->InColour())
        ApplyRule({{"FormMain", "Palettes1", false},
                   {"FormMain", "SpeedPal", false},
                   {"FormPal", "FileListBox1", false}});
}

void TWorkspace::SetBitAjoutEnabled(bool enabled) {
    ApplyRule({{"FormCreeAnim", "BitAjout", enabled}});
}

void TWorkspace::PushThresholds(double high, double low) {
    emit ThresholdsPushed(high, low);
}

void TWorkspace::AnnounceImageShown(TFormImage* image) {
    emit ImageShown(image);
}

void TWorkspace::ShowReadout(const QString& x, const QString& y, const QString& intensity,
                             const QString& rightAscension, const QString& declination) {
    emit ReadoutShown(x, y, intensity, rightAscension, declination);
}

void TWorkspace::ClearReadout() {
    emit ReadoutShown(QStringLiteral("X :"), QStringLiteral("Y :"), QStringLiteral("Intensité :"), QString(),
                      QString());
}

QString TWorkspace::FileDialogFolder() const {
    if (currentImage_) {
        const QFileInfo file(currentImage_->FileName());
        if (!currentImage_->FileName().isEmpty() && file.dir().exists()) return file.absolutePath();
    }
    return lastFolder_;
}

void TWorkspace::RememberFolderOf(const QString& fileName) {
    if (!fileName.isEmpty()) lastFolder_ = QFileInfo(fileName).absolutePath();
}

void TWorkspace::RequestHeaderWindow() {
    emit HeaderWindowRequested();
}

void TWorkspace::Progress(const std::string& label, float fraction, bool userInput) {
    if (progressWindow_) progressWindow_->Label1->setText(QString::fromStdString(label));
    ShowProgress(progressWindow_.data(), fraction, userInput);
}

std::function<void(const std::string&, float)> TWorkspace::ProgressReport() {
    return [this](const std::string& label, float fraction) { Progress(label, fraction); };
}

void TWorkspace::HideProgress() {
    if (progressWindow_) progressWindow_->hide();
}

void TWorkspace::SetBatchTool(TFormSelectLot* batchTool) {
    batchTool_ = batchTool;
}

std::vector<std::string> TWorkspace::ChooseBatch() {
    if (!batchTool_) return {};
    // Each use starts afresh where the file dialogs open: nothing of another use (its files,
    // its folder) slips into this batch.
    batchTool_->StartAfresh(FileDialogFolder());
    if (Dialogs().Exec(*batchTool_) != QDialog::Accepted) return {};
    std::vector<std::string> paths = batchTool_->BatchPaths();
    if (!paths.empty()) RememberFolderOf(QString::fromStdString(paths.front()));
    return paths;
}

void ApplyRuleTo(QObject& window, const std::vector<TControlState>& states) {
    const QString name = window.objectName();
    for (const TControlState& s : states) {
        if (name != QLatin1String(s.Window.data(), static_cast<qsizetype>(s.Window.size()))) continue;
        QObject* control = window.findChild<QObject*>(
            QString::fromLatin1(s.Control.data(), static_cast<qsizetype>(s.Control.size())));
        if (auto* action = qobject_cast<QAction*>(control))
            action->setEnabled(s.Enabled);
        else if (auto* widget = qobject_cast<QWidget*>(control))
            widget->setEnabled(s.Enabled);
    }
}

} // namespace orv::ui
