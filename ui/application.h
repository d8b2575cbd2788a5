// The application object: its title and the one exception handler of the
// whole event loop, plus the program's message boxes.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <functional>

namespace ottomix {

// The application's title: the caption of the exception box. On Linux the
// desktop entry's name plays the part of the taskbar text.
inline constexpr char kApplicationTitle[] = "Ottomix 98";

// How a message box is shown. Tests install their own to see what the user
// would be told without a modal loop.
using MessageBoxHook =
    std::function<void(QMessageBox::Icon icon, const QString& caption, const QString& text)>;
// An empty hook restores the real boxes.
void setMessageBoxHook(MessageBoxHook hook);

// A box with one OK button; while it is up the other windows take no input.
void showMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                    const QString& text);

class Application : public QApplication {
    Q_OBJECT

  public:
    Application(int& argc, char** argv);

    const QString& title() const { return title_; }
    void setTitle(const QString& title) { title_ = title; }

    // Every event goes through here: an exception escaping a handler
    // abandons that handler, is shown, and the event loop carries on.
    bool notify(QObject* receiver, QEvent* event) override;

    // The exception box: the message with a full stop appended (always),
    // the title as caption, a stop icon and one OK button.
    void showException(const QString& message);
    // The exception box for the exception being handled; call it from a catch block.
    void showCurrentException();
    static QString exceptionText(const QString& message) { return message + u'.'; }

    static Application* instance() {
        return qobject_cast<Application*>(QCoreApplication::instance());
    }

  private:
    QString title_;
};

}  // namespace ottomix
