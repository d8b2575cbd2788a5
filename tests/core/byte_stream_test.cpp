#include "core/byte_stream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <climits>
#include <random>

#include "tests/core/rules_model.h"
#include "tests/core/test_support.h"

namespace ottomix {
namespace {

using test::Bytes;
using test::ToBytes;
using test::WriteFile;

constexpr std::size_t B = kStreamBufferSize;

// Reads to the end, with ReadByte() and, when `rng` is given, ReadBlock() in
// a random mix, so blocks also start part way into a buffer.
Bytes Drain(ByteReader* r, std::mt19937* rng = nullptr) {
    Bytes out;
    for (;;) {
        if (rng != nullptr && (*rng)() % 3 != 0) {
            const auto block = r->ReadBlock();
            if (block.empty()) return out;
            out.insert(out.end(), block.begin(), block.end());
            continue;
        }
        const int b = r->ReadByte();
        if (b < 0) return out;
        EXPECT_LE(b, 255);
        out.push_back(static_cast<std::uint8_t>(b));
    }
}

Bytes ReadThrough(const std::string& name, const char* mode, std::mt19937* rng = nullptr) {
    ByteReader* r = ByteReader::Open(name, mode);
    EXPECT_NE(r, nullptr) << name << " " << mode;
    if (r == nullptr) return {};
    Bytes out = Drain(r, rng);
    EXPECT_EQ(r->ReadByte(), -1) << "end of stream must stay";
    EXPECT_FALSE(r->failed());
    EXPECT_EQ(ByteReader::Close(r), 0);
    return out;
}

// Writes with WriteByte() and, when `rng` is given, runs through
// Room()/Commit() in a random mix.
Bytes WriteThrough(const std::vector<int>& values, const char* mode, std::mt19937* rng = nullptr) {
    ByteWriter* w = ByteWriter::Open("out", mode);
    EXPECT_NE(w, nullptr);
    if (w == nullptr) return {};
    for (std::size_t i = 0; i < values.size();) {
        if (rng != nullptr && (*rng)() % 2 == 0) {
            const auto room = w->Room();
            const std::size_t n = std::min(room.size(), values.size() - i);
            for (std::size_t k = 0; k < n; ++k) room[k] = static_cast<std::uint8_t>(values[i + k]);
            w->Commit(n);
            i += n;
            continue;
        }
        EXPECT_EQ(w->WriteByte(values[i]), ((values[i] % 256) + 256) % 256) << values[i];
        ++i;
    }
    EXPECT_EQ(ByteWriter::Close(w), 0);
    return test::ReadFile("out");
}

long SizeOf(const std::string& name) {
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
        WriteFile("in", ToBytes(c.raw));
        EXPECT_EQ(ReadThrough("in", "r"), ToBytes(c.text)) << "raw: " << c.raw;
        EXPECT_EQ(ReadThrough("in", "rt"), ToBytes(c.text));
        EXPECT_EQ(ReadThrough("in", "rb"), ToBytes(c.raw)) << "binary reads every byte";
    }
}

TEST(ByteReader, TextRulesHoldAcrossChunkBoundaries) {
    test::TempDir dir;
    // CR LF split between the last byte of one buffer and the first of the next.
    WriteFile("in", ToBytes(std::string(B - 1, 'a') + "\r\nb"));
    EXPECT_EQ(ReadThrough("in", "r"), ToBytes(std::string(B - 1, 'a') + "\nb"));
    // Whole chunks of CR are skipped, not taken as the end.
    WriteFile("in", ToBytes(std::string(2 * B, '\r') + "z\r"));
    EXPECT_EQ(ReadThrough("in", "r"), ToBytes("z"));
    // Ctrl-Z in the second chunk, and at the very start of one.
    for (const std::size_t at : {B + 188, B, 2 * B}) {
        std::string raw(at, 'c');
        raw[100] = '\r';
        raw +=
            "\x1a"
            "after\r\n";
        WriteFile("in", ToBytes(raw));
        ByteReader* r = ByteReader::Open("in", "r");
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(Drain(r), ToBytes(std::string(at - 1, 'c')));
        EXPECT_EQ(r->mark_offset(), static_cast<std::int64_t>(at));
        EXPECT_EQ(r->cr_dropped(), 1u);
        EXPECT_EQ(ByteReader::Close(r), 0);
    }
}

TEST(ByteReader, OnlyCrsOutsideCrLfPairsCountAsLost) {
    test::TempDir dir;
    struct Case {
        std::string raw;
        std::uint64_t dropped, lone;
    };
    const Case cases[] = {
        {"a\r\nb\r\n", 2, 0},                        // DOS line ends come back as CR LF
        {"a\rb\r\r\nc\r", 4, 3},                     // lone, doubled and final CRs
        {std::string(B - 1, 'a') + "\r\nb", 1, 0},     // pair split between chunks
        {std::string(B - 1, 'a') + "\rb", 1, 1},       // lone CR ending a chunk
        {std::string(B - 1, 'a') + "\r\x1a\n", 1, 1},  // CR before the mark
        {std::string(2 * B - 1, 'a') + "\r", 1, 1},    // CR ending the file
        {std::string(B, '\r') + "\n", B, B - 1},       // a chunk of CRs, then LF
    };
    for (const Case& c : cases) {
        WriteFile("in", ToBytes(c.raw));
        ByteReader* r = ByteReader::Open("in", "r");
        ASSERT_NE(r, nullptr);
        Drain(r);
        EXPECT_EQ(r->cr_dropped(), c.dropped) << c.raw.size();
        EXPECT_EQ(r->lone_cr_dropped(), c.lone) << c.raw.size();
        EXPECT_EQ(ByteReader::Close(r), 0);
    }
}

TEST(ByteReader, RandomFilesReadAsTheModelSays) {
    test::TempDir dir;
    std::mt19937 rng(20240517);
    std::vector<std::size_t> sizes = {0, 1, 2, B - 1, B, B + 1, 2 * B - 1, 2 * B, 2 * B + 1};
    for (int i = 0; i < 20; ++i) sizes.push_back(rng() % 5000);
    for (int i = 0; i < 6; ++i) sizes.push_back(rng() % (3 * B));
    for (const std::size_t size : sizes) {
        Bytes raw(size);
        const int mark_odds = static_cast<int>(rng() % 3);  // none, rare, common
        for (auto& b : raw) {
            const unsigned r = rng() % 100;
            b = r < 15 ? 0x0D : r < 25 ? 0x0A : static_cast<std::uint8_t>(rng());
            if (b == 0x1A && mark_odds == 0) b = 0x1B;
            if (mark_odds == 2 && rng() % 1500 == 0) b = 0x1A;
        }
        WriteFile("in", raw);
        const test::ModelRead m = test::ModelReadFile(raw, true);
        ByteReader* r = ByteReader::Open("in", "r");
        ASSERT_NE(r, nullptr);
        ASSERT_EQ(Drain(r, &rng), m.delivered) << "size " << size;
        EXPECT_EQ(r->cr_dropped(), m.cr_dropped);
        EXPECT_EQ(r->lone_cr_dropped(), m.lone_cr);
        EXPECT_EQ(r->mark_offset(), m.mark_offset);
        EXPECT_EQ(ByteReader::Close(r), 0);
        ASSERT_EQ(ReadThrough("in", "rb", &rng), raw);
    }
}

TEST(ByteReader, EndOfStreamIsLeftWhenTheFileGrowsButNotAfterTheMark) {
    test::TempDir dir;
    for (const char* mode : {"rb", "r"}) {
        WriteFile("in", ToBytes("ab"));
        ByteReader* r = ByteReader::Open("in", mode);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(Drain(r), ToBytes("ab"));
        std::ofstream(dir / "in", std::ios::app | std::ios::binary) << "cd\r\n";
        EXPECT_EQ(Drain(r), ToBytes(r->text() ? "cd\n" : "cd\r\n")) << mode;
        EXPECT_EQ(ByteReader::Close(r), 0);
    }
    WriteFile("in", ToBytes("ab\x1a"));
    ByteReader* r = ByteReader::Open("in", "r");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(Drain(r), ToBytes("ab"));
    std::ofstream(dir / "in", std::ios::app | std::ios::binary) << "cd";
    EXPECT_EQ(r->ReadByte(), -1) << "nothing after the end-of-file mark is ever read";
    EXPECT_EQ(ByteReader::Close(r), 0);
}

TEST(ByteReader, ReadErrorEndsTheStreamForGood) {
    // Reading this process's memory at address 0 fails with EIO: a real
    // read error on a file that opens fine.
    for (const char* mode : {"r", "rb"}) {
        ByteReader* r = ByteReader::Open("/proc/self/mem", mode);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->ReadByte(), -1);
        EXPECT_TRUE(r->failed());
        EXPECT_EQ(r->error_code(), EIO);
        EXPECT_EQ(r->ReadByte(), -1);
        EXPECT_EQ(ByteReader::Close(r), 0);
    }
}

