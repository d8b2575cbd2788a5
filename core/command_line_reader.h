// The command-line conventions both programs share, as getopt_long has them:
// options may stand anywhere, "--" ends them, a value may be joined to its
// option ("--output=F", "-oF") or follow it ("-o F"), and what is wrong is
// said in one line with a pointer to --help.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace ottomix {

class CommandLineReader {
  public:
    struct Option {
        std::string_view name;  // the long name, without dashes
        char letter = 0;        // the short form, or 0
        bool takesValue = false;
        bool oneDash = false;  // also as -name (the toolkit's own options)
    };
    struct Item {
        enum class Kind { Option, Operand, End, Error };
        Kind kind = Kind::End;
        const Option* option = nullptr;  // for Option
        // Option: its value; Operand: the argument; Error: what is wrong.
        std::string text;
        bool afterOptions = false;  // Operand: it stood after "--"
    };

    // Reads argv[1] to argv[argc - 1] against `options`, which must outlive
    // the reader.
    CommandLineReader(int argc, const char* const* argv, std::span<const Option> options);

    // The next option or operand, then End; Error for an unknown option or
    // a missing or unwanted value.
    Item next();

  private:
    const Option* find(std::string_view name, bool oneDash) const;
    Item takeOption(const Option* option, std::string_view arg, std::string_view joined,
                    bool hasJoined);

    int argc_;
    const char* const* argv_;
    std::span<const Option> options_;
    int next_ = 1;
    bool optionsEnded_ = false;
};

// "program: what" and "Try 'program --help' for more information.", as
// two lines for standard error.
std::string usageErrorText(std::string_view program, std::string_view what);

}  // namespace ottomix
