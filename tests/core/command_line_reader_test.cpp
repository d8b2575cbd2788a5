#include "core/command_line_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ottomix {
namespace {

constexpr CommandLineReader::Option kOptions[] = {
    {"help", 'h'}, {"output", 'o', true}, {"style", 0, true, true}, {"reverse", 0, false, true}};

// What the reader makes of `args`, one word an item: "o:NAME=VALUE",
// "p:OPERAND" ("P:" after "--"), "error:WHAT".
std::string read(std::vector<const char*> args) {
    args.insert(args.begin(), "program");
    CommandLineReader reader(static_cast<int>(args.size()), args.data(), kOptions);
    std::string seen;
    using Kind = CommandLineReader::Item::Kind;
    for (auto item = reader.next(); item.kind != Kind::End; item = reader.next()) {
        if (!seen.empty()) seen += ' ';
        if (item.kind == Kind::Error) return seen + "error:" + item.text;
        if (item.kind == Kind::Operand) seen += (item.afterOptions ? "P:" : "p:") + item.text;
        if (item.kind == Kind::Option)
            seen += "o:" + std::string(item.option->name) + "=" + item.text;
    }
    return seen;
}

TEST(CommandLineReader, ReadsAsGetoptLongDoes) {
    const struct {
        std::vector<const char*> args;
        std::string read;
    } rows[] = {
        {{"in", "-o", "out", "x"}, "p:in o:output=out p:x"},
        {{"--output=out", "-oout", "--output", "out"}, "o:output=out o:output=out o:output=out"},
        {{"-h", "--help", "-", ""}, "o:help= o:help= p:- p:"},
        {{"--", "-h", "--", "in"}, "P:-h P:-- P:in"},
        {{"-style", "fusion", "--style=x", "-reverse"}, "o:style=fusion o:style=x o:reverse="},
        {{"-output", "x"}, "o:output=utput p:x"},  // -o with its value joined, as getopt has it
        {{"-hx"}, "error:unknown option -hx"},
        {{"--help=1"}, "error:option --help=1 takes no value"},
        {{"in", "-o"}, "p:in error:option -o needs a value"},
        {{"--bogus", "-h"}, "error:unknown option --bogus"},
    };
    for (const auto& row : rows) EXPECT_EQ(read(row.args), row.read) << row.read;
    EXPECT_EQ(usageErrorText("prog", "say more"),
              "prog: say more\nTry 'prog --help' for more information.\n");
}

}  // namespace
}  // namespace ottomix