TEST(ByteStreams, OpenRefusesWhatItCannotOpen) {
    test::TempDir dir;
    ASSERT_EQ(::mkdir("sub", 0755), 0);
    WriteFile("file", ToBytes("x"));
    for (const auto& [name, mode] :
         std::vector<std::pair<std::string, const char*>>{{"", "r"},
                                                          {"missing", "r"},
                                                          {"sub", "r"},
                                                          {"sub", "rb"},
                                                          {"file", "a"},
                                                          {"file", "r+"},
                                                          {"file", "w"}}) {
        EXPECT_EQ(ByteReader::Open(name, mode), nullptr) << name << " " << mode;
    }
    errno = 0;
    EXPECT_EQ(ByteReader::Open("sub", "r"), nullptr);
    EXPECT_EQ(errno, EISDIR);
    for (const auto& [name, mode] :
         std::vector<std::pair<std::string, const char*>>{{"", "w"},
                                                          {"sub", "w"},
                                                          {"sub", "wb"},
                                                          {"nodir/x", "w"},
                                                          {"file", "r"},
                                                          {"file", "a"}}) {
        EXPECT_EQ(ByteWriter::Open(name, mode), nullptr) << name << " " << mode;
    }
    EXPECT_EQ(test::ReadFile("file"), ToBytes("x")) << "a refused mode must not truncate";
    EXPECT_EQ(ByteReader::Close(nullptr), -1);
    EXPECT_EQ(ByteWriter::Close(nullptr), -1);
    EXPECT_EQ(OpenStreamCount(), kStandardStreams);
}

