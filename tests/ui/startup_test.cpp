// The whole program from start-up to its end, each run in a child process:
// exit statuses, pending stream bytes at Exit, the standard-output lines of a
// text-mode Decrypt, and an exception during start-up.
#include "ui/startup.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "core/byte_stream.h"
#include "ui/application.h"
#include "ui/browser/file_list.h"
#include "ui/glyph_button.h"
#include "ui/main_window.h"

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

// Runs the program in the child; `script` drives it once the event loop runs.
[[noreturn]] void RunProgram(const std::string& dir, std::function<void(MainWindow&)> script) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (::chdir(dir.c_str()) != 0) std::_Exit(99);
    // What a box would have said goes to standard error for the parent to see.
    ottomix::setMessageBoxHook([](QMessageBox::Icon, const QString& caption, const QString& text) {
        std::fprintf(stderr, "[box] %s: %s\n", qPrintable(caption), qPrintable(text));
    });
    static char name[] = "ottomix";
    static char* argv[] = {name, nullptr};
    int argc = 1;
    std::exit(ottomix::runOttomix(argc, argv, [script](MainWindow& window) {
        QTimer::singleShot(0, &window, [&window, script] { script(window); });
    }));
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
                               window.close();
                           }),
                ::testing::ExitedWithCode(0), NoBox());
    EXPECT_EQ(ReadAll(Path("encrypt.txt")), std::string("\x3f\x3f\x41\x07", 4));
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
        big.seekp((64 << 20) - 1);
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
                               std::fprintf(stderr, "still running\n");
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

}  // namespace
