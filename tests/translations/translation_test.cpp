// The program's languages: the whole program under a German, an English and
// an untranslated locale, each run in a child process, and the translation of
// the core's English messages.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QGroupBox>
#include <QMenu>
#include <QRadioButton>
#include <QTranslator>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "core/error_text.h"
#include "ui/glyph_button.h"
#include "ui/main_window.h"
#include "ui/message_text.h"
#include "ui/startup.h"
#include "ui/translations.h"
#include "widgets/window_look/user_message.h"

namespace ottomix {
namespace {

constexpr char kMissing[] = "/nonexistent-ottomix/missing.txt";

// Runs the program with kMissing to open under `env`; the child reports the
// texts it shows, one per line, on a pipe.
std::string textsUnder(const std::vector<std::pair<const char*, const char*>>& env) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return "no pipe";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        static FILE* out = ::fdopen(pipeFds[1], "w");
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) ::unsetenv(name);
        for (const auto& [name, value] : env) ::setenv(name, value, 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setMessageHook([](QMessageBox::Icon, const QString& caption, const QString& text) {
            std::fprintf(out, "box=%s|%s\n", qPrintable(caption), qPrintable(text));
        });
        static char name[] = "ottomix";
        static char path[sizeof kMissing];
        std::copy(std::begin(kMissing), std::end(kMissing), path);
        static char* argv[] = {name, path, nullptr};
        int argc = 2;
        runOttomix(argc, argv, [](MainWindow& window) {
            const auto say = [](const char* key, const QString& text) {
                std::fprintf(out, "%s=%s\n", key, qPrintable(text));
            };
            say("encrypt", window.encryptButton()->text());
            say("mode", window.modeGroup()->title());
            say("binary", window.binaryModeButton()->text());
            say("system", window.systemMenu()->title());
            say("quit", window.systemMenu()->actions().value(0)->text());
            // Qt's own texts, as in a text field's context menu.
            say("qt", QCoreApplication::translate("QLineEdit", "&Undo"));
            QMetaObject::invokeMethod(&window, &QWidget::close, Qt::QueuedConnection);
        });
        std::fflush(out);
        std::_Exit(0);
    }
    ::close(pipeFds[1]);
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) text.append(buffer, n);
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return text;
}

struct LocaleRow {
    const char* name;
    std::vector<std::pair<const char*, const char*>> env;
    const char* expected;
};

void PrintTo(const LocaleRow& row, std::ostream* os) {
    *os << row.name;
}

class ProgramLanguage : public ::testing::TestWithParam<LocaleRow> {};

TEST_P(ProgramLanguage, ShowsEveryTextInOneLanguage) {
    EXPECT_EQ(textsUnder(GetParam().env), GetParam().expected);
}

// The window's texts, then the box that reports the path.
constexpr char kGerman[] =
    "encrypt=Verschlüsseln\nmode=Modus\nbinary=Binärmodus\nsystem=System\n"
    "quit=&Beenden\nqt=&Rückgängig\n"
    "box=Ottomix 98|/nonexistent-ottomix/missing.txt kann nicht geöffnet werden: "
    "Datei oder Verzeichnis nicht gefunden.\n";

constexpr char kEnglish[] =
    "encrypt=Encrypt\nmode=Mode\nbinary=Binary Mode\nsystem=System\nquit=&Quit\nqt=&Undo\n"
    "box=Ottomix 98|Cannot open /nonexistent-ottomix/missing.txt: No such file or directory.\n";

INSTANTIATE_TEST_SUITE_P(
    Locales, ProgramLanguage,
    ::testing::Values(LocaleRow{"German", {{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", "de"}}, kGerman},
                      LocaleRow{"AustrianWithoutLanguageList", {{"LANG", "de_AT.UTF-8"}}, kGerman},
                      LocaleRow{"C", {{"LANG", "C"}}, kEnglish},
                      LocaleRow{"English", {{"LANG", "en_GB.UTF-8"}}, kEnglish},
                      // No translation of the program's: Qt's French must not show either.
                      LocaleRow{
                          "Untranslated", {{"LANG", "fr_FR.UTF-8"}, {"LANGUAGE", "fr"}}, kEnglish}),
    [](const ::testing::TestParamInfo<LocaleRow>& info) { return std::string(info.param.name); });

// The German translation installed in an application of its own.
class GermanText : public ::testing::Test {
  protected:
    void SetUp() override {
        const Translations resources;  // links the translations in
        (void)resources;
        ASSERT_TRUE(german_.load(QStringLiteral(":/ottomix/translations/ottomix_de.qm")));
        QCoreApplication::installTranslator(&german_);
    }
    int argc_ = 1;
    char name_[8] = "ottomix";
    char* argv_[2] = {name_, nullptr};
    QCoreApplication app_{argc_, argv_};
    QTranslator german_;
};

TEST_F(GermanText, CoreMessagesAreTranslatedWholeWithTheirReasons) {
    const std::pair<std::string, QString> rows[] = {
        {"Encryption Failed", QStringLiteral("Verschlüsseln misslungen")},
        // A name holding ": " is not taken for the reason's place.
        {"Cannot open file /tmp/a: b: No such file or directory",
         QStringLiteral("Datei /tmp/a: b kann nicht geöffnet werden: Datei oder Verzeichnis nicht "
                        "gefunden")},
        {"Cannot write file /x/encrypt.txt: No space left on device",
         QStringLiteral("Datei /x/encrypt.txt kann nicht geschrieben werden: Auf dem Gerät ist "
                        "kein Speicherplatz mehr frei")},
        {"File /x changed while it was being read",
         QStringLiteral("Datei /x wurde während des Lesens verändert")},
        {"Cannot use file /a as input: it is this job's own output file /b",
         QStringLiteral(
             "Datei /a kann nicht als Eingabe dienen: sie ist die Ausgabedatei /b dieses "
             "Auftrags")},
        {"Cannot read file /caf\xe9", QStringLiteral("Datei /caf\\xe9 kann nicht gelesen werden")},
        {"unknown option --x", QStringLiteral("unbekannte Option --x")},
        // A text of no known form stays as it is, never half-translated.
        {"Cannot open file ", QStringLiteral("Cannot open file ")},
        {"Something else: Permission denied", QStringLiteral("Something else: Permission denied")},
    };
    for (const auto& [english, german] : rows) EXPECT_EQ(coreText(english), german) << english;
}

TEST_F(GermanText, EveryKnownSystemReasonIsTheSystemsEnglishAndTranslated) {
    for (const KnownSystemError& known : knownSystemErrors()) {
        EXPECT_EQ(errorText(known.error), known.english);
        EXPECT_NE(systemErrorText(known.error), QString::fromLatin1(known.english))
            << known.english;
    }
}

TEST_F(GermanText, FilledInNamesKeepTheirBytes) {
    EXPECT_EQ(fillIn(QStringLiteral("%2 und %1: %3"), {"/a\xff", "b"}), "b und /a\xff: %3");
}

}  // namespace
}  // namespace ottomix
