#include "core/byte_stream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <random>

#include "tests/core/rules_model.h"
#include "tests/core/test_support.h"

namespace ottomix {
namespace {

using test::Bytes;
using test::toBytes;
using test::writeFile;

constexpr std::size_t kB = kStreamBufferSize;

// Reads to the end, with readByte() and, when `rng` is given, readBlock() in
// a random mix, so blocks also start part way into a buffer.
Bytes drain(ByteReader* r, std::mt19937* rng = nullptr) {
    Bytes out;
    for (;;) {
        if (rng != nullptr && (*rng)() % 3 != 0) {
            const auto block = r->readBlock();
            if (block.empty()) return out;
            out.insert(out.end(), block.begin(), block.end());
            continue;
        }
        const int b = r->readByte();
        if (b < 0) return out;
        EXPECT_LE(b, 255);
        out.push_back(static_cast<std::uint8_t>(b));
    }
}

Bytes readThrough(const std::string& name, const char* mode, std::mt19937* rng = nullptr) {
    ByteReader* r = ByteReader::open(name, mode);
    EXPECT_NE(r, nullptr) << name << " " << mode;
    if (r == nullptr) return {};
    Bytes out = drain(r, rng);
    EXPECT_EQ(r->readByte(), -1) << "end of stream must stay";
    EXPECT_FALSE(r->failed());
    EXPECT_EQ(ByteReader::close(r), 0);
    return out;
}

// Writes with writeByte() and, when `rng` is given, runs through
// room()/commit() in a random mix.
Bytes writeThrough(const std::vector<int>& values, const char* mode, std::mt19937* rng = nullptr) {
    ByteWriter* w = ByteWriter::open("out", mode);
    EXPECT_NE(w, nullptr);
    if (w == nullptr) return {};
    for (std::size_t i = 0; i < values.size();) {
        if (rng != nullptr && (*rng)() % 2 == 0) {
            const auto room = w->room();
            const std::size_t n = std::min(room.size(), values.size() - i);
            for (std::size_t k = 0; k < n; ++k) room[k] = static_cast<std::uint8_t>(values[i + k]);
            w->commit(n);
            i += n;
            continue;
        }
        EXPECT_EQ(w->writeByte(values[i]), ((values[i] % 256) + 256) % 256) << values[i];
        ++i;
    }
    EXPECT_EQ(ByteWriter::close(w), 0);
    return test::readFile("out");
}

long sizeOf(const std::string& name) {
    struct stat st {};
    return ::stat(name.c_str(), &st) == 0 ? static_cast<long>(st.st_size) : -1;
}

TEST(ByteReader, TextModeDropsEveryCrAndEndsAtTheFirstCtrlZ) {
    test::TempDir dir;
    const struct {
        std::string raw, text;
    } cases[] = {
        {"A\r\nB", "A\nB"},
        {"A\rB", "AB"},
        {"\r\r\n", "\n"},
        {"last line\r\n", "last line\n"},
        {"tail\r", "tail"},
        {std::string(1000, '\r'), ""},
        {"AB\x1a"
         "CD",
         "AB"},
        {"\x1a" + std::string(5000, 'x'), ""},
        {"x\x1a\x1a\ry", "x"},
        {std::string("\0\xff\x7f\n", 4), std::string("\0\xff\x7f\n", 4)},
    };
    for (const auto& c : cases) {
        writeFile("in", toBytes(c.raw));
        EXPECT_EQ(readThrough("in", "r"), toBytes(c.text)) << "raw: " << c.raw;
        EXPECT_EQ(readThrough("in", "rt"), toBytes(c.text));
        EXPECT_EQ(readThrough("in", "rb"), toBytes(c.raw)) << "binary reads every byte";
    }
}

TEST(ByteReader, TextRulesHoldAcrossChunkBoundaries) {
    test::TempDir dir;
    // CR LF split between the last byte of one buffer and the first of the next.
    writeFile("in", toBytes(std::string(kB - 1, 'a') + "\r\nb"));
    EXPECT_EQ(readThrough("in", "r"), toBytes(std::string(kB - 1, 'a') + "\nb"));
    // Whole chunks of CR are skipped, not taken as the end.
    writeFile("in", toBytes(std::string(2 * kB, '\r') + "z\r"));
    EXPECT_EQ(readThrough("in", "r"), toBytes("z"));
    // Ctrl-Z in the second chunk, and at the very start of one.
    for (const std::size_t at : {kB + 188, kB, 2 * kB}) {
        std::string raw(at, 'c');
        raw[100] = '\r';
        raw +=
            "\x1a"
            "after\r\n";
        writeFile("in", toBytes(raw));
        ByteReader* r = ByteReader::open("in", "r");
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(drain(r), toBytes(std::string(at - 1, 'c')));
        EXPECT_EQ(r->markOffset(), static_cast<std::int64_t>(at));
        EXPECT_EQ(r->crDropped(), 1u);
        EXPECT_EQ(ByteReader::close(r), 0);
    }
}

TEST(ByteReader, OnlyCrsOutsideCrLfPairsCountAsLost) {
    test::TempDir dir;
    struct Case {
        std::string raw;
        std::uint64_t dropped, lone;
    };
    const Case cases[] = {
        {"a\r\nb\r\n", 2, 0},                           // DOS line ends come back as CR LF
        {"a\rb\r\r\nc\r", 4, 3},                        // lone, doubled and final CRs
        {std::string(kB - 1, 'a') + "\r\nb", 1, 0},     // pair split between chunks
        {std::string(kB - 1, 'a') + "\rb", 1, 1},       // lone CR ending a chunk
        {std::string(kB - 1, 'a') + "\r\x1a\n", 1, 1},  // CR before the mark
        {std::string(2 * kB - 1, 'a') + "\r", 1, 1},    // CR ending the file
        {std::string(kB, '\r') + "\n", kB, kB - 1},     // a chunk of CRs, then LF
    };
    for (const Case& c : cases) {
        writeFile("in", toBytes(c.raw));
        ByteReader* r = ByteReader::open("in", "r");
        ASSERT_NE(r, nullptr);
        drain(r);
        EXPECT_EQ(r->crDropped(), c.dropped) << c.raw.size();
        EXPECT_EQ(r->loneCrDropped(), c.lone) << c.raw.size();
        EXPECT_EQ(ByteReader::close(r), 0);
    }
}

TEST(ByteReader, RandomFilesReadAsTheModelSays) {
    test::TempDir dir;
    std::mt19937 rng(20240517);
    std::vector<std::size_t> sizes = {0, 1, 2, kB - 1, kB, kB + 1, 2 * kB - 1, 2 * kB, 2 * kB + 1};
    for (int i = 0; i < 20; ++i) sizes.push_back(rng() % 5000);
    for (int i = 0; i < 6; ++i) sizes.push_back(rng() % (3 * kB));
    for (const std::size_t size : sizes) {
        Bytes raw(size);
        const int markOdds = static_cast<int>(rng() % 3);  // none, rare, common
        for (auto& b : raw) {
            const unsigned r = rng() % 100;
            b = r < 15 ? 0x0D : r < 25 ? 0x0A : static_cast<std::uint8_t>(rng());
            if (b == 0x1A && markOdds == 0) b = 0x1B;
            if (markOdds == 2 && rng() % 1500 == 0) b = 0x1A;
        }
        writeFile("in", raw);
        const test::ModelRead m = test::modelReadFile(raw, true);
        ByteReader* r = ByteReader::open("in", "r");
        ASSERT_NE(r, nullptr);
        ASSERT_EQ(drain(r, &rng), m.delivered) << "size " << size;
        EXPECT_EQ(r->crDropped(), m.crDropped);
        EXPECT_EQ(r->loneCrDropped(), m.loneCr);
        EXPECT_EQ(r->markOffset(), m.markOffset);
        EXPECT_EQ(ByteReader::close(r), 0);
        ASSERT_EQ(readThrough("in", "rb", &rng), raw);
    }
}

TEST(ByteReader, EndOfStreamIsLeftWhenTheFileGrowsButNotAfterTheMark) {
    test::TempDir dir;
    for (const char* mode : {"rb", "r"}) {
        writeFile("in", toBytes("ab"));
        ByteReader* r = ByteReader::open("in", mode);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(drain(r), toBytes("ab"));
        std::ofstream(dir / "in", std::ios::app | std::ios::binary) << "cd\r\n";
        EXPECT_EQ(drain(r), toBytes(r->text() ? "cd\n" : "cd\r\n")) << mode;
        EXPECT_EQ(ByteReader::close(r), 0);
    }
    writeFile("in", toBytes("ab\x1a"));
    ByteReader* r = ByteReader::open("in", "r");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(drain(r), toBytes("ab"));
    std::ofstream(dir / "in", std::ios::app | std::ios::binary) << "cd";
    EXPECT_EQ(r->readByte(), -1) << "nothing after the end-of-file mark is ever read";
    EXPECT_EQ(ByteReader::close(r), 0);
}

TEST(ByteReader, ReadErrorEndsTheStreamForGood) {
    // Reading this process's memory at address 0 fails with EIO: a real
    // read error on a file that opens fine.
    for (const char* mode : {"r", "rb"}) {
        ByteReader* r = ByteReader::open("/proc/self/mem", mode);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->readByte(), -1);
        EXPECT_TRUE(r->failed());
        EXPECT_EQ(r->errorCode(), EIO);
        EXPECT_EQ(r->readByte(), -1);
        EXPECT_EQ(ByteReader::close(r), 0);
    }
}

TEST(ByteStreams, OpenRefusesWhatItCannotOpen) {
    test::TempDir dir;
    ASSERT_EQ(::mkdir("sub", 0755), 0);
    writeFile("file", toBytes("x"));
    for (const auto& [name, mode] :
         std::vector<std::pair<std::string, const char*>>{{"", "r"},
                                                          {"missing", "r"},
                                                          {"sub", "r"},
                                                          {"sub", "rb"},
                                                          {"file", "a"},
                                                          {"file", "r+"},
                                                          {"file", "w"}}) {
        EXPECT_EQ(ByteReader::open(name, mode), nullptr) << name << " " << mode;
    }
    errno = 0;
    EXPECT_EQ(ByteReader::open("sub", "r"), nullptr);
    EXPECT_EQ(errno, EISDIR);
    for (const auto& [name, mode] :
         std::vector<std::pair<std::string, const char*>>{{"", "w"},
                                                          {"sub", "w"},
                                                          {"sub", "wb"},
                                                          {"nodir/x", "w"},
                                                          {"file", "r"},
                                                          {"file", "a"}}) {
        EXPECT_EQ(ByteWriter::open(name, mode), nullptr) << name << " " << mode;
    }
    EXPECT_EQ(test::readFile("file"), toBytes("x")) << "a refused mode must not truncate";
    EXPECT_EQ(ByteReader::close(nullptr), -1);
    EXPECT_EQ(ByteWriter::close(nullptr), -1);
    EXPECT_EQ(openStreamCount(), kStandardStreams);
}

TEST(ByteWriter, TextModeWritesLfAsCrLfAndNothingElseChanges) {
    test::TempDir dir;
    const std::vector<int> values = {0x0A, 0x0D, 0x1A, 'A', 0x0A};
    EXPECT_EQ(writeThrough(values, "w"), Bytes({0x0D, 0x0A, 0x0D, 0x1A, 'A', 0x0D, 0x0A}));
    EXPECT_EQ(writeThrough(values, "wt"), Bytes({0x0D, 0x0A, 0x0D, 0x1A, 'A', 0x0D, 0x0A}));
    EXPECT_EQ(writeThrough(values, "wb"), Bytes({0x0A, 0x0D, 0x1A, 'A', 0x0A}));
    EXPECT_EQ(writeThrough({}, "w"), Bytes()) << "closing appends nothing";
}

TEST(ByteWriter, StoresValuesModulo256) {
    test::TempDir dir;
    ByteWriter* w = ByteWriter::open("out", "wb");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->writeByte(256), 0);
    EXPECT_EQ(w->writeByte(-1), 255);
    EXPECT_EQ(w->writeByte(-2), 254);
    EXPECT_EQ(w->writeByte(511), 255);
    EXPECT_EQ(w->writeByte(INT_MIN), 0);
    EXPECT_EQ(w->writeByte(INT_MAX), 255);
    EXPECT_EQ(ByteWriter::close(w), 0);
    EXPECT_EQ(test::readFile("out"), Bytes({0x00, 0xFF, 0xFE, 0xFF, 0x00, 0xFF}));
}

