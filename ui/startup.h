// Start-up of the whole program, for main() and for tests that run it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ottomix {

class MainWindow;

// What the command line asks for: `ottomix [OPTION...] [--] [PATH]`.
struct CommandLine {
    enum class Action { Run, Help, Version, UsageError };
    Action action = Action::Run;
    // Run: the file or directory to open, as given.
    std::optional<std::string> path;
    // UsageError: what is wrong, naming the argument.
    std::string error;
    // Run: the toolkit's own options (-style fusion, -platform xcb ...), for it.
    std::vector<std::string> toolkitArgs;
    // Run: --encrypt or --decrypt FILE (a file manager's action): the job
    // runs on the file as soon as it is open, with the progress window.
    enum class Job { None, Encrypt, Decrypt };
    Job job = Job::None;
};

// Reads the arguments after the program's name. "--" ends the options;
// -h/--help, --version and the toolkit's standard options are taken; any
// other option, and a second path, are usage errors. Touches nothing, so it
// runs before there is a display.
CommandLine parseCommandLine(int argc, const char* const* argv);

// Reads the command line first: --help and --version print to standard
// output and return 0, a usage error goes to standard error and returns 2,
// all without a display. Without a display to open the window on, says so
// in one line on standard error and returns 1. Otherwise initialises the
// application (with the toolkit's options), sets its
// title, creates the main window, the About window and the progress window
// (only the main window is shown, when the event loop starts), opens the
// path given (MainWindow::openPath(); a failure is shown in the exception
// box and the window starts as without one) and runs the event loop until
// the main window closes. An exception that escapes start-up is shown in the
// exception box. Returns 0 then, whether the window closed or start-up
// failed. `started`, when given, runs just before the main window is shown
// (tests drive the program from there).
int runOttomix(int& argc, char** argv, const std::function<void(MainWindow&)>& started = {});

}  // namespace ottomix
