#include "ui/form_apropos.h"

#include "ui/app_info.h"
#include "ui/tool_icons.h"

#include <QFont>
#include <QLabel>
#include <QPushButton>

namespace orv::ui {

TFormAPropos::TFormAPropos(QWidget* parent) : QDialog(parent) {
    setObjectName("FormAPropos");
    setWindowTitle(QStringLiteral("A propos de ") + ApplicationTitle());
    setFixedSize(269, 210);
    move(332, 156);
    Label1 = new QLabel(ApplicationTitle(), this);
    Label1->setObjectName("Label1");
    QFont big = Label1->font();
    big.setPixelSize(24);
    big.setBold(true);
    Label1->setFont(big);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1->setGeometry(0, 0, 269, 36);
    Label4 = new QLabel(ApplicationVersion(), this);
    Label4->setObjectName("Label4");
    Label4->setAlignment(Qt::AlignCenter);
    Label4->setGeometry(0, 40, 269, 16);
    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setGeometry(8, 56, 33, 33);
    Image1->setPixmap(DrawPicture(TPicture::AboutIcon, 32));
    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setGeometry(93, 152, 75, 25);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace orv::ui