TEST(ByteWriter, TextModeWritesLfAsCrLfAndNothingElseChanges) {
    test::TempDir dir;
    const std::vector<int> values = {0x0A, 0x0D, 0x1A, 'A', 0x0A};
    EXPECT_EQ(WriteThrough(values, "w"), Bytes({0x0D, 0x0A, 0x0D, 0x1A, 'A', 0x0D, 0x0A}));
    EXPECT_EQ(WriteThrough(values, "wt"), Bytes({0x0D, 0x0A, 0x0D, 0x1A, 'A', 0x0D, 0x0A}));
    EXPECT_EQ(WriteThrough(values, "wb"), Bytes({0x0A, 0x0D, 0x1A, 'A', 0x0A}));
    EXPECT_EQ(WriteThrough({}, "w"), Bytes()) << "closing appends nothing";
}

TEST(ByteWriter, StoresValuesModulo256) {
    test::TempDir dir;
    ByteWriter* w = ByteWriter::Open("out", "wb");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->WriteByte(256), 0);
    EXPECT_EQ(w->WriteByte(-1), 255);
    EXPECT_EQ(w->WriteByte(-2), 254);
    EXPECT_EQ(w->WriteByte(511), 255);
    EXPECT_EQ(w->WriteByte(INT_MIN), 0);
    EXPECT_EQ(w->WriteByte(INT_MAX), 255);
    EXPECT_EQ(ByteWriter::Close(w), 0);
    EXPECT_EQ(test::ReadFile("out"), Bytes({0x00, 0xFF, 0xFE, 0xFF, 0x00, 0xFF}));
}

