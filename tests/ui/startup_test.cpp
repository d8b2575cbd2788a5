// The whole program from start-up to its end, each run in a child process:
// the command line (with the real program for what needs no display), the
// path it opens, exit statuses, pending stream bytes at Exit, the
// standard-output lines of a text-mode Decrypt, and an exception during
// start-up.
#include "ui/startup.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QApplication>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/byte_stream.h"
#include "ui/application.h"
#include "ui/browser/directory_tree.h"
#include "ui/browser/file_list.h"
#include "ui/glyph_button.h"
#include "ui/main_window.h"
#include "ui/progress_window.h"
#include "ui/viewer/text_viewer.h"

extern char** environ;

namespace {

using ottomix::MainWindow;

// Standard error of a child that showed no box and stopped where it should.
::testing::Matcher<const std::string&> NoBox() {
    return ::testing::AllOf(::testing::Not(::testing::HasSubstr("[box")),
                            ::testing::Not(::testing::HasSubstr("still running")));
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Runs the program in the child with `args` after its name; `script` drives
// it once the event loop runs.
[[noreturn]] void RunProgramWith(const std::string& dir, const std::vector<std::string>& args,
                                 std::function<void(MainWindow&)> script) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (::chdir(dir.c_str()) != 0) std::_Exit(99);
    // What a box would have said goes to standard error for the parent to
    // see; 3 is the stop icon (QMessageBox::Critical).
    ottomix::setMessageBoxHook(
        [](QMessageBox::Icon icon, const QString& caption, const QString& text) {
            std::fprintf(stderr, "[box %d] %s: %s\n", static_cast<int>(icon), qPrintable(caption),
                         qPrintable(text));
        });
    static std::vector<std::string> storage;
    storage = args;
    storage.insert(storage.begin(), "ottomix");
    static std::vector<char*> argv;
    for (std::string& arg : storage) argv.push_back(arg.data());
    argv.push_back(nullptr);
    int argc = static_cast<int>(storage.size());
    std::exit(ottomix::runOttomix(argc, argv.data(), [script](MainWindow& window) {
        QTimer::singleShot(0, &window, [&window, script] { script(window); });
    }));
}

[[noreturn]] void RunProgram(const std::string& dir, std::function<void(MainWindow&)> script) {
    RunProgramWith(dir, {}, std::move(script));
}

// A job runs on a thread of its own; its report comes through the event loop.
void WaitForJob(MainWindow& window) {
    while (window.isJobRunning()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
}

void Select(MainWindow& window, const char* name) {
    ottomix::FileList* list = window.fileList();
    for (int i = 0; i < list->count(); ++i)
        if (list->itemText(i) == QLatin1String(name)) list->setSelectedRow(i);
}

class StartUpTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        std::ofstream(Path("plain.txt"), std::ios::binary) << "ABC\n";
    }
    std::string Dir() const { return dir_.path().toStdString(); }
    std::string Path(const std::string& name) const { return Dir() + "/" + name; }
    QTemporaryDir dir_;
};

TEST_F(StartUpTest, CloseBoxEndsTheEventLoopWithStatusZero) {
    // The progress window is still up when the main window closes.
    EXPECT_EXIT(RunProgram(Dir(),
                           [](MainWindow& window) {
                               Select(window, "plain.txt");
                               QTest::mouseClick(window.encryptButton(), Qt::LeftButton);
                               WaitForJob(window);
                               window.close();
                           }),
                ::testing::ExitedWithCode(0), NoBox());
    EXPECT_EQ(ReadAll(Path("encrypt.txt")), std::string("\x3f\x3f\x41\x07", 4));
}

