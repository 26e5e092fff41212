// The print dialog: enlargement factor, orientation and a 100 x 100 preview of the sheet
// with the printed extent of the picture. The orientation belongs to the printer: the
// choices change it at once, also when the dialog is then cancelled.
#pragma once

#include "core/tools/print_layout.h"

#include <QDialog>
#include <QImage>
#include <QSpinBox>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace orv::ui {

class TPrinter;
class TWorkspace;

// A factor field that lets any whole number be typed and brings it into 1..200 when the
// field loses the focus; a text that is not a whole number counts as 1.
class TFactorEdit : public QSpinBox {
    Q_OBJECT
  public:
    explicit TFactorEdit(QWidget* parent = nullptr);

  protected:
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    int valueFromText(const QString& text) const override;
};

class TFormImpr : public QDialog {
    Q_OBJECT
  public:
    explicit TFormImpr(TWorkspace& workspace, QWidget* parent = nullptr);

    // Each time the dialog is shown: page, printed size and sheet from the printer.
    void FormActivate();
    void SpinEdit1Change();
    void RadioButton1Click();
    void RadioButton2Click();
    // The preview from the sizes last computed.
    void DrawPreview();

    QLabel* Label1 = nullptr;             // "Facteur d'agrandissement :"
    TFactorEdit* SpinEdit1 = nullptr;     // the enlargement factor
    QGroupBox* GroupBox1 = nullptr;       // "Orientation"
    QRadioButton* RadioButton1 = nullptr; // "Portrait"
    QRadioButton* RadioButton2 = nullptr; // "Paysage"
    QLabel* ImageImpr = nullptr;          // the preview of the sheet
    QPushButton* BitBtn1 = nullptr;       // "OK"
    QPushButton* BitBtn2 = nullptr;       // "Annuler"

    int32_t SheetWidth = 0;
    int32_t SheetHeight = 0;
    int32_t PageWidth = 0;
    int32_t PageHeight = 0;
    int32_t PrintWidth = 0;
    int32_t PrintHeight = 0;
    // What ImageImpr shows.
    QImage Preview;

  private:
    static TPrinter& Printer();
    // The page size and the printed size of the current image; false without one.
    bool ReadSizes();
    void SetSheet(TSize sheet);
    // The printer turned at once, the sheet from its new page.
    void ChooseOrientation(TOrientation orientation);

    TWorkspace& workspace_;
};

} // namespace orv::ui