TEST(ByteWriter, BytesReachTheFileABufferAtATime) {
    test::TempDir dir;
    ByteWriter* w = ByteWriter::open("bin", "wb");
    ASSERT_NE(w, nullptr);
    for (std::size_t i = 0; i < kB; ++i) w->writeByte(static_cast<int>(i));
    EXPECT_EQ(sizeOf("bin"), 0);
    EXPECT_EQ(w->room().size(), kB) << "a full buffer is passed on to make room";
    EXPECT_EQ(sizeOf("bin"), static_cast<long>(kB));
    w->writeByte(0);
    EXPECT_EQ(ByteWriter::close(w), 0);
    EXPECT_EQ(sizeOf("bin"), static_cast<long>(kB + 1));

    // A buffer of LFs doubles, through a staging area smaller than the result.
    w = ByteWriter::open("text", "w");
    ASSERT_NE(w, nullptr);
    for (std::size_t i = 0; i < kB; ++i) w->writeByte('\n');
    EXPECT_EQ(sizeOf("text"), 0);
    EXPECT_EQ(ByteWriter::close(w), 0);
    EXPECT_EQ(test::readFile("text"), test::modelWriteFile(std::vector<int>(kB, '\n'), true));
}

TEST(ByteWriter, RandomWritesMatchTheModel) {
    test::TempDir dir;
    std::mt19937 rng(77);
    std::vector<std::size_t> sizes = {0, 1, kB - 1, kB, kB + 1, 2 * kB, 2 * kB + 1};
    for (int i = 0; i < 20; ++i) sizes.push_back(rng() % 4000);
    for (const std::size_t size : sizes) {
        std::vector<int> values(size);
        for (int& v : values)
            v = rng() % 4 == 0 ? 0x0A + 256 * static_cast<int>(rng() % 3) - 256
                               : static_cast<int>(rng() % 1000) - 400;
        for (const bool text : {true, false}) {
            ASSERT_EQ(writeThrough(values, text ? "w" : "wb", &rng),
                      test::modelWriteFile(values, text))
                << "size " << size << (text ? " text" : " binary");
        }
    }
}