// The close box while the progress window shows a running job: the job
// stops, the earlier output stays, and the program ends with status 0.
TEST_F(StartUpTest, CloseBoxDuringAJobStopsItAndEnds) {
    std::ofstream(Path("encrypt.exe"), std::ios::binary) << "earlier";
    {  // Sparse: quick to make, a while to read.
        std::ofstream big(Path("big.bin"), std::ios::binary);
        big.seekp((std::int64_t{1} << 30) - 1);
        big.put('x');
    }
    EXPECT_EXIT(RunProgram(Dir(),
                           [](MainWindow& window) {
                               QTest::mouseClick(window.binaryModeButton(), Qt::LeftButton);
                               Select(window, "big.bin");
                               auto* watch = new QTimer(&window);
                               QObject::connect(watch, &QTimer::timeout, [&window] {
                                   for (QWidget* w : QApplication::topLevelWidgets())
                                       if (qobject_cast<ottomix::ProgressWindow*>(w) &&
                                           w->isVisible())
                                           window.close();
                               });
                               watch->start(0);
                               QTest::mouseClick(window.encryptButton(), Qt::LeftButton);
                           }),
                ::testing::ExitedWithCode(0), NoBox());
    EXPECT_EQ(ReadAll(Path("encrypt.exe")), "earlier");
    EXPECT_EQ(QDir(dir_.path()).entryList({QStringLiteral(".*")}, QDir::Hidden | QDir::Files),
              QStringList());
}

TEST_F(StartUpTest, ExitButtonEndsAtOnceWithStatusOneAndWritesPendingBytes) {
    EXPECT_EXIT(RunProgram(Dir(),
                           [this](MainWindow& window) {
                               // A writer still open at exit: its bytes are written then.
                               ottomix::ByteWriter* w =
                                   ottomix::ByteWriter::Open(Path("open.txt"), "w");
                               for (char c : std::string("one\ntwo")) w->WriteByte(c);
                               QTest::mouseClick(window.exitButton(), Qt::LeftButton);
                               std::fprintf(stderr, "still running\n");
                           }),
                ::testing::ExitedWithCode(1), NoBox());
    EXPECT_EQ(ReadAll(Path("open.txt")), "one\r\ntwo");
}

TEST_F(StartUpTest, QuitMenuEndsWithStatusOne) {
    EXPECT_EXIT(RunProgram(Dir(), [](MainWindow& window) { window.quitAction()->trigger(); }),
                ::testing::ExitedWithCode(1), NoBox());
}

TEST_F(StartUpTest, TextDecryptWritesTwoLinesToStandardOutputAtExit) {
    const std::string out = Path("stdout.bin");
    EXPECT_EXIT(
        {
            const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(fd, 1);
            RunProgram(Dir(), [](MainWindow& window) {
                Select(window, "plain.txt");
                QTest::mouseClick(window.decryptButton(), Qt::LeftButton);
                WaitForJob(window);
                QTest::mouseClick(window.exitButton(), Qt::LeftButton);
            });
        },
        ::testing::ExitedWithCode(1), NoBox());
    EXPECT_EQ(ReadAll(out), "File " + Path("plain.txt") +
                                " text has been converted\r\n"
                                "Output is stored in file dencrypt.txt\r\n");
    // A B C LF plus 2, 3, 2, 3.
    EXPECT_EQ(ReadAll(Path("dencrypt.txt")), "CEE\r");
}

// SIGINT, SIGTERM and SIGHUP during a job: the job stops, its temporary file
// goes, the earlier output stays, and the program ends as the signal asks,
// with no message box.
class SignalDuringJobTest : public StartUpTest, public ::testing::WithParamInterface<int> {};

TEST_P(SignalDuringJobTest, EndsTheProgramAndKeepsTheEarlierOutput) {
    const int signal_number = GetParam();
    std::ofstream(Path("encrypt.exe"), std::ios::binary) << "earlier";
    {  // Sparse: quick to make, a while to read.
        std::ofstream big(Path("big.bin"), std::ios::binary);
        big.seekp((std::int64_t{1} << 30) - 1);
        big.put('x');
    }
    const QString dir = dir_.path();
    EXPECT_EXIT(RunProgram(Dir(),
                           [dir, signal_number](MainWindow& window) {
                               QTest::mouseClick(window.binaryModeButton(), Qt::LeftButton);
                               Select(window, "big.bin");
                               // Once the output is being written, the signal comes.
                               auto* watch = new QTimer(&window);
                               QObject::connect(watch, &QTimer::timeout, [dir, signal_number] {
                                   const QStringList temporary = QDir(dir).entryList(
                                       {QStringLiteral(".*")}, QDir::Hidden | QDir::Files);
                                   if (!temporary.isEmpty()) ::raise(signal_number);
                               });
                               watch->start(0);
                               QTest::mouseClick(window.encryptButton(), Qt::LeftButton);
                           }),
                ::testing::KilledBySignal(signal_number), NoBox());
    EXPECT_EQ(ReadAll(Path("encrypt.exe")), "earlier");
    EXPECT_EQ(QDir(dir_.path()).entryList({QStringLiteral(".*")}, QDir::Hidden | QDir::Files),
              QStringList());
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalDuringJobTest, ::testing::Values(SIGINT, SIGTERM, SIGHUP));

