// Informational messages the widgets show the user (a failed copy or save).
#pragma once

#include <QString>
#include <functional>

namespace ottomix {

using MessageFunction = std::function<void(const QString& text)>;

// Replaces how messages are shown (tests collect them instead); an empty
// function restores the message box. Returns the previous one.
MessageFunction setMessageFunction(MessageFunction show);
// Shows text in a modal message box titled with the application's name,
// or hands it to the function set above.
void showMessage(const QString& text);

}  // namespace ottomix
