// ottomix-cli: the window's cipher job for scripts and batch use.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "core/byte_stream.h"
#include "core/cipher_job.h"
#include "core/command_line_reader.h"
#include "core/job_stopper.h"

namespace {

using ottomix::Direction;
using ottomix::JobProgress;
using ottomix::Mode;

constexpr const char* kUsage =
    "Usage: ottomix-cli encrypt|decrypt --text|--binary INPUT [-o OUTPUT]\n"
    "\n"
    "Scrambles or unscrambles INPUT exactly as the Ottomix window does.\n"
    "Without -o the output is written into the current directory under the\n"
    "fixed name: encrypt.txt / dencrypt.txt (--text), encrypt.exe /\n"
    "decrypt.exe (--binary).\n"
    "\n"
    "  INPUT       the file to read; - reads standard input (a pipe too)\n"
    "  --text      text rules: CR bytes dropped, input ends at Ctrl-Z, LF\n"
    "              written as CR LF; key offsets 2, 3, 2, 3, ...\n"
    "  --binary    every byte shifted by 1; the output decrypts back exactly\n"
    "  -o OUTPUT, --output=OUTPUT\n"
    "              write OUTPUT instead of the fixed name; - (or /dev/stdout,\n"
    "              /dev/stderr, /proc/self/fd/N) writes into that stream as it\n"
    "              is: a pipe gets the bytes, a log opened with >> is appended to\n"
    "  --          end of options: what follows is the input file\n"
    "  --help      show this text\n"
    "  --version   show the version\n"
    "\n"
    "Examples:\n"
    "  ottomix-cli encrypt --binary disk.img -o - | gzip >disk.gz\n"
    "  ottomix-cli decrypt --text notes.txt -o - >>journal.txt\n"
    "  xz -dc notes.bin.xz | ottomix-cli decrypt --binary - -o notes.bin\n"
    "\n"
    "An earlier output is replaced only by a complete new one: a job that\n"
    "fails or is interrupted leaves it as it was.\n"
    "\n"
    "Exit status: 0 done, 1 the job failed, 2 usage error. A job ended by\n"
    "SIGINT, SIGTERM or SIGHUP cleans up and then dies by that signal.\n";

int usageError(const char* what) {
    std::fputs(ottomix::usageErrorText("ottomix-cli", what).c_str(), stderr);
    return 2;
}

// A direction or mode given when `first` was given already.
int repeated(const std::string& given, const std::string& first) {
    return usageError(
        (given == first ? given + " given twice" : given + " conflicts with " + first).c_str());
}

// A bar on standard error, redrawn only when its percentage changes.
class TerminalProgress : public JobProgress {
  public:
    void reset() override {}
    void started(const std::string&, std::int64_t total) override {
        total_ = total > 0 ? static_cast<std::uint64_t>(total) : 1;
        percent_ = -1;
        draw(0);
    }
    void progressed(std::uint64_t done) override {
        draw(static_cast<int>(std::min(done, total_) * 100 / total_));
    }
    void finished() override {
        draw(100);
        std::fputc('\n', stderr);
    }
    void failed(const std::string&, const std::string&) override { endLine(); }
    void cancelled(const std::string&) override { endLine(); }

  private:
    void endLine() {
        if (percent_ >= 0) std::fputc('\n', stderr);
        percent_ = -1;
    }
    void draw(int percent) {
        if (percent == percent_) return;
        percent_ = percent;
        char bar[41];
        const int filled = percent * 40 / 100;
        for (int i = 0; i < 40; ++i) bar[i] = i < filled ? '#' : '.';
        bar[40] = '\0';
        std::fprintf(stderr, "\r[%s] %3d%%", bar, percent);
        std::fflush(stderr);
    }

