// The program's message boxes, all of them: a failure of something the user
// did, a job's report, a note from a widget (a failed copy or save). Each is
// modal with one OK button, and each goes through one hook that tests use to
// see what the user would be told.
#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>

namespace ottomix {

// The application's title: the caption of the failure box. On Linux the
// desktop entry's name plays the part of the taskbar text.
inline constexpr char kApplicationTitle[] = "Ottomix 98";

// Takes the place of the boxes: tests see icon, caption and text without a
// modal loop. An empty hook restores the boxes.
using MessageHook =
    std::function<void(QMessageBox::Icon icon, const QString& caption, const QString& text)>;
// Returns the hook it replaces.
MessageHook setMessageHook(MessageHook hook);

// A box with one OK button; while it is up the other windows take no input.
void showMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                    const QString& text);
// The box for something of the user's that failed: the message with a full
// stop appended, the application's title as caption, the stop icon.
void showFailure(QWidget* parent, const QString& message);
// A note without an icon, captioned with the application's name.
void showMessage(const QString& text);

}  // namespace ottomix
