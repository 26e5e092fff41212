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

    QTextBrowser* Browser = nullptr;
};

} // namespace orv::ui
