// ottomix-cli: the window's cipher job for scripts and batch use.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "core/cipher_job.h"

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
    "  --text      text rules: CR bytes dropped, input ends at Ctrl-Z, LF\n"
    "              written as CR LF; key offsets 2, 3, 2, 3, ...\n"
    "  --binary    every byte shifted by 1; the output decrypts back exactly\n"
    "  -o OUTPUT   write OUTPUT instead of the fixed name\n"
    "  --help      show this text\n"
    "\n"
    "Exit status: 0 done, 1 the job failed, 2 usage error.\n";

int UsageError(const char* what) {
    std::fprintf(stderr, "ottomix-cli: %s\n\n%s", what, kUsage);
    return 2;
}

// A bar on standard error, redrawn only when its percentage changes.
class TerminalProgress : public JobProgress {
  public:
    void Reset() override {}
    void Started(const std::string&, std::int64_t total) override {
        total_ = total > 0 ? static_cast<std::uint64_t>(total) : 1;
        percent_ = -1;
        SetStepCounter(0, 0);
        Draw(0);
    }
    void Finished() override {
        Draw(100);
        std::fputc('\n', stderr);
    }
    void Failed(const std::string&) override {
        if (percent_ >= 0) std::fputc('\n', stderr);
    }

  protected:
    void StepReached() override {
        const std::uint64_t done = steps();
        const std::uint64_t percent = done * 100 / total_;
        Draw(static_cast<int>(percent));
        // The next step at which the shown percentage changes.
        const std::uint64_t next = (percent + 1) * total_;
        SetStepCounter(done, next / 100 + (next % 100 != 0));
    }

  private:
    void Draw(int percent) {
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

}  // namespace

int main(int argc, char** argv) {
    bool have_direction = false, have_mode = false;
    Direction direction = Direction::Encrypt;
    Mode mode = Mode::Text;
    std::string input, output;
    bool have_input = false;

    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            std::fflush(stdout);
            return 0;
        } else if (a == "encrypt" || a == "decrypt") {
            if (have_direction) return UsageError("give encrypt or decrypt once");
            have_direction = true;
            direction = a == "encrypt" ? Direction::Encrypt : Direction::Decrypt;
        } else if (a == "--text" || a == "--binary") {
            if (have_mode) return UsageError("give --text or --binary once");
            have_mode = true;
            mode = a == "--text" ? Mode::Text : Mode::Binary;
        } else if (a == "-o" || a == "--output") {
            if (i + 1 >= argc) return UsageError("-o needs a file name");
            output = argv[++i];
            if (output.empty()) return UsageError("the output name is empty");
        } else if (a == "--") {
            if (i + 1 < argc && !have_input) {
                input = argv[++i];
                have_input = true;
            }
        } else if (a.size() > 1 && a[0] == '-') {
            return UsageError(("unknown option " + std::string(a)).c_str());
        } else {
            if (have_input) return UsageError("give one input file");
            input = argv[i];
            have_input = true;
        }
    }
    if (!have_direction) return UsageError("say encrypt or decrypt");
    if (!have_mode) return UsageError("say --text or --binary");
    if (!have_input || input.empty()) return UsageError("name the input file");

    ottomix::NullProgress quiet;
    TerminalProgress bar;
    JobProgress& progress = ::isatty(STDERR_FILENO) ? static_cast<JobProgress&>(bar) : quiet;

    double file_size = 0.0;
    const ottomix::JobResult result =
        ottomix::RunCipherJob({direction, mode, input, output}, progress, file_size);
    if (!result.ok()) {
        std::fprintf(stderr, "ottomix-cli: %s\n", result.Describe().c_str());
        return 1;
    }
    if (mode == Mode::Text && direction == Direction::Encrypt && result.lossy()) {
        std::fprintf(stderr, "ottomix-cli: warning: Text Mode changed this file:\n");
        if (result.lone_cr_dropped > 0)
            std::fprintf(stderr,
                         "  %llu carriage-return bytes outside CR LF line ends were left out\n",
                         static_cast<unsigned long long>(result.lone_cr_dropped));
        if (result.bytes_after_mark > 0)
            std::fprintf(stderr,
                         "  %llu bytes from the end-of-file mark (Ctrl-Z) on were left out\n",
                         static_cast<unsigned long long>(result.bytes_after_mark));
        if (result.unsafe_values > 0)
            std::fprintf(stderr,
                         "  %llu encrypted bytes will not decrypt back; the decrypted text "
                         "differs from byte %lld on\n",
                         static_cast<unsigned long long>(result.unsafe_values),
                         static_cast<long long>(result.first_unsafe_offset + 1));
        std::fprintf(stderr, "  Binary Mode keeps every byte.\n");
    }
    return 0;
}
