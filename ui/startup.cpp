#include "ui/startup.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "core/command_line_reader.h"
#include "ui/about_window.h"
#include "ui/application.h"
#include "ui/main_window.h"
#include "ui/message_text.h"
#include "ui/progress_window.h"
#include "ui/translations.h"
#include "widgets/window_look/user_message.h"

namespace ottomix {

namespace {

constexpr const char* kUsageLine = QT_TRANSLATE_NOOP(
    "ottomix::Startup",
    "Usage: ottomix [--help | --version] [--encrypt | --decrypt] [--] [FILE | DIRECTORY]\n");
constexpr const char* kHelp =
    QT_TRANSLATE_NOOP("ottomix::Startup",
                      "\n"
                      "Opens the Ottomix window, which scrambles and unscrambles one file at a\n"
                      "time. With FILE the browser starts in FILE's directory with FILE selected,\n"
                      "in Binary Mode when Text Mode (*.txt) would not list it. With DIRECTORY\n"
                      "the browser starts there. A path that cannot be opened is reported, and\n"
                      "the window starts as without one.\n"
                      "\n"
                      "  --encrypt FILE, --decrypt FILE\n"
                      "              open FILE as above and encrypt or decrypt it at once\n"
                      "  --          end of options: what follows is the path\n"
                      "  -h, --help  show this text\n"
                      "  --version   show the version\n"
                      "\n"
                      "The toolkit's standard options are taken too, for example -style fusion,\n"
                      "-platform wayland or -reverse.\n");

// -h/--help, --version, and the toolkit's standard options, which take one
// dash as well as two.
constexpr CommandLineReader::Option kOptions[] = {
    {"help", 'h'},
    {"version"},
    {"encrypt"},
    {"decrypt"},
    {"platform", 0, true, true},
    {"platformpluginpath", 0, true, true},
    {"platformtheme", 0, true, true},
    {"plugin", 0, true, true},
    {"qwindowgeometry", 0, true, true},
    {"qwindowicon", 0, true, true},
    {"qwindowtitle", 0, true, true},
    {"display", 0, true, true},
    {"geometry", 0, true, true},
    {"style", 0, true, true},
    {"stylesheet", 0, true, true},
    {"session", 0, true, true},
    {"reverse", 0, false, true},
    {"widgetcount", 0, false, true},
    {"nograb", 0, false, true},
    {"dograb", 0, false, true},
    {"sync", 0, false, true},
};

CommandLine usageError(std::string what) {
    CommandLine line;
    line.action = CommandLine::Action::UsageError;
    line.error = std::move(what);
    return line;
}

}  // namespace

CommandLine parseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    CommandLineReader reader(argc, argv, kOptions);
    using Kind = CommandLineReader::Item::Kind;
    for (auto item = reader.next(); item.kind != Kind::End; item = reader.next()) {
        if (item.kind == Kind::Error) return usageError(item.text);
        if (item.kind == Kind::Operand) {
            if (line.path) {
                return usageError(fillIn(
                    QCoreApplication::translate(
                        "ottomix::Startup", "one file or directory at most, not both %1 and %2"),
                    {*line.path, item.text}));
            }
            line.path = item.text;
            continue;
        }
        const std::string_view name = item.option->name;
        if (name == "help" || name == "version") {
            line.action = name == "help" ? CommandLine::Action::Help : CommandLine::Action::Version;
            return line;
        }
        if (name == "encrypt" || name == "decrypt") {
            const auto job =
                name == "encrypt" ? CommandLine::Job::Encrypt : CommandLine::Job::Decrypt;
            if (line.job != CommandLine::Job::None && line.job != job)
                return usageError(
                    QCoreApplication::translate("ottomix::Startup",
                                                "--encrypt and --decrypt exclude each other")
                        .toStdString());
            line.job = job;
            continue;
        }
        // Handed to the toolkit as it reads them: -name [value].
        std::string option(1, '-');
        option.append(name);
        line.toolkitArgs.push_back(option);
        if (item.option->takesValue) line.toolkitArgs.push_back(item.text);
    }
    if (line.job != CommandLine::Job::None && !line.path)
        return usageError(
            QCoreApplication::translate("ottomix::Startup",
                                        "--encrypt and --decrypt need the FILE to work on")
                .toStdString());
    return line;
}

