// The print dialog's layout, its factor field and its preview of the sheet.
#include "ui/form_impr.h"

#include "ui/application.h"
#include "ui/dialogs.h"
#include "ui/form_image.h"
#include "ui/image_control.h"
#include "ui/printer.h"
#include "ui/workspace.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace orv::ui {

namespace {

QRect ToQRect(const TRectangle& r) {
    return QRect(QPoint(r.Left, r.Top), QPoint(r.Right - 1, r.Bottom - 1));
}

} // namespace

TFactorEdit::TFactorEdit(QWidget* parent) : QSpinBox(parent) {
    setRange(kMinPrintFactor, kMaxPrintFactor);
    setValue(kMinPrintFactor);
}

QValidator::State TFactorEdit::validate(QString& input, int&) const {
    bool ok = false;
    const int v = input.trimmed().toInt(&ok);
    return ok && v >= minimum() && v <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
}

void TFactorEdit::fixup(QString& input) const {
    input = QString::number(PrintFactor(input.toStdString()));
}

int TFactorEdit::valueFromText(const QString& text) const {
    return PrintFactor(text.toStdString());
}

TFormImpr::TFormImpr(TWorkspace& workspace, QWidget* parent) : QDialog(parent), workspace_(workspace) {
    setObjectName("FormImpr");
    setWindowTitle(QStringLiteral("Imprimer"));
    Label1 = new QLabel(QStringLiteral("Facteur d'agrandissement :"), this);
    Label1->setObjectName("Label1");
    Label1->move(10, 12);
    Label1->adjustSize(); // the whole caption, whatever the font
    SpinEdit1 = new TFactorEdit(this);
    SpinEdit1->setObjectName("SpinEdit1");
    SpinEdit1->setGeometry(10, 34, 70, 24);
    GroupBox1 = new QGroupBox(QStringLiteral("Orientation"), this);
    GroupBox1->setObjectName("GroupBox1");
    GroupBox1->setGeometry(10, 66, 150, 64);
    RadioButton1 = new QRadioButton(QStringLiteral("Portrait"), GroupBox1);
    RadioButton1->setObjectName("RadioButton1");
    RadioButton1->setGeometry(10, 18, 130, 20);
    RadioButton2 = new QRadioButton(QStringLiteral("Paysage"), GroupBox1);
    RadioButton2->setObjectName("RadioButton2");
    RadioButton2->setGeometry(10, 40, 130, 20);
    ImageImpr = new QLabel(this);
    ImageImpr->setObjectName("ImageImpr");
    ImageImpr->setToolTip(QStringLiteral("Sheet"));
    ImageImpr->setFrameStyle(QFrame::Box | QFrame::Plain);
    // The preview right of the caption, the buttons under it.
    const int previewLeft = std::max(184, Label1->geometry().right() + 16);
    ImageImpr->setGeometry(previewLeft, 12, kPreviewSide + 2, kPreviewSide + 2);
    const int width = previewLeft + kPreviewSide + 2 + 14;
    setFixedSize(width, 170);
    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setDefault(true);
    BitBtn1->setGeometry(width - 190, 136, 80, 26);
    BitBtn2 = new QPushButton(QStringLiteral("Annuler"), this);
    BitBtn2->setObjectName("BitBtn2");
    BitBtn2->setGeometry(width - 100, 136, 80, 26);
    Preview = QImage(kPreviewSide, kPreviewSide, QImage::Format_RGB32);
    Preview.fill(palette().color(QPalette::Button));
    ImageImpr->setPixmap(QPixmap::fromImage(Preview));

    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(SpinEdit1, &QSpinBox::valueChanged, this, [this] { RunCommand([this] { SpinEdit1Change(); }); });
    connect(RadioButton1, &QRadioButton::clicked, this,
            [this] { RunCommand([this] { RadioButton1Click(); }); });
    connect(RadioButton2, &QRadioButton::clicked, this,
            [this] { RunCommand([this] { RadioButton2Click(); }); });
}

TPrinter& TFormImpr::Printer() {
    return Dialogs().Printer();
}

bool TFormImpr::ReadSizes() {
    const TFormImage* image = workspace_.CurrentImage();
    if (!image) return false;
    const TSize page = Printer().PageSize();
    PageWidth = page.Width;
    PageHeight = page.Height;
    // The picture at one pixel per image pixel, whatever the window's zoom.
    const QSize picture = image->PictureSize();
    const TSize printed = PrintSize(SpinEdit1->value(), {picture.width(), picture.height()});
    PrintWidth = printed.Width;
    PrintHeight = printed.Height;
    return true;
}

void TFormImpr::SetSheet(TSize sheet) {
    SheetWidth = sheet.Width;
    SheetHeight = sheet.Height;
}

void TFormImpr::FormActivate() {
    if (!ReadSizes()) return;
    SetSheet(SheetOnShow(Printer().Orientation(), {PageWidth, PageHeight}));
    DrawPreview();
}

void TFormImpr::SpinEdit1Change() {
    if (!ReadSizes()) return;
    DrawPreview();
}

void TFormImpr::ChooseOrientation(TOrientation orientation) {
    Printer().SetOrientation(orientation);
    const TSize page = Printer().PageSize();
    PageWidth = page.Width;
    PageHeight = page.Height;
    SetSheet(SheetOnChoice(orientation, page));
    DrawPreview();
}

void TFormImpr::RadioButton1Click() {
    ChooseOrientation(TOrientation::Portrait);
}

void TFormImpr::RadioButton2Click() {
    ChooseOrientation(TOrientation::Landscape);
}

void TFormImpr::DrawPreview() {
    const TPreview layout = PreviewLayout(Printer().Orientation(), {SheetWidth, SheetHeight},
                                          {PageWidth, PageHeight}, {PrintWidth, PrintHeight});
    QPainter p(&Preview);
    p.fillRect(ToQRect(layout.Sheet), Qt::white);
    const QRect picture = ToQRect(layout.Picture);
    if (!picture.isEmpty()) {
        p.fillRect(picture, Qt::white);
        p.setPen(Qt::black);
        p.setBrush(Qt::NoBrush);
        p.drawRect(picture.adjusted(0, 0, -1, -1)); // a one-pixel outline inside the rectangle
    }
    p.fillRect(ToQRect(layout.Strip), palette().color(QPalette::Button));
    p.end();
    ImageImpr->setPixmap(QPixmap::fromImage(Preview));
}

} // namespace orv::ui
