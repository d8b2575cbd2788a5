// Enter presses the focused push button, as Space does. Qt leaves Enter to a
// dialog's default buttons, and the program's windows have none.
#pragma once

class QPushButton;

namespace ottomix {

// Makes `button` neither default nor auto-default, and lets Enter (Return
// or keypad Enter) click it while it has the focus and is enabled.
void makeEnterPressButton(QPushButton* button);

}  // namespace ottomix
