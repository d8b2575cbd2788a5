#include "ui/startup.h"

#include <cstdio>
#include <string_view>

#include "ui/about_window.h"
#include "ui/application.h"
#include "ui/main_window.h"
#include "ui/progress_window.h"

namespace ottomix {

namespace {

constexpr char kUsageLine[] = "Usage: ottomix [--help | --version] [--] [FILE | DIRECTORY]\n";
constexpr char kHelp[] =
    "\n"
    "Opens the Ottomix window, which scrambles and unscrambles one file at a\n"
    "time. With FILE the browser starts in FILE's directory with FILE selected,\n"
    "in Binary Mode when Text Mode (*.txt) would not list it. With DIRECTORY\n"
    "the browser starts there. A path that cannot be opened is reported, and\n"
    "the window starts as without one.\n"
    "\n"
    "  --          end of options: what follows is the path\n"
    "  --help      show this text\n"
    "  --version   show the version\n";

CommandLine usageError(std::string what) {
    CommandLine line;
    line.action = CommandLine::Action::UsageError;
    line.error = std::move(what);
    return line;
}

}  // namespace

CommandLine parseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    bool options_ended = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!options_ended && arg == "--") {
            options_ended = true;
        } else if (!options_ended && arg == "--help") {
            line.action = CommandLine::Action::Help;
            return line;
        } else if (!options_ended && arg == "--version") {
            line.action = CommandLine::Action::Version;
            return line;
        } else if (!options_ended && arg.size() > 1 && arg[0] == '-') {
            return usageError("unknown option " + std::string(arg));
        } else if (line.path) {
            return usageError("one file or directory at most, not both " + *line.path + " and " +
                              std::string(arg));
        } else {
            line.path = std::string(arg);
        }
    }
    return line;
}

int runOttomix(int& argc, char** argv, const std::function<void(MainWindow&)>& started) {
    const CommandLine command = parseCommandLine(argc, argv);
    switch (command.action) {
        case CommandLine::Action::Help:
            std::fputs(kUsageLine, stdout);
            std::fputs(kHelp, stdout);
            std::fflush(stdout);
            return 0;
        case CommandLine::Action::Version:
            std::printf("ottomix %s\n", OTTOMIX_VERSION);
            std::fflush(stdout);
            return 0;
        case CommandLine::Action::UsageError:
            std::fprintf(stderr, "ottomix: %s\n%s", command.error.c_str(), kUsageLine);
            return 2;
        case CommandLine::Action::Run:
            break;
    }

    // Qt sees the program's name only: the arguments are ours, and a file
    // named like one of Qt's own options must not be taken for one.
    static char fallback_name[] = "ottomix";
    int qt_argc = 1;
    char* qt_argv[] = {argc > 0 ? argv[0] : fallback_name, nullptr};
    Application app(qt_argc, qt_argv);
    try {
        app.setTitle(QString::fromLatin1(kApplicationTitle));
        MainWindow main_window;
        AboutWindow about_window;
        ProgressWindow progress_window;
        main_window.setAboutWindow(&about_window);
        main_window.setProgressWindow(&progress_window);
        if (started) started(main_window);
        main_window.show();
        // Once shown, when the lists have filled. A relative path counts from
        // the directory the program started in, which the browser still shows.
        if (command.path) {
            try {
                main_window.openPath(*command.path);
            } catch (...) {
                app.showCurrentException();
            }
        }
        app.exec();
    } catch (...) {
        app.showCurrentException();
    }
    return 0;
}

}  // namespace ottomix
