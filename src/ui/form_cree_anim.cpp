#include "ui/form_cree_anim.h"

#include <QLabel>
#include <QSpinBox>
#include <QToolButton>

namespace orv::ui {

TFormCreeAnim* FormCreeAnim = nullptr;

TFormCreeAnim::TFormCreeAnim(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName("FormCreeAnim");
    setWindowTitle(QStringLiteral("Création d'une animation"));
    setFixedSize(272, 407);
    int y = 8;
    auto button = [&](const char* name, const QString& text, const QString& hint) {
        auto* b = new QToolButton(this);
        b->setObjectName(name);
        b->setText(text);
        if (!hint.isEmpty()) b->setToolTip(hint);
        b->setGeometry(216, y, 49, 30);
        y += 34;
        return b;
    };
    BitNew = button("BitNew", QStringLiteral("Nouv."), QStringLiteral("Nouvelle Animation"));
    BitSelect = button("BitSelect", QStringLiteral("Lot"), QStringLiteral("Ajouter un lot d'images"));
    BitAjout = button("BitAjout", QStringLiteral("Image"), QStringLiteral("Ajouter l'image courante"));
    BitUp = button("BitUp", QStringLiteral("Début"), QStringLiteral("Déplacer l'image vers le début"));
    BitDn = button("BitDn", QStringLiteral("Fin"), QStringLiteral("Déplacer l'image vers la fin"));
    BitEgual = button("BitEgual", QStringLiteral("="), QStringLiteral("Délais identiques"));
    BitAuto = button("BitAuto", QStringLiteral("Auto"), QStringLiteral("Régler automatiquement les délais"));
    BitEfface = button("BitEfface", QStringLiteral("Eff."), QStringLiteral("Effacer l'image"));
    Label5 = new QLabel(QStringLiteral("Délai :"), this);
    Label5->setObjectName("Label5");
    Label5->setGeometry(216, y, 49, 16);
    SpinInter = new QSpinBox(this);
    SpinInter->setObjectName("SpinInter");
    SpinInter->setRange(0, 1000);
    SpinInter->setValue(15);
    SpinInter->setGeometry(216, y + 16, 49, 22);
    Label6 = new QLabel(QStringLiteral("x 1/100 s"), this);
    Label6->setObjectName("Label6");
    Label6->setGeometry(216, y + 38, 56, 16);
    y += 58;
    BitAnim = button("BitAnim", QStringLiteral("Voir"), QStringLiteral("Voir l'animation"));
    BitEnr = button("BitEnr", QStringLiteral("Enr."), QStringLiteral("Enregister l'animation"));
    BitQuit = button("BitQuit", QStringLiteral("Fermer"), QString());
    BitAjout->setEnabled(false); // no image window is open yet
}

} // namespace orv::ui
