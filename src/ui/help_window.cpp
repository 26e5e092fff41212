#include "ui/help_window.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

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

void THelpWindow::ShowContents() {
    Browser->setSource(QUrl(HelpContentsUrl()));
    Browser->scrollToAnchor("sommaire");
    show();
    raise();
    activateWindow();
}

} // namespace orv::ui
