#include "ui/application.h"

#include <exception>
#include <utility>

#include "ui/browser/display_name.h"

namespace ottomix {

namespace {

MessageBoxHook& messageBoxHook() {
    static MessageBoxHook hook;
    return hook;
}

// A message box wraps its text at spaces only, so a long path has no place
// to wrap: the box grows past the screen and cuts the name off. Runs longer
// than a line get invisible break points after each '/' and, where there is
// none, every kRun characters.
QString withBreakPoints(const QString& text) {
    constexpr qsizetype kRun = 40;
    constexpr QChar kBreak(0x200B);  // zero-width space
    QString out;
    out.reserve(text.size() + text.size() / kRun + 1);
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype end = i;
        while (end < text.size() && !text[end].isSpace()) ++end;
        if (end - i <= kRun) {
            out += QStringView(text).sliced(i, end - i);
        } else {
            qsizetype since_break = 0;
            for (qsizetype k = i; k < end; ++k) {
                const QChar c = text[k];
                out += c;
                ++since_break;
                if (k + 1 < end && !c.isHighSurrogate() && (c == u'/' || since_break >= kRun)) {
                    out += kBreak;
                    since_break = 0;
                }
            }
        }
        while (end < text.size() && text[end].isSpace()) out += text[end++];
        i = end;
    }
    return out;
}

}  // namespace

void setMessageBoxHook(MessageBoxHook hook) {
    messageBoxHook() = std::move(hook);
}

void showMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                    const QString& text) {
    if (messageBoxHook()) {
        messageBoxHook()(icon, caption, text);
        return;
    }
    QMessageBox box(icon, caption, withBreakPoints(text), QMessageBox::Ok, parent);
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
    } catch (...) {
        showCurrentException();
    }
    return false;
}

void Application::showCurrentException() {
    try {
        throw;
    } catch (const std::exception& e) {
        showException(displayName(e.what()));
    } catch (...) {
        showException(QStringLiteral("Unknown exception"));
    }
}

void Application::showException(const QString& message) {
    showMessageBox(activeWindow(), QMessageBox::Critical, title_, exceptionText(message));
}

}  // namespace ottomix