int runOttomix(int& argc, char** argv, const std::function<void(MainWindow&)>& started) {
    static char fallbackName[] = "ottomix";
    // Outlives the application objects that use it.
    static Translations* translations = nullptr;
    Translations loadedTranslations;
    translations = &loadedTranslations;
    // What is said before the window's application object exists is said
    // under one of its own, which carries the translations.
    std::optional<QCoreApplication> early;
    const auto speak = [&] {
        static int earlyArgc = 1;
        static char* earlyArgv[] = {fallbackName, nullptr};
        early.emplace(earlyArgc, earlyArgv);
        translations->install();
    };
    const auto print = [](const QString& text, FILE* to) {
        std::fputs(text.toLocal8Bit().constData(), to);
        std::fflush(to);
    };

    CommandLine command = parseCommandLine(argc, argv);
    switch (command.action) {
        case CommandLine::Action::Help:
            speak();
            print(QCoreApplication::translate("ottomix::Startup", kUsageLine) +
                      QCoreApplication::translate("ottomix::Startup", kHelp),
                  stdout);
            return 0;
        case CommandLine::Action::Version:
            std::printf("ottomix %s\n", OTTOMIX_VERSION);
            std::fflush(stdout);
            return 0;
        case CommandLine::Action::UsageError:
            speak();
            // Read again, now that its messages can be translated.
            command = parseCommandLine(argc, argv);
            print(QCoreApplication::translate("ottomix::Startup",
                                              "%1: %2\nTry '%1 --help' for more information.\n")
                      .arg(QStringLiteral("ottomix"), coreText(command.error)),
                  stderr);
            return 2;
        case CommandLine::Action::Run:
            break;
    }

    // Qt sees its own options only, as they were read here: a file named
    // like one of them must not be taken for one.
    static std::vector<std::string> toolkitArgs;
    toolkitArgs = command.toolkitArgs;
    static std::vector<char*> qtArgv;
    qtArgv.assign(1, argc > 0 ? argv[0] : fallbackName);
    bool platformGiven = std::getenv("QT_QPA_PLATFORM") != nullptr;
    for (std::string& arg : toolkitArgs) {
        platformGiven = platformGiven || arg == "-platform";
        qtArgv.push_back(arg.data());
    }
    qtArgv.push_back(nullptr);
    int qtArgc = static_cast<int>(qtArgv.size()) - 1;
    if (!platformGiven && std::getenv("DISPLAY") == nullptr &&
        std::getenv("WAYLAND_DISPLAY") == nullptr) {
        speak();
        print(QCoreApplication::translate("ottomix::Startup",
                                          "ottomix: no display to open the window on (DISPLAY "
                                          "and WAYLAND_DISPLAY are not set)\n"),
              stderr);
        return 1;
    }
    // A display that cannot be opened ends Qt with a fatal message after a
    // warning that says why: that one line, and status 1 instead of an abort.
    static QStringList held;
    held.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext&, const QString& message) {
            if (type != QtFatalMsg) {
                held << message;
                return;
            }
            const QString why = (held.isEmpty() ? message : held.first()).section(u'\n', 0, 0);
            const QString text = translations->translate("ottomix::Startup",
                                                         "ottomix: cannot open the window: %1\n");
            std::fputs(qPrintable(text.arg(why.trimmed())), stderr);
            std::_Exit(1);
        });
    Application app(qtArgc, qtArgv.data());
    translations->install();
    qInstallMessageHandler(previous);
    for (const QString& message : held) qWarning().noquote() << message;
    try {
        MainWindow mainWindow;
        // Windows of their own, but the main window's: transient for it, so
        // window managers (and Wayland compositors) keep them in front of it.
        AboutWindow aboutWindow(&mainWindow);
        ProgressWindow progressWindow(&mainWindow);
        mainWindow.setAboutWindow(&aboutWindow);
        mainWindow.setProgressWindow(&progressWindow);
        if (started) started(mainWindow);
        mainWindow.show();
        // Once shown, when the lists have filled. A relative path counts from
        // the directory the program started in, which the browser still shows.
        if (command.path) {
            try {
                mainWindow.openPath(*command.path);
                if (command.job == CommandLine::Job::Encrypt) mainWindow.encryptSelectedFile();
                if (command.job == CommandLine::Job::Decrypt) mainWindow.decryptSelectedFile();
            } catch (...) {
                showFailure(&mainWindow, currentExceptionMessage());
            }
        }
        app.exec();
    } catch (...) {
        showFailure(nullptr, currentExceptionMessage());
    }
    return 0;
}

}  // namespace ottomix
