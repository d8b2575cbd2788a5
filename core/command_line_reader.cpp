#include "core/command_line_reader.h"

namespace ottomix {

CommandLineReader::CommandLineReader(int argc, const char* const* argv,
                                     std::span<const Option> options)
    : argc_(argc), argv_(argv), options_(options) {}

const CommandLineReader::Option* CommandLineReader::Find(std::string_view name,
                                                         bool one_dash) const {
    for (const Option& option : options_)
        if (option.name == name && (!one_dash || option.one_dash)) return &option;
    return nullptr;
}

CommandLineReader::Item CommandLineReader::TakeOption(const Option* option, std::string_view arg,
                                                      std::string_view joined, bool has_joined) {
    Item item;
    item.kind = Item::Kind::Option;
    item.option = option;
    if (!option->takes_value) {
        if (!has_joined) return item;
        item.kind = Item::Kind::Error;
        item.text = "option ";
        item.text.append(arg).append(" takes no value");
        return item;
    }
    if (has_joined) {
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

CommandLineReader::Item CommandLineReader::Next() {
    while (next_ < argc_) {
        const std::string_view arg = argv_[next_++];
        if (!options_ended_ && arg == "--") {
            options_ended_ = true;
            continue;
        }
        if (options_ended_ || arg.size() < 2 || arg[0] != '-') {
            Item item;
            item.kind = Item::Kind::Operand;
            item.text = arg;
            item.after_options = options_ended_;
            return item;
        }
        // --name, --name=value, -name, -name=value (where allowed)
        const bool two_dashes = arg[1] == '-';
        const std::string_view body = arg.substr(two_dashes ? 2 : 1);
        const auto equals = body.find('=');
        const std::string_view name = body.substr(0, equals);
        if (const Option* option = Find(name, !two_dashes)) {
            const bool joined = equals != std::string_view::npos;
            return TakeOption(option, arg, joined ? body.substr(equals + 1) : "", joined);
        }
        // -x, -xVALUE
        if (!two_dashes) {
            for (const Option& option : options_) {
                if (option.letter == 0 || option.letter != arg[1]) continue;
                if (arg.size() == 2) return TakeOption(&option, arg, "", false);
                if (option.takes_value) return TakeOption(&option, arg, arg.substr(2), true);
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

std::string UsageErrorText(std::string_view program, std::string_view what) {
    std::string text(program);
    text.append(": ").append(what).append("\nTry '").append(program);
    text.append(" --help' for more information.\n");
    return text;
}

}  // namespace ottomix
