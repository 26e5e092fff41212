#include "ui/shell/dialogs.h"

namespace orv::ui {

namespace {
TDialogs* current = nullptr;
} // namespace

QString MessageCaption(TMsgKind kind) {
    switch (kind) {
    case TMsgKind::Warning:
        return QStringLiteral("Avertissement");
    case TMsgKind::Error:
        return QStringLiteral("Erreur");
    case TMsgKind::Information:
        return QStringLiteral("Information");
    case TMsgKind::Confirmation:
        return QStringLiteral("Confirmation");
    }
    return {};
}

QString ButtonCaption(TAnswer answer) {
    switch (answer) {
    case TAnswer::Ok:
        return QStringLiteral("OK");
    case TAnswer::Yes:
        return QStringLiteral("&Oui");
    case TAnswer::No:
        return QStringLiteral("&Non");
    case TAnswer::All:
        return QStringLiteral("&Tout");
    case TAnswer::Cancel:
        return QStringLiteral("Annuler");
    }
    return {};
}

QList<TAnswer> ButtonAnswers(TButtons buttons) {
    switch (buttons) {
    case TButtons::Ok:
        return {TAnswer::Ok};
    case TButtons::YesNo:
        return {TAnswer::Yes, TAnswer::No};
    case TButtons::YesNoAll:
        return {TAnswer::Yes, TAnswer::No, TAnswer::All};
    }
    return {};
}

QString QtFilterString(const QList<TFileFilter>& filters) {
    QStringList parts;
    for (const TFileFilter& f : filters) {
        QString patterns = f.Patterns;
        patterns.replace(';', ' ');
        parts << f.Description + " (" + patterns + ")";
    }
    return parts.join(";;");
}

QList<TFileFilter> SaveDialogFilter() {
    return {{QStringLiteral("Image Gif (*.gif)"), QStringLiteral("*.Gif")}};
}

QList<TFileFilter> AnimationDialogFilter() {
    return {SaveDialogFilter().first(),
            {QStringLiteral("Animation WebP"), QStringLiteral("*.webp")},
            {QStringLiteral("Vidéo MP4"), QStringLiteral("*.mp4")}};
}

QList<TFileFilter> PdfDialogFilter() {
    return {{QStringLiteral("Document PDF (*.pdf)"), QStringLiteral("*.pdf")}};
}

TDialogs& Dialogs() {
    Q_ASSERT(current);
    return *current;
}

void SetDialogs(TDialogs* dialogs) {
    current = dialogs;
}

} // namespace orv::ui
