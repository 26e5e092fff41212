// The header window "En-tête FITS": the current FITS or CPA image's header as saving would
// write it, one card a line in a fixed-width font, read-only, with a search field. It follows
// the current image through the workspace and knows no other window.
#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace orv::ui {

class TFormImage;
class TWorkspace;

class TFormEntete : public QWidget {
    Q_OBJECT
  public:
    explicit TFormEntete(TWorkspace& workspace, QWidget* parent = nullptr);

    // The cards of the current image, again (its thresholds may have changed).
    void ShowCurrentHeader();

    // Handlers: the next card holding the searched text, from the cursor on, round to the top.
    void BtnSuivantClick();
    void EditRechercheChange();

    QPlainTextEdit* MemoEntete = nullptr;
    QLabel* LabelRecherche = nullptr; // "Rechercher :"
    QLineEdit* EditRecherche = nullptr;
    QPushButton* BtnSuivant = nullptr; // "&Suivant"
    QLabel* LabelTrouve = nullptr;     // "Introuvable" when the text is in no card

  protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    TWorkspace& workspace_;
};

} // namespace orv::ui