    std::uint64_t total_ = 1;
    int percent_ = -1;
};

// The descriptor an output name stands for, when it names one of this
// process's open files ("-", /dev/stdout, /dev/stderr, /dev/fd/N,
// /proc/self/fd/N); -1 for an ordinary name.
int descriptorNamed(const std::string& name) {
    if (name == "-" || name == "/dev/stdout") return STDOUT_FILENO;
    if (name == "/dev/stderr") return STDERR_FILENO;
    for (const std::string_view prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        if (name.rfind(prefix, 0) != 0 || name.size() == prefix.size()) continue;
        int fd = 0;
        for (std::size_t i = prefix.size(); i < name.size(); ++i) {
            if (name[i] < '0' || name[i] > '9' || fd > 100000) return -1;
            fd = fd * 10 + (name[i] - '0');
        }
        return fd;
    }
    return -1;
}

// Copies standard input once into an anonymous file, so that both passes
// of the job read the same bytes; returns the file's name under
// /proc/self/fd, or an empty name with errno set. A stop signal ends the copy.
std::string copyStandardInput(const ottomix::StopFlag& stop) {
    const char* tmp = std::getenv("TMPDIR");
    const int fd = ::open(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp", O_TMPFILE | O_RDWR, 0600);
    if (fd < 0) return {};
    static char buf[64 * 1024];
    while (stop.load() == 0) {
        const ssize_t got = ::read(STDIN_FILENO, buf, sizeof buf);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            return {};
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(fd, buf + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return {};
            done += put;
        }
    }
    return "/proc/self/fd/" + std::to_string(fd);
}

// "byte 6": a position in the input file as cmp counts, from 1.
std::string position(std::int64_t offset) {
    return "byte " + std::to_string(offset + 1);
}

void warnAboutTextMode(const ottomix::JobResult& result) {
    std::fprintf(stderr, "ottomix-cli: warning: Text Mode changed this file:\n");
    if (result.loneCrDropped > 0)
        std::fprintf(stderr,
                     "  %llu carriage-return bytes outside CR LF line ends were left out, the "
                     "first at %s\n",
                     static_cast<unsigned long long>(result.loneCrDropped),
                     position(result.firstLoneCrPosition).c_str());
    if (result.bytesAfterMark > 0)
        std::fprintf(stderr,
                     "  %llu bytes from the end-of-file mark (Ctrl-Z) at %s on were left out\n",
                     static_cast<unsigned long long>(result.bytesAfterMark),
                     position(result.markPosition).c_str());
    if (result.unsafeValues > 0)
        std::fprintf(stderr,
                     "  %llu encrypted bytes will not decrypt back; the decrypted text "
                     "differs from %s on\n",
                     static_cast<unsigned long long>(result.unsafeValues),
                     position(result.firstUnsafePosition).c_str());
    std::fprintf(stderr, "  Binary Mode keeps every byte.\n");
}

}  // namespace

int main(int argc, char** argv) {
    bool haveDirection = false, haveMode = false, haveOutput = false;
    Direction direction = Direction::Encrypt;
    Mode mode = Mode::Text;
    std::string input, output;
    bool haveInput = false;

    static constexpr ottomix::CommandLineReader::Option kOptions[] = {
        {"help", 'h'}, {"version"}, {"text"}, {"binary"}, {"output", 'o', true}};
    ottomix::CommandLineReader reader(argc, argv, kOptions);
    using Kind = ottomix::CommandLineReader::Item::Kind;
    for (auto item = reader.next(); item.kind != Kind::End; item = reader.next()) {
        if (item.kind == Kind::Error) return usageError(item.text.c_str());
        const std::string& a = item.text;
        if (item.kind == Kind::Operand) {
            // After "--" every word is a file name, also "encrypt".
            const bool directionWord = !item.afterOptions && (a == "encrypt" || a == "decrypt");
            if (directionWord) {
                if (haveDirection)
                    return repeated(a, direction == Direction::Encrypt ? "encrypt" : "decrypt");
                haveDirection = true;
                direction = a == "encrypt" ? Direction::Encrypt : Direction::Decrypt;
                continue;
            }
            if (haveInput) return usageError("give one input file");
            input = a;
            haveInput = true;
            continue;
        }
        const std::string_view name = item.option->name;
        if (name == "help") {
            std::fputs(kUsage, stdout);
            std::fflush(stdout);
            return 0;
        }
        if (name == "version") {
            std::printf("ottomix-cli %s\n", OTTOMIX_VERSION);
            std::fflush(stdout);
            return 0;
        }
        if (name == "text" || name == "binary") {
            if (haveMode)
                return repeated("--" + std::string(name),
                                mode == Mode::Text ? "--text" : "--binary");
            haveMode = true;
            mode = name == "text" ? Mode::Text : Mode::Binary;
            continue;
        }
        // -o FILE, -oFILE, --output FILE, --output=FILE
        if (haveOutput) return usageError("-o given twice");
        output = a;
        haveOutput = true;
        if (output.empty()) return usageError("the output name is empty");
    }
    if (!haveDirection) return usageError("say encrypt or decrypt");
    if (!haveMode) return usageError("say --text or --binary");
    if (!haveInput || input.empty()) return usageError("name the input file");

    ottomix::NullProgress quiet;
    TerminalProgress bar;
    JobProgress& progress = ::isatty(STDERR_FILENO) ? static_cast<JobProgress&>(bar) : quiet;

    const ottomix::JobStopper stopper;
    std::string inputName;
    if (input == "-") {
        inputName = "standard input";
        input = copyStandardInput(*stopper.flag());
        if (input.empty()) {
            std::fprintf(stderr, "ottomix-cli: cannot read standard input: %s\n",
                         std::strerror(errno));
            return 1;
        }
    }
    ottomix::JobRequest request{direction, mode, input, output};
    request.inputName = inputName;
    request.stop = stopper.flag();
    // Standard output and its kin are written as they are: a log opened
    // for appending is appended to, a pipe is written into.
    request.outputFd = descriptorNamed(output);
    if (output == "-") request.output = "standard output";
    std::int64_t progressTotal = 0;
    const ottomix::JobResult result = ottomix::runCipherJob(request, progress, progressTotal);
    if (result.status == ottomix::JobStatus::Stopped) {
        const std::string shown =
            request.output.empty() ? ottomix::outputName(direction, mode) : request.output;
        if (result.streamed) {
            std::fprintf(stderr, "ottomix-cli: interrupted, %s got only part of the output\n",
                         shown.c_str());
        } else {
            std::fprintf(stderr, "ottomix-cli: interrupted, %s left unchanged\n", shown.c_str());
        }
    }
    // Cleaned up: a loop of jobs in a shell stops too.
    ottomix::JobStopper::endIfSignalled(stopper.flag()->load());
    if (result.status == ottomix::JobStatus::Stopped) return 128 + result.stoppedBy;
    if (!result.ok()) {
        std::fprintf(stderr, "ottomix-cli: %s\n", result.describe().c_str());
        return 1;
    }
    if (mode == Mode::Text && direction == Direction::Encrypt && result.lossy())
        warnAboutTextMode(result);
    // The Decrypt lines must reach standard output too, or the job failed.
    if (!ottomix::stdOut().flush()) {
        std::fprintf(stderr, "ottomix-cli: cannot write to standard output: %s\n",
                     std::strerror(ottomix::stdOut().errorCode()));
        return 1;
    }
    return 0;
}
