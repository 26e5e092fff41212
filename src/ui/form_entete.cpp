#include "ui/form_entete.h"

#include "core/formats/fits_writer.h"
#include "ui/application.h"
#include "ui/form_image.h"
#include "ui/workspace.h"

#include <QEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

namespace orv::ui {

TFormEntete::TFormEntete(TWorkspace& workspace, QWidget* parent)
    : QWidget(parent, Qt::Tool), workspace_(workspace) {
    setObjectName("FormEntete");
    setWindowTitle(QStringLiteral("En-tête FITS"));
    auto* layout = new QGridLayout(this);
    MemoEntete = new QPlainTextEdit(this);
    MemoEntete->setObjectName("MemoEntete");
    MemoEntete->setReadOnly(true);
    MemoEntete->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoEntete->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // Room for one whole card a line (and the cursor after it) beside the vertical scroll bar,
    // so that no card needs the horizontal one.
    MemoEntete->setMinimumWidth(MemoEntete->fontMetrics().horizontalAdvance(QString(81, QLatin1Char('M'))) +
                                2 * static_cast<int>(MemoEntete->document()->documentMargin()) +
                                2 * MemoEntete->frameWidth() +
                                MemoEntete->verticalScrollBar()->sizeHint().width());
    MemoEntete->setMinimumHeight(MemoEntete->fontMetrics().lineSpacing() * 24);
    LabelRecherche = new QLabel(QStringLiteral("Rechercher :"), this);
    LabelRecherche->setObjectName("LabelRecherche");
    EditRecherche = new QLineEdit(this);
    EditRecherche->setObjectName("EditRecherche");
    LabelRecherche->setBuddy(EditRecherche);
    BtnSuivant = new QPushButton(QStringLiteral("&Suivant"), this);
    BtnSuivant->setObjectName("BtnSuivant");
    LabelTrouve = new QLabel(this);
    LabelTrouve->setObjectName("LabelTrouve");
    layout->addWidget(MemoEntete, 0, 0, 1, 4);
    layout->addWidget(LabelRecherche, 1, 0);
    layout->addWidget(EditRecherche, 1, 1);
    layout->addWidget(BtnSuivant, 1, 2);
    layout->addWidget(LabelTrouve, 1, 3);
    layout->setColumnStretch(1, 1);
    connect(BtnSuivant, &QPushButton::clicked, this, [this] { RunCommand([this] { BtnSuivantClick(); }); });
    connect(EditRecherche, &QLineEdit::returnPressed, this,
            [this] { RunCommand([this] { BtnSuivantClick(); }); });
    connect(EditRecherche, &QLineEdit::textChanged, this, [this] { EditRechercheChange(); });
    connect(&workspace_, &TWorkspace::CurrentImageChanged, this, [this] {
        if (isVisible()) ShowCurrentHeader();
    });
}

void TFormEntete::ShowCurrentHeader() {
    TFormImage* image = workspace_.CurrentImage();
    const bool fits = image && image->Document().Kind == kKindFits;
    QString text;
    if (fits) {
        for (const std::string& card : BuildFitsHeaderCards(image->Document()))
            text += QString::fromLatin1(card.data(), static_cast<qsizetype>(card.size())) + QLatin1Char('\n');
        text.chop(1);
    }
    setWindowTitle(fits ? QStringLiteral("En-tête FITS - %1").arg(image->windowTitle())
                        : QStringLiteral("En-tête FITS"));
    // The reader keeps its place when the same header is shown again.
    if (MemoEntete->toPlainText() == text) return;
    MemoEntete->setPlainText(text);
    LabelTrouve->clear();
}

void TFormEntete::BtnSuivantClick() {
    const QString wanted = EditRecherche->text();
    if (wanted.isEmpty()) return;
    // Card texts are in capitals, what users type often is not.
    bool found = MemoEntete->find(wanted);
    if (!found) {
        QTextCursor top = MemoEntete->textCursor();
        top.movePosition(QTextCursor::Start);
        MemoEntete->setTextCursor(top);
        found = MemoEntete->find(wanted);
    }
    LabelTrouve->setText(found ? QString() : QStringLiteral("Introuvable"));
}

void TFormEntete::EditRechercheChange() {
    LabelTrouve->clear();
}

void TFormEntete::showEvent(QShowEvent* event) {
    ShowCurrentHeader();
    // Ready for a search at once.
    EditRecherche->setFocus();
    QWidget::showEvent(event);
}

void TFormEntete::changeEvent(QEvent* event) {
    // Back to this window after changing the thresholds: the THRESH cards follow.
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) ShowCurrentHeader();
    QWidget::changeEvent(event);
}

} // namespace orv::ui
