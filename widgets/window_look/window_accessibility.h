// How the program's windows are presented to assistive technology.
#pragma once

namespace ottomix {

// Presents every top-level window built on a plain QWidget as a window (or a
// dialog, by its window type) named by its title. Qt gives such a widget the
// role of a client area, which AT-SPI shows as a nameless "filler", so screen
// readers would not announce the window at all. Main windows and dialogs
// already have their roles and are left to Qt. Safe to call more than once.
void presentWindowsAsWindows();

}  // namespace ottomix