// Start-up with a failure right before the event loop would start.
[[noreturn]] void StartWithFailure() {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ottomix::setMessageBoxHook(
        [](QMessageBox::Icon icon, const QString& caption, const QString& text) {
            std::fprintf(stderr, "[box %d] %s: %s\n", static_cast<int>(icon), qPrintable(caption),
                         qPrintable(text));
        });
    static char name[] = "ottomix";
    static char* argv[] = {name, nullptr};
    int argc = 1;
    std::exit(ottomix::runOttomix(
        argc, argv, [](MainWindow&) { throw std::runtime_error("Cannot create the window"); }));
}

TEST(StartUp, ExceptionDuringStartUpIsShownThenStatusZero) {
    // Icon 3 is the stop icon (QMessageBox::Critical).
    EXPECT_EXIT(StartWithFailure(), ::testing::ExitedWithCode(0),
                "\\[box 3\\] Ottomix 98: Cannot create the window\\.");
}

// --- The command line ----------------------------------------------------

ottomix::CommandLine Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "ottomix");
    return ottomix::parseCommandLine(static_cast<int>(args.size()), args.data());
}

TEST(CommandLine, NoArgumentRunsWithoutAPath) {
    const ottomix::CommandLine line = Parse({});
    EXPECT_EQ(line.action, ottomix::CommandLine::Action::Run);
    EXPECT_FALSE(line.path.has_value());
}

TEST(CommandLine, OnePathRunsWithIt) {
    for (const char* path : {"notes.txt", "/tmp", "-", "", "dir with blanks/x"}) {
        const ottomix::CommandLine line = Parse({path});
        EXPECT_EQ(line.action, ottomix::CommandLine::Action::Run) << path;
        ASSERT_TRUE(line.path.has_value()) << path;
        EXPECT_EQ(*line.path, path);
    }
}

TEST(CommandLine, DoubleDashEndsTheOptions) {
    for (const char* path : {"-x", "--help", "--version", "--"}) {
        const ottomix::CommandLine line = Parse({"--", path});
        EXPECT_EQ(line.action, ottomix::CommandLine::Action::Run) << path;
        ASSERT_TRUE(line.path.has_value()) << path;
        EXPECT_EQ(*line.path, path);
    }
    // A path before the "--" counts as well.
    const ottomix::CommandLine line = Parse({"a.txt", "--"});
    EXPECT_EQ(line.action, ottomix::CommandLine::Action::Run);
    EXPECT_EQ(line.path.value_or(""), "a.txt");
}

TEST(CommandLine, HelpAndVersionWinWhereTheyStand) {
    EXPECT_EQ(Parse({"--help"}).action, ottomix::CommandLine::Action::Help);
    EXPECT_EQ(Parse({"--version"}).action, ottomix::CommandLine::Action::Version);
    EXPECT_EQ(Parse({"a.txt", "--version"}).action, ottomix::CommandLine::Action::Version);
    EXPECT_EQ(Parse({"--help", "--bogus"}).action, ottomix::CommandLine::Action::Help);
    // An error before them is reported first.
    const ottomix::CommandLine line = Parse({"--bogus", "--help"});
    EXPECT_EQ(line.action, ottomix::CommandLine::Action::UsageError);
    EXPECT_THAT(line.error, ::testing::HasSubstr("--bogus"));
}

