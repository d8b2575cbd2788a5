#include "widgets/window_look/enter_presses_button.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPushButton>

namespace ottomix {

namespace {

class EnterPressesButton : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            auto* button = qobject_cast<QPushButton*>(watched);
            if (button != nullptr && button->isEnabled() && !key->isAutoRepeat() &&
                (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
                button->click();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

void makeEnterPressButton(QPushButton* button) {
    button->setAutoDefault(false);
    button->setDefault(false);
    button->installEventFilter(new EnterPressesButton(button));
}

}  // namespace ottomix
