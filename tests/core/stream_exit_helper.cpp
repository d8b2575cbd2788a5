// Leaves streams open with pending bytes and ends the way argv[1] says:
// "exit" (exit(1)), "return" (return 0 from main) or "_exit" (no exit path);
// "early" is "return" with the exit routine registered before any stream
// was opened. Run in a scratch directory; writes text.out, bin.out and
// standard output.
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "core/byte_stream.h"

namespace {

ottomix::ByteWriter* gText = nullptr;

// An exit routine registered after the streams were opened: it must run
// before their pending bytes are flushed, so its bytes land in the file too.
void writeLate() {
    gText->writeText("late\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string how = argv[1];
    if (how == "early") std::atexit(writeLate);
    gText = ottomix::ByteWriter::open("text.out", "w");
    ottomix::ByteWriter* bin = ottomix::ByteWriter::open("bin.out", "wb");
    // A reader left open too: flushing it must do nothing.
    ottomix::ByteReader* reader = ottomix::ByteReader::open("text.out", "r");
    if (gText == nullptr || bin == nullptr || reader == nullptr) return 3;
    if (how != "early") std::atexit(writeLate);

    for (int i = 0; i < 600; ++i) gText->writeByte(i % 10 == 9 ? '\n' : 'a' + i % 10);
    for (int i = 0; i < 700; ++i) bin->writeByte(i);
    ottomix::stdOut().writeText(std::string(599, 's') + "\n");

    if (how == "exit") std::exit(1);
    if (how == "_exit") ::_exit(4);
    return 0;
}
