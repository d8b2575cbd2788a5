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

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
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
#include "ui/browser/directory_tree.h"
#include "ui/browser/file_list.h"
#include "ui/glyph_button.h"
#include "ui/main_window.h"
#include "ui/progress_window.h"
#include "ui/viewer/text_viewer.h"
#include "widgets/window_look/user_message.h"

extern char** environ;

namespace {

using ottomix::MainWindow;

// Standard error of a child that showed no box and stopped where it should.
::testing::Matcher<const std::string&> noBox() {
    return ::testing::AllOf(::testing::Not(::testing::HasSubstr("[box")),
                            ::testing::Not(::testing::HasSubstr("still running")));
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Runs the program in the child with `args` after its name; `script` drives
// it once the event loop runs.
[[noreturn]] void runProgramWith(const std::string& dir, const std::vector<std::string>& args,
                                 const std::function<void(MainWindow&)>& script) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (::chdir(dir.c_str()) != 0) std::_Exit(99);
    // What a box would have said goes to standard error for the parent to
    // see; 3 is the stop icon (QMessageBox::Critical).
    ottomix::setMessageHook(
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

[[noreturn]] void runProgram(const std::string& dir,
                             const std::function<void(MainWindow&)>& script) {
    runProgramWith(dir, {}, script);
}

// A job runs on a thread of its own; its report comes through the event loop.
void waitForJob(MainWindow& window) {
    while (window.isJobRunning())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
}

void select(MainWindow& window, const char* name) {
    ottomix::FileList* list = window.fileList();
    for (int i = 0; i < list->count(); ++i)
        if (list->itemText(i) == QLatin1String(name)) list->setSelectedRow(i);
}

class StartUpTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        std::ofstream(path("plain.txt"), std::ios::binary) << "ABC\n";
    }
    std::string dir() const { return dir_.path().toStdString(); }
    std::string path(const std::string& name) const { return dir() + "/" + name; }
    QTemporaryDir dir_;
};

TEST_F(StartUpTest, CloseBoxEndsTheEventLoopWithStatusZero) {
    // The progress window is still up when the main window closes.
    EXPECT_EXIT(runProgram(dir(),
                           [](MainWindow& window) {
                               select(window, "plain.txt");
                               QTest::mouseClick(window.encryptButton(), Qt::LeftButton);
                               waitForJob(window);
                               window.close();
                           }),
                ::testing::ExitedWithCode(0), noBox());
    EXPECT_EQ(readAll(path("encrypt.txt")), std::string("\x3f\x3f\x41\x07", 4));
}

// The close box while the progress window shows a running job: the job
// stops, the earlier output stays, and the program ends with status 0.
TEST_F(StartUpTest, CloseBoxDuringAJobStopsItAndEnds) {
    std::ofstream(path("encrypt.exe"), std::ios::binary) << "earlier";
    {  // Sparse: quick to make, a while to read.
        std::ofstream big(path("big.bin"), std::ios::binary);
        big.seekp((std::int64_t{1} << 30) - 1);
        big.put('x');
    }
    EXPECT_EXIT(
        runProgram(dir(),
                   [](MainWindow& window) {
                       QTest::mouseClick(window.binaryModeButton(), Qt::LeftButton);
                       select(window, "big.bin");
                       auto* watch = new QTimer(&window);
                       QObject::connect(watch, &QTimer::timeout, [&window] {
                           for (QWidget* w : QApplication::topLevelWidgets())
                               if (qobject_cast<ottomix::ProgressWindow*>(w) && w->isVisible())
                                   window.close();
                       });
                       watch->start(0);
                       QTest::mouseClick(window.encryptButton(), Qt::LeftButton);
                   }),
        ::testing::ExitedWithCode(0), noBox());
    EXPECT_EQ(readAll(path("encrypt.exe")), "earlier");
    EXPECT_EQ(QDir(dir_.path()).entryList({QStringLiteral(".*")}, QDir::Hidden | QDir::Files),
              QStringList());
}

TEST_F(StartUpTest, ExitButtonEndsAtOnceWithStatusOneAndWritesPendingBytes) {
    EXPECT_EXIT(runProgram(dir(),
                           [this](MainWindow& window) {
                               // A writer still open at exit: its bytes are written then.
                               ottomix::ByteWriter* w =
                                   ottomix::ByteWriter::open(path("open.txt"), "w");
                               for (char c : std::string("one\ntwo")) w->writeByte(c);
                               QTest::mouseClick(window.exitButton(), Qt::LeftButton);
                               std::fprintf(stderr, "still running\n");
                           }),
                ::testing::ExitedWithCode(1), noBox());
    EXPECT_EQ(readAll(path("open.txt")), "one\r\ntwo");
}

TEST_F(StartUpTest, QuitMenuEndsWithStatusOne) {
    EXPECT_EXIT(runProgram(dir(), [](MainWindow& window) { window.quitAction()->trigger(); }),
                ::testing::ExitedWithCode(1), noBox());
}

TEST_F(StartUpTest, TextDecryptWritesTwoLinesToStandardOutputAtExit) {
    const std::string out = path("stdout.bin");
    EXPECT_EXIT(
        {
            const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(fd, 1);
            runProgram(dir(), [](MainWindow& window) {
                select(window, "plain.txt");
                QTest::mouseClick(window.decryptButton(), Qt::LeftButton);
                waitForJob(window);
                QTest::mouseClick(window.exitButton(), Qt::LeftButton);
            });
        },
        ::testing::ExitedWithCode(1), noBox());
    EXPECT_EQ(readAll(out), "File " + path("plain.txt") +
                                " text has been converted\r\n"
                                "Output is stored in file dencrypt.txt\r\n");
    // A B C LF plus 2, 3, 2, 3.
    EXPECT_EQ(readAll(path("dencrypt.txt")), "CEE\r");
}

// SIGINT, SIGTERM and SIGHUP during a job: the job stops, its temporary file
// goes, the earlier output stays, and the program ends as the signal asks,
// with no message box.
class SignalDuringJobTest : public StartUpTest, public ::testing::WithParamInterface<int> {};

TEST_P(SignalDuringJobTest, EndsTheProgramAndKeepsTheEarlierOutput) {
    const int signalNumber = GetParam();
    std::ofstream(path("encrypt.exe"), std::ios::binary) << "earlier";
    {  // Sparse: quick to make, a while to read.
        std::ofstream big(path("big.bin"), std::ios::binary);
        big.seekp((std::int64_t{1} << 30) - 1);
        big.put('x');
    }
    const QString tempDir = dir_.path();
    EXPECT_EXIT(runProgram(dir(),
                           [tempDir, signalNumber](MainWindow& window) {
                               QTest::mouseClick(window.binaryModeButton(), Qt::LeftButton);
                               select(window, "big.bin");
                               // Once the output is being written, the signal comes.
                               auto* watch = new QTimer(&window);
                               QObject::connect(watch, &QTimer::timeout, [tempDir, signalNumber] {
                                   const QStringList temporary = QDir(tempDir).entryList(
                                       {QStringLiteral(".*")}, QDir::Hidden | QDir::Files);
                                   if (!temporary.isEmpty()) ::raise(signalNumber);
                               });
                               watch->start(0);
                               QTest::mouseClick(window.encryptButton(), Qt::LeftButton);
                           }),
                ::testing::KilledBySignal(signalNumber), noBox());
    EXPECT_EQ(readAll(path("encrypt.exe")), "earlier");
    EXPECT_EQ(QDir(dir_.path()).entryList({QStringLiteral(".*")}, QDir::Hidden | QDir::Files),
              QStringList());
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalDuringJobTest, ::testing::Values(SIGINT, SIGTERM, SIGHUP));

// Start-up with a failure right before the event loop would start.
[[noreturn]] void startWithFailure() {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ottomix::setMessageHook(
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
    EXPECT_EXIT(startWithFailure(), ::testing::ExitedWithCode(0),
                "\\[box 3\\] Ottomix 98: Cannot create the window\\.");
}

// --- The command line ----------------------------------------------------

ottomix::CommandLine parse(std::vector<const char*> args) {
    args.insert(args.begin(), "ottomix");
    return ottomix::parseCommandLine(static_cast<int>(args.size()), args.data());
}

TEST(CommandLine, NoArgumentRunsWithoutAPath) {
    const ottomix::CommandLine line = parse({});
    EXPECT_EQ(line.action, ottomix::CommandLine::Action::Run);
    EXPECT_FALSE(line.path.has_value());
}

TEST(CommandLine, OnePathRunsWithIt) {
    for (const char* path : {"notes.txt", "/tmp", "-", "", "dir with blanks/x"}) {
        const ottomix::CommandLine line = parse({path});
        EXPECT_EQ(line.action, ottomix::CommandLine::Action::Run) << path;
        ASSERT_TRUE(line.path.has_value()) << path;
        EXPECT_EQ(*line.path, path);
    }
}

TEST(CommandLine, DoubleDashEndsTheOptions) {
    for (const char* path : {"-x", "--help", "--version", "--"}) {
        const ottomix::CommandLine line = parse({"--", path});
        EXPECT_EQ(line.action, ottomix::CommandLine::Action::Run) << path;
        ASSERT_TRUE(line.path.has_value()) << path;
        EXPECT_EQ(*line.path, path);
    }
    // A path before the "--" counts as well.
    const ottomix::CommandLine line = parse({"a.txt", "--"});
    EXPECT_EQ(line.action, ottomix::CommandLine::Action::Run);
    EXPECT_EQ(line.path.value_or(""), "a.txt");
}

TEST(CommandLine, HelpAndVersionWinWhereTheyStand) {
    EXPECT_EQ(parse({"--help"}).action, ottomix::CommandLine::Action::Help);
    EXPECT_EQ(parse({"--version"}).action, ottomix::CommandLine::Action::Version);
    EXPECT_EQ(parse({"a.txt", "--version"}).action, ottomix::CommandLine::Action::Version);
    EXPECT_EQ(parse({"--help", "--bogus"}).action, ottomix::CommandLine::Action::Help);
    // An error before them is reported first.
    const ottomix::CommandLine line = parse({"--bogus", "--help"});
    EXPECT_EQ(line.action, ottomix::CommandLine::Action::UsageError);
    EXPECT_THAT(line.error, ::testing::HasSubstr("--bogus"));
}

TEST(CommandLine, ToolkitOptionsGoToTheToolkit) {
    const ottomix::CommandLine line =
        parse({"-style", "fusion", "--platform=offscreen", "-reverse", "a.txt"});
    EXPECT_EQ(line.action, ottomix::CommandLine::Action::Run);
    EXPECT_EQ(line.path.value_or(""), "a.txt");
    EXPECT_EQ(line.toolkitArgs,
              (std::vector<std::string>{"-style", "fusion", "-platform", "offscreen", "-reverse"}));
    EXPECT_EQ(parse({"-h"}).action, ottomix::CommandLine::Action::Help);
    EXPECT_THAT(parse({"-style"}).error, ::testing::HasSubstr("-style needs a value"));
}

TEST(CommandLine, EncryptAndDecryptNeedTheFileAndExcludeEachOther) {
    using Job = ottomix::CommandLine::Job;
    EXPECT_EQ(parse({"--encrypt", "a.bin"}).job, Job::Encrypt);
    EXPECT_EQ(parse({"a.bin", "--decrypt", "--decrypt"}).job, Job::Decrypt);
    EXPECT_EQ(parse({"a.bin"}).job, Job::None);
    for (const auto& args : std::vector<std::vector<const char*>>{
             {"--encrypt"}, {"--decrypt", "--"}, {"--encrypt", "--decrypt", "a"}})
        EXPECT_EQ(parse(args).action, ottomix::CommandLine::Action::UsageError) << args[0];
}

TEST(CommandLine, OtherOptionsAndASecondPathAreUsageErrors) {
    for (const char* option : {"-x", "--bogus", "--help=1", "-reverse=1"}) {
        const ottomix::CommandLine line = parse({option, "a.txt"});
        EXPECT_EQ(line.action, ottomix::CommandLine::Action::UsageError) << option;
        EXPECT_THAT(line.error, ::testing::HasSubstr(option));
    }
    for (const auto& args : std::vector<std::vector<const char*>>{
             {"a.txt", "b.txt"}, {"--", "a.txt", "b.txt"}, {"a.txt", "--", "-b"}}) {
        const ottomix::CommandLine line = parse(args);
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

std::string readFd(int fd) {
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, n);
    ::close(fd);
    return text;
}

Ran runRealProgram(const std::vector<std::string>& args, const std::string& dir = "/") {
    std::vector<std::string> envStorage;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        if (entry.rfind("DISPLAY=", 0) == 0 || entry.rfind("WAYLAND_DISPLAY=", 0) == 0 ||
            entry.rfind("QT_QPA_PLATFORM=", 0) == 0)
            continue;
        envStorage.push_back(entry);
    }
    std::vector<char*> env;
    for (std::string& entry : envStorage) env.push_back(entry.data());
    env.push_back(nullptr);
    std::vector<std::string> argStorage = args;
    argStorage.insert(argStorage.begin(), OTTOMIX_PROGRAM);
    std::vector<char*> argv;
    for (std::string& arg : argStorage) argv.push_back(arg.data());
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
    ran.out = readFd(out[0]);
    ran.err = readFd(err[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ran.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return ran;
}

TEST(RealProgram, HelpPrintsTheUsageAndExitsZeroWithoutADisplay) {
    const Ran ran = runRealProgram({"--help"});
    EXPECT_EQ(ran.status, 0) << ran.err;
    EXPECT_THAT(ran.out,
                ::testing::StartsWith("Usage: ottomix [--help | --version] "
                                      "[--encrypt | --decrypt] [--] [FILE | DIRECTORY]\n"));
    EXPECT_THAT(ran.out, ::testing::HasSubstr("Binary Mode"));
    EXPECT_THAT(ran.out, ::testing::HasSubstr("--version"));
    EXPECT_EQ(ran.err, "");
}

TEST(RealProgram, VersionPrintsTheProjectVersionAndExitsZeroWithoutADisplay) {
    const Ran ran = runRealProgram({"--version"});
    EXPECT_EQ(ran.status, 0) << ran.err;
    EXPECT_EQ(ran.out, "ottomix " OTTOMIX_VERSION "\n");
    EXPECT_THAT(ran.out, ::testing::MatchesRegex("ottomix [0-9]+\\.[0-9]+(\\.[0-9]+)*\n"));
    EXPECT_EQ(ran.err, "");
}

TEST(RealProgram, UnknownOptionIsAUsageErrorWithStatusTwo) {
    for (const char* option : {"--bogus", "-x"}) {
        const Ran ran = runRealProgram({option, "offscreen"});
        EXPECT_EQ(ran.status, 2) << option;
        EXPECT_EQ(ran.out, "") << option;
        EXPECT_EQ(ran.err, std::string("ottomix: unknown option ") + option +
                               "\nTry 'ottomix --help' for more information.\n");
    }
}

TEST(RealProgram, WithoutADisplayItSaysSoInOneLine) {
    const Ran ran = runRealProgram({});
    EXPECT_EQ(ran.status, 1);
    EXPECT_EQ(ran.err,
              "ottomix: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are not "
              "set)\n");
}

TEST(RealProgram, TwoPathsAreAUsageErrorWithStatusTwo) {
    const Ran ran = runRealProgram({"/tmp", "/"});
    EXPECT_EQ(ran.status, 2);
    EXPECT_EQ(ran.out, "");
    EXPECT_THAT(ran.err, ::testing::StartsWith("ottomix: "));
    EXPECT_THAT(ran.err, ::testing::HasSubstr("/tmp"));
    EXPECT_THAT(ran.err, ::testing::HasSubstr("\nTry 'ottomix --help'"));
}

// --- The path the program opens with ---------------------------------------

// What the window shows once the event loop runs, on one line of standard
// error for the parent to check; then the window closes (status 0).
void printStateAndClose(MainWindow& window) {
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

std::string state(const std::string& mode, const std::string& dir, const std::string& selected,
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
        ASSERT_EQ(::mkdir(path("docs").c_str(), 0755), 0);
        std::ofstream(path("docs/notes.txt"), std::ios::binary) << "first\nsecond\n";
        std::ofstream(path("docs/LOUD.TXT"), std::ios::binary) << "LOUD\n";
        std::ofstream(path("docs/data.bin"), std::ios::binary) << std::string("\0\1\2", 3);
        std::ofstream(path("docs/README"), std::ios::binary) << "no extension\n";
    }
    // Runs the program with `args` in dir(), expecting status 0 and what
    // standard error should hold.
    void expect(const std::vector<std::string>& args,
                const ::testing::Matcher<const std::string&>& stderrMatcher) {
        EXPECT_EXIT(runProgramWith(dir(), args, printStateAndClose), ::testing::ExitedWithCode(0),
                    stderrMatcher);
    }
};

TEST_F(OpenAtStartTest, NoArgumentStartsInTheCurrentDirectoryInTextMode) {
    expect({}, ::testing::AllOf(noBox(), ::testing::HasSubstr(state("Text", dir(), "", ""))));
}

TEST_F(OpenAtStartTest, TextFileStartsInTextModeSelectedAndShownInTheViewer) {
    expect({path("docs/notes.txt")},
           ::testing::AllOf(
               noBox(), ::testing::HasSubstr(
                            state("Text", path("docs"), path("docs/notes.txt"), "first|second|"))));
    // The mask ignores case, as the list's does.
    expect({path("docs/LOUD.TXT")},
           ::testing::AllOf(noBox(), ::testing::HasSubstr(state("Text", path("docs"),
                                                                path("docs/LOUD.TXT"), "LOUD|"))));
}

TEST_F(OpenAtStartTest, OtherFileStartsInBinaryModeSelected) {
    for (const char* name : {"docs/data.bin", "docs/README"}) {
        expect({path(name)},
               ::testing::AllOf(
                   noBox(), ::testing::HasSubstr(state("Binary", path("docs"), path(name), ""))));
    }
}

TEST_F(OpenAtStartTest, EncryptOptionRunsTheJobOnTheFileOpened) {
    const auto closeWhenDone = [](MainWindow& window) {
        auto* poll = new QTimer(&window);
        QObject::connect(poll, &QTimer::timeout, [&window] {
            if (!window.isJobRunning()) window.close();
        });
        poll->start(20);
    };
    EXPECT_EXIT(runProgramWith(dir(), {"--encrypt", path("docs/data.bin")}, closeWhenDone),
                ::testing::ExitedWithCode(0), noBox());
    std::ifstream out(path("docs/encrypt.exe"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(out), {}), std::string("\1\2\3", 3));
}

TEST_F(OpenAtStartTest, RelativePathsCountFromTheStartDirectory) {
    expect({"docs/notes.txt"},
           ::testing::AllOf(
               noBox(), ::testing::HasSubstr(
                            state("Text", path("docs"), path("docs/notes.txt"), "first|second|"))));
    expect({"docs/../plain.txt"},
           ::testing::AllOf(noBox(),
                            ::testing::HasSubstr(state("Text", dir(), path("plain.txt"), "ABC|"))));
    expect({"docs"},
           ::testing::AllOf(noBox(), ::testing::HasSubstr(state("Text", path("docs"), "", ""))));
}

TEST_F(OpenAtStartTest, DirectoryStartsThereInTextModeWithNothingSelected) {
    expect({path("docs")},
           ::testing::AllOf(noBox(), ::testing::HasSubstr(state("Text", path("docs"), "", ""))));
    expect({path("docs") + "/"},
           ::testing::AllOf(noBox(), ::testing::HasSubstr(state("Text", path("docs"), "", ""))));
}

TEST_F(OpenAtStartTest, DoubleDashOpensAFileNamedLikeAnOption) {
    std::ofstream(path("-x"), std::ios::binary) << "dash";
    expect({"--", "-x"},
           ::testing::AllOf(noBox(), ::testing::HasSubstr(state("Binary", dir(), path("-x"), ""))));
}

TEST_F(OpenAtStartTest, MissingPathShowsTheErrorBoxThenTheWindowAsWithoutOne) {
    const std::string missing = path("nowhere/notes.txt");
    expect({missing},
           InOrder("[box 3] Ottomix 98: Cannot open " + missing + ": No such file or directory.\n",
                   state("Text", dir(), "", "")));
    expect({"gone.txt"},
           InOrder(std::string("[box 3] Ottomix 98: Cannot open gone.txt: No such file or "
                               "directory.\n"),
                   state("Text", dir(), "", "")));
}

TEST_F(OpenAtStartTest, PathThatCannotBeEnteredShowsTheReason) {
    const std::string throughFile = path("plain.txt") + "/inner";
    expect({throughFile},
           InOrder("[box 3] Ottomix 98: Cannot open " + throughFile + ": Not a directory.\n",
                   state("Text", dir(), "", "")));
}

TEST_F(OpenAtStartTest, WhatTheListNeverShowsIsReportedWithTheReason) {
    std::ofstream(path("docs/.hidden.txt"), std::ios::binary) << "hidden";
    expect({path("docs/.hidden.txt")},
           InOrder("[box 3] Ottomix 98: Cannot open " + path("docs/.hidden.txt") +
                       ": Hidden files are not listed.\n",
                   state("Text", dir(), "", "")));
    ASSERT_EQ(::mkfifo(path("docs/pipe.txt").c_str(), 0644), 0);
    expect({path("docs/pipe.txt")}, InOrder("[box 3] Ottomix 98: Cannot open " +
                                                path("docs/pipe.txt") + ": Not a regular file.\n",
                                            state("Text", dir(), "", "")));
}

}  // namespace
