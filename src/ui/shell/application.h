// The application object and its default error handler: an error that a command or an
// event handler lets escape is shown in an error box captioned "Orvanel", and the program
// goes on with the next event. It starts Qt in French, whatever the user's locale, and loads
// Qt's French translations.
#pragma once

#include <QApplication>

class QBoxLayout;
class QPushButton;

#include <functional>

namespace orv::ui {

// The default handler's box: the message, with a full stop when it ends without one.
void ShowException(const QString& message);

// Runs a command; an error it lets escape goes to ShowException. Commands bound to menus,
// buttons and mouse events run through it.
void RunCommand(const std::function<void()>& command);

// A push button named `name` at the end of `row`, whose click runs `click` as a command.
QPushButton* AddCommandButton(QWidget* owner, QBoxLayout* row, const char* name, const QString& caption,
                              std::function<void()> click);

// The wait cursor while work that shows no progress runs.
struct TWaitCursor {
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

class TApplication : public QApplication {
    Q_OBJECT
  public:
    TApplication(int& argc, char** argv);

    // Every event goes through here: nothing that escapes a handler ends the program.
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace orv::ui