TEST(ByteWriter, BytesReachTheFileABufferAtATime) {
    test::TempDir dir;
    ByteWriter* w = ByteWriter::Open("bin", "wb");
    ASSERT_NE(w, nullptr);
    for (std::size_t i = 0; i < B; ++i) w->WriteByte(static_cast<int>(i));
    EXPECT_EQ(SizeOf("bin"), 0);
    EXPECT_EQ(w->Room().size(), B) << "a full buffer is passed on to make room";
    EXPECT_EQ(SizeOf("bin"), static_cast<long>(B));
    w->WriteByte(0);
    EXPECT_EQ(ByteWriter::Close(w), 0);
    EXPECT_EQ(SizeOf("bin"), static_cast<long>(B + 1));

    // A buffer of LFs doubles, through a staging area smaller than the result.
    w = ByteWriter::Open("text", "w");
    ASSERT_NE(w, nullptr);
    for (std::size_t i = 0; i < B; ++i) w->WriteByte('\n');
    EXPECT_EQ(SizeOf("text"), 0);
    EXPECT_EQ(ByteWriter::Close(w), 0);
    EXPECT_EQ(test::ReadFile("text"), test::ModelWriteFile(std::vector<int>(B, '\n'), true));
}

TEST(ByteWriter, RandomWritesMatchTheModel) {
    test::TempDir dir;
    std::mt19937 rng(77);
    std::vector<std::size_t> sizes = {0, 1, B - 1, B, B + 1, 2 * B, 2 * B + 1};
    for (int i = 0; i < 20; ++i) sizes.push_back(rng() % 4000);
    for (const std::size_t size : sizes) {
        std::vector<int> values(size);
        for (int& v : values)
            v = rng() % 4 == 0 ? 0x0A + 256 * static_cast<int>(rng() % 3) - 256
                               : static_cast<int>(rng() % 1000) - 400;
        for (const bool text : {true, false}) {
            ASSERT_EQ(WriteThrough(values, text ? "w" : "wb", &rng),
                      test::ModelWriteFile(values, text))
                << "size " << size << (text ? " text" : " binary");
        }
    }
}

TEST(ByteWriter, OpeningEmptiesTheFileAtOnce) {
    test::TempDir dir;
    WriteFile("f", ToBytes("old content"));
    ByteWriter* w = ByteWriter::Open("f", "w");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(SizeOf("f"), 0);
    ByteReader* r = ByteReader::Open("f", "r");
    ASSERT_NE(r, nullptr) << "a reader may share the file with a writer";
    EXPECT_EQ(r->ReadByte(), -1);
    EXPECT_EQ(ByteReader::Close(r), 0);
    EXPECT_EQ(ByteWriter::Close(w), 0);
    EXPECT_EQ(SizeOf("f"), 0);
}

TEST(ByteWriter, FullDiskLosesThePassAndStoresOnlyWhileThereIsRoom) {
    test::TempDir dir;
    ASSERT_EQ(::symlink("/dev/full", "full"), 0);
    ByteWriter* w = ByteWriter::Open("full", "wb");
    ASSERT_NE(w, nullptr);
    for (std::size_t i = 0; i < B; ++i) ASSERT_EQ(w->WriteByte(static_cast<int>(i)), int(i & 0xFF));
    EXPECT_FALSE(w->failed());
    EXPECT_EQ(w->WriteByte(7), -1) << "the write that caused the failed pass";
    EXPECT_TRUE(w->failed());
    EXPECT_EQ(w->error_code(), ENOSPC);
    for (std::size_t i = 0; i < B; ++i) ASSERT_EQ(w->WriteByte(1), 1) << "room after the lost pass";
    EXPECT_TRUE(w->Room().empty()) << "a failed writer gives no more room once full";
    EXPECT_EQ(w->WriteByte(2), -1);
    EXPECT_EQ(w->WriteByte(3), -1);
    EXPECT_EQ(ByteWriter::Close(w), -1);
    EXPECT_EQ(errno, ENOSPC);

    // A short text that only fails when Close passes it on.
    w = ByteWriter::Open("full", "w");
    ASSERT_NE(w, nullptr);
    w->WriteText("line\n");
    EXPECT_EQ(ByteWriter::Close(w), -1);
    EXPECT_EQ(OpenStreamCount(), kStandardStreams) << "failed writers are released too";
}

