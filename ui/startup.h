// Start-up of the whole program, for main() and for tests that run it.
#pragma once

#include <functional>

namespace ottomix {

class MainWindow;

// Initialises the application, sets its title, creates the main window,
// the About window and the progress window (only the main window is shown,
// when the event loop starts) and runs the event loop until the main window
// closes. An exception that escapes start-up is shown in the exception box.
// Returns 0 either way. `started`, when given, runs just before the event
// loop with the main window (tests drive the program from there).
int runOttomix(int& argc, char** argv, const std::function<void(MainWindow&)>& started = {});

}  // namespace ottomix
