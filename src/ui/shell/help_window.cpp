#include "ui/shell/help_window.h"

#include "core/tools/window_place.h"

#include <QStyle>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

// Resources of a static library must be registered by name, outside any namespace.
static void InitHelpResource() {
    Q_INIT_RESOURCE(help);
}

namespace orv::ui {

QString HelpContentsUrl() {
    return QStringLiteral("qrc:/help/aide.html");
}

THelpWindow::THelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    InitHelpResource();
    setObjectName("HelpWindow");
    setWindowTitle(QStringLiteral("Aide de Orvanel"));
    resize(640, 560);
    Browser = new QTextBrowser(this);
    Browser->setObjectName("HelpBrowser");
    Browser->setOpenExternalLinks(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Browser);
}

void THelpWindow::PlaceOver(const QRect& area) {
    // The window manager frames the window once shown: its title bar goes above the place given.
    const int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this) + 4;
    const QSize size(std::min(width(), area.width() - 16), std::min(height(), area.height() - 16 - titleBar));
    resize(size.expandedTo(QSize(200, 150)));
    const TRectangle place =
        PlaceInFrame({area.left(), area.top(), area.left() + area.width(), area.top() + area.height()},
                     {width(), height() + titleBar}, area.right() + 1 - 8 - width(), area.top() + 8);
    move(place.Left, place.Top + titleBar);
}

void THelpWindow::ShowContents() {
    Browser->setSource(QUrl(HelpContentsUrl()));
    Browser->scrollToAnchor("sommaire");
    show();
    raise();
    activateWindow();
}

} // namespace orv::ui