TEST(ByteWriter, OpeningEmptiesTheFileAtOnce) {
    test::TempDir dir;
    writeFile("f", toBytes("old content"));
    ByteWriter* w = ByteWriter::open("f", "w");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(sizeOf("f"), 0);
    ByteReader* r = ByteReader::open("f", "r");
    ASSERT_NE(r, nullptr) << "a reader may share the file with a writer";
    EXPECT_EQ(r->readByte(), -1);
    EXPECT_EQ(ByteReader::close(r), 0);
    EXPECT_EQ(ByteWriter::close(w), 0);
    EXPECT_EQ(sizeOf("f"), 0);
}

TEST(ByteWriter, FullDiskLosesThePassAndStoresOnlyWhileThereIsRoom) {
    test::TempDir dir;
    ASSERT_EQ(::symlink("/dev/full", "full"), 0);
    ByteWriter* w = ByteWriter::open("full", "wb");
    ASSERT_NE(w, nullptr);
    for (std::size_t i = 0; i < kB; ++i)
        ASSERT_EQ(w->writeByte(static_cast<int>(i)), int(i & 0xFF));
    EXPECT_FALSE(w->failed());
    EXPECT_EQ(w->writeByte(7), -1) << "the write that caused the failed pass";
    EXPECT_TRUE(w->failed());
    EXPECT_EQ(w->errorCode(), ENOSPC);
    for (std::size_t i = 0; i < kB; ++i)
        ASSERT_EQ(w->writeByte(1), 1) << "room after the lost pass";
    EXPECT_TRUE(w->room().empty()) << "a failed writer gives no more room once full";
    EXPECT_EQ(w->writeByte(2), -1);
    EXPECT_EQ(w->writeByte(3), -1);
    EXPECT_EQ(ByteWriter::close(w), -1);
    EXPECT_EQ(errno, ENOSPC);

    // A short text that only fails when Close passes it on.
    w = ByteWriter::open("full", "w");
    ASSERT_NE(w, nullptr);
    w->writeText("line\n");
    EXPECT_EQ(ByteWriter::close(w), -1);
    EXPECT_EQ(openStreamCount(), kStandardStreams) << "failed writers are released too";
}

