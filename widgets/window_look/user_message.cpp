#include "widgets/window_look/user_message.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <utility>

namespace ottomix {

namespace {

// The header's title, for the translation tools.
[[maybe_unused]] constexpr const char* kTranslatedTitle =
    QT_TRANSLATE_NOOP("ottomix::UserMessage", "Ottomix 98");

MessageHook& messageHook() {
    static MessageHook hook;
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
            qsizetype sinceBreak = 0;
            for (qsizetype k = i; k < end; ++k) {
                const QChar c = text[k];
                out += c;
                ++sinceBreak;
                if (k + 1 < end && !c.isHighSurrogate() && (c == u'/' || sinceBreak >= kRun)) {
                    out += kBreak;
                    sinceBreak = 0;
                }
            }
        }
        while (end < text.size() && text[end].isSpace()) out += text[end++];
        i = end;
    }
    return out;
}

}  // namespace

MessageHook setMessageHook(MessageHook hook) {
    return std::exchange(messageHook(), std::move(hook));
}

void showMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                    const QString& text) {
    if (messageHook()) {
        messageHook()(icon, caption, text);
        return;
    }
    QMessageBox box(icon, caption, withBreakPoints(text), QMessageBox::Ok, parent);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void showFailure(QWidget* parent, const QString& message) {
    showMessageBox(parent, QMessageBox::Critical,
                   QCoreApplication::translate("ottomix::UserMessage", kApplicationTitle),
                   message + u'.');
}

void showMessage(const QString& text) {
    showMessageBox(nullptr, QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), text);
}

}  // namespace ottomix
