// The help window: the program's French help, shipped inside the program as a resource,
// shown in a text browser with its table of contents first.
#pragma once

#include <QWidget>

class QTextBrowser;

namespace orv::ui {

// The help page's address inside the program.
QString HelpContentsUrl();

class THelpWindow : public QWidget {
    Q_OBJECT
  public:
    explicit THelpWindow(QWidget* parent = nullptr);

    // Shows the window at the contents (the top of the page) and brings it forward.
    void ShowContents();
    // Sizes and places the window, not yet shown, inside `area` (screen pixels) at its top
    // right, its title bar included.
    void PlaceOver(const QRect& area);

    QTextBrowser* Browser = nullptr;
};

} // namespace orv::ui