TEST(StreamTable, FortyEighthOpenFails) {
    test::TempDir dir;
    ASSERT_EQ(openStreamCount(), kStandardStreams);
    writeFile("in", toBytes("x"));
    std::vector<ByteReader*> readers;
    std::vector<ByteWriter*> writers;
    for (int i = 0; i < kStreamTableSize - kStandardStreams; ++i) {
        if (i % 2 == 0) {
            readers.push_back(ByteReader::open("in", "r"));
            ASSERT_NE(readers.back(), nullptr) << "open number " << i + 1;
        } else {
            writers.push_back(ByteWriter::open(std::to_string(i) + ".out", "wb"));
            ASSERT_NE(writers.back(), nullptr) << "open number " << i + 1;
        }
    }
    EXPECT_EQ(openStreamCount(), kStreamTableSize);
    errno = 0;
    EXPECT_EQ(ByteReader::open("in", "rb"), nullptr);
    EXPECT_EQ(errno, EMFILE);
    EXPECT_EQ(ByteWriter::open("w48", "w"), nullptr);
    EXPECT_FALSE(test::exists("w48")) << "no file is made for a stream that cannot be had";

    EXPECT_EQ(ByteReader::close(readers.back()), 0);
    readers.back() = ByteReader::open("in", "rb");
    EXPECT_NE(readers.back(), nullptr) << "a closed entry is free again";
    for (ByteReader* r : readers) EXPECT_EQ(ByteReader::close(r), 0);
    for (ByteWriter* w : writers) EXPECT_EQ(ByteWriter::close(w), 0);
    EXPECT_EQ(openStreamCount(), kStandardStreams);

    for (int i = 0; i < 200; ++i) {
        ByteReader* r = ByteReader::open("in", "r");
        ASSERT_NE(r, nullptr) << "entries leak at open " << i;
        ASSERT_EQ(ByteReader::close(r), 0);
    }
}

