#include "core/command_line_reader.h"

namespace ottomix {

CommandLineReader::CommandLineReader(int argc, const char* const* argv,
                                     std::span<const Option> options)
    : argc_(argc), argv_(argv), options_(options) {}

const CommandLineReader::Option* CommandLineReader::find(std::string_view name,
                                                         bool oneDash) const {
    for (const Option& option : options_)
        if (option.name == name && (!oneDash || option.oneDash)) return &option;
    return nullptr;
}

CommandLineReader::Item CommandLineReader::takeOption(const Option* option, std::string_view arg,
                                                      std::string_view joined, bool hasJoined) {
    Item item;
    item.kind = Item::Kind::Option;
    item.option = option;
    if (!option->takesValue) {
        if (!hasJoined) return item;
        item.kind = Item::Kind::Error;
        item.text = "option ";
        item.text.append(arg).append(" takes no value");
        return item;
    }
    if (hasJoined) {
        item.text = joined;
    } else if (next_ < argc_) {
        item.text = argv_[next_++];
    } else {
        item.kind = Item::Kind::Error;
        item.text = "option ";
        item.text.append(arg).append(" needs a value");
    }
    return item;
}

CommandLineReader::Item CommandLineReader::next() {
    while (next_ < argc_) {
        const std::string_view arg = argv_[next_++];
        if (!optionsEnded_ && arg == "--") {
            optionsEnded_ = true;
            continue;
        }
        if (optionsEnded_ || arg.size() < 2 || arg[0] != '-') {
            Item item;
            item.kind = Item::Kind::Operand;
            item.text = arg;
            item.afterOptions = optionsEnded_;
            return item;
        }
        // --name, --name=value, -name, -name=value (where allowed)
        const bool twoDashes = arg[1] == '-';
        const std::string_view body = arg.substr(twoDashes ? 2 : 1);
        const auto equals = body.find('=');
        const std::string_view name = body.substr(0, equals);
        if (const Option* option = find(name, !twoDashes)) {
            const bool joined = equals != std::string_view::npos;
            return takeOption(option, arg, joined ? body.substr(equals + 1) : "", joined);
        }
        // -x, -xVALUE
        if (!twoDashes) {
            for (const Option& option : options_) {
                if (option.letter == 0 || option.letter != arg[1]) continue;
                if (arg.size() == 2) return takeOption(&option, arg, "", false);
                if (option.takesValue) return takeOption(&option, arg, arg.substr(2), true);
            }
        }
        Item item;
        item.kind = Item::Kind::Error;
        item.text = "unknown option ";
        item.text.append(arg);
        return item;
    }
    return {};
}

std::string usageErrorText(std::string_view program, std::string_view what) {
    std::string text(program);
    text.append(": ").append(what).append("\nTry '").append(program);
    text.append(" --help' for more information.\n");
    return text;
}

}  // namespace ottomix