TEST(CommandLine, ToolkitOptionsGoToTheToolkit) {
    const ottomix::CommandLine line =
        Parse({"-style", "fusion", "--platform=offscreen", "-reverse", "a.txt"});
    EXPECT_EQ(line.action, ottomix::CommandLine::Action::Run);
    EXPECT_EQ(line.path.value_or(""), "a.txt");
    EXPECT_EQ(line.toolkit_args, (std::vector<std::string>{"-style", "fusion", "-platform",
                                                          "offscreen", "-reverse"}));
    EXPECT_EQ(Parse({"-h"}).action, ottomix::CommandLine::Action::Help);
    EXPECT_THAT(Parse({"-style"}).error, ::testing::HasSubstr("-style needs a value"));
}

TEST(CommandLine, OtherOptionsAndASecondPathAreUsageErrors) {
    for (const char* option : {"-x", "--bogus", "--help=1", "-reverse=1"}) {
        const ottomix::CommandLine line = Parse({option, "a.txt"});
        EXPECT_EQ(line.action, ottomix::CommandLine::Action::UsageError) << option;
        EXPECT_THAT(line.error, ::testing::HasSubstr(option));
    }
    for (const auto& args : std::vector<std::vector<const char*>>{
             {"a.txt", "b.txt"}, {"--", "a.txt", "b.txt"}, {"a.txt", "--", "-b"}}) {
        const ottomix::CommandLine line = Parse(args);
        EXPECT_EQ(line.action, ottomix::CommandLine::Action::UsageError) << args[1];
        EXPECT_THAT(line.error, ::testing::HasSubstr(args.back()));
    }
}

// The real program, with no display of any kind in its environment.
struct Ran {
    int status = -1;
    std::string out;
    std::string err;
};

std::string ReadFd(int fd) {
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, n);
    ::close(fd);
    return text;
}

