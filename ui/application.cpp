#include "ui/application.h"

#include <exception>
#include <utility>

namespace ottomix {

namespace {

MessageBoxHook& Hook() {
    static MessageBoxHook hook;
    return hook;
}

}  // namespace

void SetMessageBoxHook(MessageBoxHook hook) {
    Hook() = std::move(hook);
}

void ShowMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                    const QString& text) {
    if (Hook()) {
        Hook()(icon, caption, text);
        return;
    }
    QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    // Not the display name: the X11 platform appends that to every window
    // title, and the windows' captions are fixed.
    setApplicationName(QStringLiteral("ottomix"));
    setDesktopFileName(QStringLiteral("ottomix"));
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowException(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowException(QStringLiteral("Unknown exception"));
    }
    return false;
}

void Application::ShowException(const QString& message) {
    ShowMessageBox(activeWindow(), QMessageBox::Critical, title_, ExceptionText(message));
}

}  // namespace ottomix