std::string asText(const Bytes& b) {
    return std::string(b.begin(), b.end());
}

// Runs the helper program, which leaves streams open with pending bytes and
// ends as `how` says, and checks what reached its files and standard output.
void checkExit(const std::string& how, int code, bool flushed) {
    std::vector<int> textValues, binValues;
    for (int i = 0; i < 600; ++i) textValues.push_back(i % 10 == 9 ? '\n' : 'a' + i % 10);
    for (const char c : std::string("late\n")) textValues.push_back(c);  // from the exit routine
    for (int i = 0; i < 700; ++i) binValues.push_back(i);
    std::vector<int> outValues(599, 's');
    outValues.push_back('\n');
    const auto expected = [&](std::vector<int> v, bool text, std::size_t buffer = kB) {
        if (!flushed) v.resize(v.size() / buffer * buffer);  // only full buffers were passed on
        return asText(test::modelWriteFile(v, text));
    };
    test::TempDir dir;
    const test::ProcessResult p = test::run({OTTOMIX_EXIT_HELPER, how}, dir.path());
    EXPECT_EQ(p.exitCode, code) << p.err;
    EXPECT_EQ(asText(test::readFile("text.out")), expected(textValues, true)) << how;
    EXPECT_EQ(asText(test::readFile("bin.out")), expected(binValues, false)) << how;
    EXPECT_EQ(p.out, expected(outValues, true, kStdOutBufferSize)) << "standard output, " << how;
}

TEST(ExitPath, PendingBytesReachTheFilesOnExitAndReturnFromMain) {
    checkExit("exit", 1, true);
    checkExit("return", 0, true);
    checkExit("_exit", 4, false);  // no exit path: only what was already passed on
}

// The exit routines run first, then the flush, whenever a routine was
// registered: also one registered before the first stream was opened.
TEST(ExitPath, EarlyRegisteredExitRoutinesAlsoRunBeforeTheFlush) {
    checkExit("early", 0, true);
}

}  // namespace
}  // namespace ottomix