Ran RunRealProgram(const std::vector<std::string>& args, const std::string& dir = "/") {
    std::vector<std::string> env_storage;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        if (entry.rfind("DISPLAY=", 0) == 0 || entry.rfind("WAYLAND_DISPLAY=", 0) == 0 ||
            entry.rfind("QT_QPA_PLATFORM=", 0) == 0)
            continue;
        env_storage.push_back(entry);
    }
    std::vector<char*> env;
    for (std::string& entry : env_storage) env.push_back(entry.data());
    env.push_back(nullptr);
    std::vector<std::string> arg_storage = args;
    arg_storage.insert(arg_storage.begin(), OTTOMIX_PROGRAM);
    std::vector<char*> argv;
    for (std::string& arg : arg_storage) argv.push_back(arg.data());
    argv.push_back(nullptr);

    int out[2], err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        for (int fd : {out[0], out[1], err[0], err[1]}) ::close(fd);
        if (::chdir(dir.c_str()) != 0) ::_exit(98);
        ::execve(argv[0], argv.data(), env.data());
        ::_exit(97);
    }
    ::close(out[1]);
    ::close(err[1]);
    Ran ran;
    // Both are short; the pipes hold them while the other is read.
    ran.out = ReadFd(out[0]);
    ran.err = ReadFd(err[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ran.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return ran;
}

TEST(RealProgram, HelpPrintsTheUsageAndExitsZeroWithoutADisplay) {
    const Ran ran = RunRealProgram({"--help"});
    EXPECT_EQ(ran.status, 0) << ran.err;
    EXPECT_THAT(ran.out, ::testing::StartsWith("Usage: ottomix [--help | --version] [--] "
                                               "[FILE | DIRECTORY]\n"));
    EXPECT_THAT(ran.out, ::testing::HasSubstr("Binary Mode"));
    EXPECT_THAT(ran.out, ::testing::HasSubstr("--version"));
    EXPECT_EQ(ran.err, "");
}

TEST(RealProgram, VersionPrintsTheProjectVersionAndExitsZeroWithoutADisplay) {
    const Ran ran = RunRealProgram({"--version"});
    EXPECT_EQ(ran.status, 0) << ran.err;
    EXPECT_EQ(ran.out, "ottomix " OTTOMIX_VERSION "\n");
    EXPECT_THAT(ran.out, ::testing::MatchesRegex("ottomix [0-9]+\\.[0-9]+(\\.[0-9]+)*\n"));
    EXPECT_EQ(ran.err, "");
}

TEST(RealProgram, UnknownOptionIsAUsageErrorWithStatusTwo) {
    for (const char* option : {"--bogus", "-x"}) {
        const Ran ran = RunRealProgram({option, "offscreen"});
        EXPECT_EQ(ran.status, 2) << option;
        EXPECT_EQ(ran.out, "") << option;
        EXPECT_EQ(ran.err, std::string("ottomix: unknown option ") + option +
                               "\nTry 'ottomix --help' for more information.\n");
    }
}

TEST(RealProgram, WithoutADisplayItSaysSoInOneLine) {
    const Ran ran = RunRealProgram({});
    EXPECT_EQ(ran.status, 1);
    EXPECT_EQ(ran.err,
              "ottomix: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are not "
              "set)\n");
}

TEST(RealProgram, TwoPathsAreAUsageErrorWithStatusTwo) {
    const Ran ran = RunRealProgram({"/tmp", "/"});
    EXPECT_EQ(ran.status, 2);
    EXPECT_EQ(ran.out, "");
    EXPECT_THAT(ran.err, ::testing::StartsWith("ottomix: "));
    EXPECT_THAT(ran.err, ::testing::HasSubstr("/tmp"));
    EXPECT_THAT(ran.err, ::testing::HasSubstr("\nTry 'ottomix --help'"));
}

// --- The path the program opens with ---------------------------------------

// What the window shows once the event loop runs, on one line of standard
// error for the parent to check; then the window closes (status 0).
void PrintStateAndClose(MainWindow& window) {
    const bool text = window.isTextMode();
    const bool consistent = text == window.textModeButton()->isChecked() &&
                            !text == window.binaryModeButton()->isChecked() &&
                            text == !window.viewButton()->isHidden();
    std::fprintf(stderr, "[state] shown=%d mode=%s dir=%s selected=%s viewed=%s\n",
                 window.isVisible() ? 1 : 0,
                 !consistent ? "mixed"
                 : text      ? "Text"
                             : "Binary",
                 window.directoryTree()->currentDir().c_str(),
                 window.fileList()->fileName().c_str(),
                 qPrintable(window.viewer()->document()->toPlainText().replace(u'\n', u'|')));
    window.close();
}

std::string State(const std::string& mode, const std::string& dir, const std::string& selected,
                  const std::string& viewed) {
    return "[state] shown=1 mode=" + mode + " dir=" + dir + " selected=" + selected +
           " viewed=" + viewed + "\n";
}

// `first` and, after it, `second`.
MATCHER_P2(InOrder, first, second,
           "has \"" + std::string(first) + "\" before \"" + std::string(second) + "\"") {
    const std::string& text = arg;
    const auto at = text.find(first);
    return at != std::string::npos &&
           text.find(second, at + std::string(first).size()) != std::string::npos;
}

class OpenAtStartTest : public StartUpTest {
  protected:
    void SetUp() override {
        StartUpTest::SetUp();
        ASSERT_EQ(::mkdir(Path("docs").c_str(), 0755), 0);
        std::ofstream(Path("docs/notes.txt"), std::ios::binary) << "first\nsecond\n";
        std::ofstream(Path("docs/LOUD.TXT"), std::ios::binary) << "LOUD\n";
        std::ofstream(Path("docs/data.bin"), std::ios::binary) << std::string("\0\1\2", 3);
        std::ofstream(Path("docs/README"), std::ios::binary) << "no extension\n";
    }
    // Runs the program with `args` in Dir(), expecting status 0 and what
    // standard error should hold.
    void Expect(const std::vector<std::string>& args,
                ::testing::Matcher<const std::string&> stderr_matcher) {
        EXPECT_EXIT(RunProgramWith(Dir(), args, PrintStateAndClose), ::testing::ExitedWithCode(0),
                    stderr_matcher);
    }
};

TEST_F(OpenAtStartTest, NoArgumentStartsAsBefore) {
    Expect({}, ::testing::AllOf(NoBox(), ::testing::HasSubstr(State("Text", Dir(), "", ""))));
}

TEST_F(OpenAtStartTest, TextFileStartsInTextModeSelectedAndShownInTheViewer) {
    Expect({Path("docs/notes.txt")},
           ::testing::AllOf(
               NoBox(), ::testing::HasSubstr(
                            State("Text", Path("docs"), Path("docs/notes.txt"), "first|second|"))));
    // The mask ignores case, as the list's does.
    Expect({Path("docs/LOUD.TXT")},
           ::testing::AllOf(NoBox(), ::testing::HasSubstr(State("Text", Path("docs"),
                                                                Path("docs/LOUD.TXT"), "LOUD|"))));
}

TEST_F(OpenAtStartTest, OtherFileStartsInBinaryModeSelected) {
    for (const char* name : {"docs/data.bin", "docs/README"}) {
        Expect({Path(name)},
               ::testing::AllOf(
                   NoBox(), ::testing::HasSubstr(State("Binary", Path("docs"), Path(name), ""))));
    }
}

TEST_F(OpenAtStartTest, RelativePathsCountFromTheStartDirectory) {
    Expect({"docs/notes.txt"},
           ::testing::AllOf(
               NoBox(), ::testing::HasSubstr(
                            State("Text", Path("docs"), Path("docs/notes.txt"), "first|second|"))));
    Expect({"docs/../plain.txt"},
           ::testing::AllOf(NoBox(),
                            ::testing::HasSubstr(State("Text", Dir(), Path("plain.txt"), "ABC|"))));
    Expect({"docs"},
           ::testing::AllOf(NoBox(), ::testing::HasSubstr(State("Text", Path("docs"), "", ""))));
}

TEST_F(OpenAtStartTest, DirectoryStartsThereInTextModeWithNothingSelected) {
    Expect({Path("docs")},
           ::testing::AllOf(NoBox(), ::testing::HasSubstr(State("Text", Path("docs"), "", ""))));
    Expect({Path("docs") + "/"},
           ::testing::AllOf(NoBox(), ::testing::HasSubstr(State("Text", Path("docs"), "", ""))));
}

TEST_F(OpenAtStartTest, DoubleDashOpensAFileNamedLikeAnOption) {
    std::ofstream(Path("-x"), std::ios::binary) << "dash";
    Expect({"--", "-x"},
           ::testing::AllOf(NoBox(), ::testing::HasSubstr(State("Binary", Dir(), Path("-x"), ""))));
}

TEST_F(OpenAtStartTest, MissingPathShowsTheErrorBoxThenTheWindowAsWithoutOne) {
    const std::string missing = Path("nowhere/notes.txt");
    Expect({missing},
           InOrder("[box 3] Ottomix 98: Cannot open " + missing + ": No such file or directory.\n",
                   State("Text", Dir(), "", "")));
    Expect({"gone.txt"},
           InOrder(std::string("[box 3] Ottomix 98: Cannot open gone.txt: No such file or "
                               "directory.\n"),
                   State("Text", Dir(), "", "")));
}

TEST_F(OpenAtStartTest, PathThatCannotBeEnteredShowsTheReason) {
    const std::string through_file = Path("plain.txt") + "/inner";
    Expect({through_file},
           InOrder("[box 3] Ottomix 98: Cannot open " + through_file + ": Not a directory.\n",
                   State("Text", Dir(), "", "")));
}

TEST_F(OpenAtStartTest, WhatTheListNeverShowsIsReportedWithTheReason) {
    std::ofstream(Path("docs/.hidden.txt"), std::ios::binary) << "hidden";
    Expect({Path("docs/.hidden.txt")},
           InOrder("[box 3] Ottomix 98: Cannot open " + Path("docs/.hidden.txt") +
                       ": Hidden files are not listed.\n",
                   State("Text", Dir(), "", "")));
    ASSERT_EQ(::mkfifo(Path("docs/pipe.txt").c_str(), 0644), 0);
    Expect({Path("docs/pipe.txt")}, InOrder("[box 3] Ottomix 98: Cannot open " +
                                                Path("docs/pipe.txt") + ": Not a regular file.\n",
                                            State("Text", Dir(), "", "")));
}

}  // namespace