TEST(StreamTable, FortyEighthOpenFails) {
    test::TempDir dir;
    ASSERT_EQ(OpenStreamCount(), kStandardStreams);
    WriteFile("in", ToBytes("x"));
    std::vector<ByteReader*> readers;
    std::vector<ByteWriter*> writers;
    for (int i = 0; i < kStreamTableSize - kStandardStreams; ++i) {
        if (i % 2 == 0) {
            readers.push_back(ByteReader::Open("in", "r"));
            ASSERT_NE(readers.back(), nullptr) << "open number " << i + 1;
        } else {
            writers.push_back(ByteWriter::Open(std::to_string(i) + ".out", "wb"));
            ASSERT_NE(writers.back(), nullptr) << "open number " << i + 1;
        }
    }
    EXPECT_EQ(OpenStreamCount(), kStreamTableSize);
    errno = 0;
    EXPECT_EQ(ByteReader::Open("in", "rb"), nullptr);
    EXPECT_EQ(errno, EMFILE);
    EXPECT_EQ(ByteWriter::Open("w48", "w"), nullptr);
    EXPECT_FALSE(test::Exists("w48")) << "no file is made for a stream that cannot be had";

    EXPECT_EQ(ByteReader::Close(readers.back()), 0);
    readers.back() = ByteReader::Open("in", "rb");
    EXPECT_NE(readers.back(), nullptr) << "a closed entry is free again";
    for (ByteReader* r : readers) EXPECT_EQ(ByteReader::Close(r), 0);
    for (ByteWriter* w : writers) EXPECT_EQ(ByteWriter::Close(w), 0);
    EXPECT_EQ(OpenStreamCount(), kStandardStreams);

    for (int i = 0; i < 200; ++i) {
        ByteReader* r = ByteReader::Open("in", "r");
        ASSERT_NE(r, nullptr) << "entries leak at open " << i;
        ASSERT_EQ(ByteReader::Close(r), 0);
    }
}

std::string AsText(const Bytes& b) {
    return std::string(b.begin(), b.end());
}

// Runs the helper program, which leaves streams open with pending bytes and
// ends as `how` says, and checks what reached its files and standard output.
void CheckExit(const std::string& how, int code, bool flushed) {
    std::vector<int> text_values, bin_values;
    for (int i = 0; i < 600; ++i) text_values.push_back(i % 10 == 9 ? '\n' : 'a' + i % 10);
    for (const char c : std::string("late\n")) text_values.push_back(c);  // from the exit routine
    for (int i = 0; i < 700; ++i) bin_values.push_back(i);
    std::vector<int> out_values(599, 's');
    out_values.push_back('\n');
    const auto expected = [&](std::vector<int> v, bool text, std::size_t buffer = B) {
        if (!flushed) v.resize(v.size() / buffer * buffer);  // only full buffers were passed on
        return AsText(test::ModelWriteFile(v, text));
    };
    test::TempDir dir;
    const test::ProcessResult p = test::Run({OTTOMIX_EXIT_HELPER, how}, dir.path());
    EXPECT_EQ(p.exit_code, code) << p.err;
    EXPECT_EQ(AsText(test::ReadFile("text.out")), expected(text_values, true)) << how;
    EXPECT_EQ(AsText(test::ReadFile("bin.out")), expected(bin_values, false)) << how;
    EXPECT_EQ(p.out, expected(out_values, true, kStdOutBufferSize)) << "standard output, " << how;
}

TEST(ExitPath, PendingBytesReachTheFilesOnExitAndReturnFromMain) {
    CheckExit("exit", 1, true);
    CheckExit("return", 0, true);
    CheckExit("_exit", 4, false);  // no exit path: only what was already passed on
}

// The exit routines run first, then the flush, whenever a routine was
// registered: also one registered before the first stream was opened.
TEST(ExitPath, EarlyRegisteredExitRoutinesAlsoRunBeforeTheFlush) {
    CheckExit("early", 0, true);
}

}  // namespace
}  // namespace ottomix
