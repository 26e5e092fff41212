#include "ui/progress_form.h"

#include "core/text/rounding.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>

namespace orv::ui {

int GaugePercent(float fraction) {
    return static_cast<int>(Round(static_cast<double>(fraction) * 100.0));
}

bool ProgressVisibleAt(float fraction) {
    return static_cast<double>(fraction) <= 0.9999;
}

TProgressForm::TProgressForm(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName("ProgressForm");
    setWindowTitle(QStringLiteral("Progression"));
    setFixedSize(267, 55);
    move(319, 134);
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(8, 6, 249, 16);
    Label1->setAlignment(Qt::AlignCenter);
    Gauge1 = new QProgressBar(this);
    Gauge1->setObjectName("Gauge1");
    Gauge1->setGeometry(0, 55 - 28, 267, 28);
    Gauge1->setRange(0, 100);
    Gauge1->setValue(0);
    Gauge1->setTextVisible(true);
    Gauge1->setAlignment(Qt::AlignCenter);
    Gauge1->setFormat(QStringLiteral("%p %"));
    Gauge1->setStyleSheet(QStringLiteral("QProgressBar { background: teal; color: black; font-weight: bold;"
                                         " border: 1px solid gray; text-align: center; }"
                                         "QProgressBar::chunk { background: blue; }"));
}

void TProgressForm::SetProgress(float fraction) {
    if (ProgressVisibleAt(fraction)) {
        if (isHidden()) show();
        Gauge1->setValue(GaugePercent(fraction));
    } else {
        hide();
    }
}

void ShowProgress(TProgressForm* window, float fraction, bool userInput) {
    if (window) window->SetProgress(fraction);
    QCoreApplication::processEvents(userInput ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
}

} // namespace orv::ui
