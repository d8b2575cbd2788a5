#include "widgets/window_look/user_message.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <utility>

namespace ottomix {

namespace {

MessageFunction& messageSink() {
    static MessageFunction show;
    return show;
}

}  // namespace

MessageFunction setMessageFunction(MessageFunction show) {
    MessageFunction previous = std::move(messageSink());
    messageSink() = std::move(show);
    return previous;
}

void showMessage(const QString& text) {
    if (messageSink()) {
        messageSink()(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), text,
                    QMessageBox::Ok);
    box.exec();
}

}  // namespace ottomix
