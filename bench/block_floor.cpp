// The least a cipher job can cost: the same two passes and the same bytes
// out, written the plain way with read(2)/write(2) and 1 MiB buffers. The
// bench times ottomix-cli against it and checks that both write the same
// bytes, so this stays simple enough to be right at a glance.
//
//   ottomix_bench_floor encrypt|decrypt --text|--binary INPUT OUTPUT [--no-sync]
//
// Binary: every byte + 1 (encrypt) or - 1 (decrypt), mod 256.
// Text: CR bytes are dropped, the input ends at the first Ctrl-Z; the n-th
// byte left (from 0, across the whole file) is shifted by 2 + n % 2, down
// for encrypt and up for decrypt; every LF written goes out as CR LF.
// The output is written straight to OUTPUT (no temporary file), then synced;
// --no-sync leaves the sync out, to show what the sync costs.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

constexpr std::size_t kBlock = 1 << 20;
constexpr std::uint8_t kCR = 0x0D, kLF = 0x0A, kCtrlZ = 0x1A;

[[noreturn]] void die(const char* what, const char* name) {
    std::fprintf(stderr, "ottomix_bench_floor: %s %s: %s\n", what, name, std::strerror(errno));
    std::_Exit(1);
}

// Fills `buf` with up to its size in bytes; 0 at the end of the file.
std::size_t readSome(int fd, std::vector<std::uint8_t>& buf, const char* name) {
    for (;;) {
        const ssize_t n = ::read(fd, buf.data(), buf.size());
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno != EINTR) die("cannot read", name);
    }
}

void writeAll(int fd, const std::uint8_t* data, std::size_t size, const char* name) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            die("cannot write", name);
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

int openInput(const char* name) {
    const int fd = ::open(name, O_RDONLY | O_CLOEXEC);
    if (fd < 0) die("cannot open", name);
    return fd;
}

// The bytes of a block the text reader takes: those before the first Ctrl-Z.
std::size_t upToMark(const std::vector<std::uint8_t>& buf, std::size_t n, bool& atEnd) {
    const void* mark = std::memchr(buf.data(), kCtrlZ, n);
    if (mark == nullptr) return n;
    atEnd = true;
    return static_cast<std::size_t>(static_cast<const std::uint8_t*>(mark) - buf.data());
}

// Kept out of line: inlined into the read loop it is left unvectorised.
[[gnu::noinline]] std::size_t countCRs(const std::uint8_t* p, std::size_t n) {
    std::size_t crs = 0;
    for (std::size_t i = 0; i < n; ++i)
        if (p[i] == kCR) ++crs;
    return crs;
}

// The bytes the reader delivers: all of them in binary, and in text those
// that are not CR, up to the first Ctrl-Z.
std::uint64_t countPass(const char* name, bool text, std::vector<std::uint8_t>& in) {
    const int fd = openInput(name);
    std::uint64_t delivered = 0;
    bool atEnd = false;
    while (!atEnd) {
        std::size_t n = readSome(fd, in, name);
        if (n == 0) break;
        if (text) {
            const std::size_t end = upToMark(in, n, atEnd);
            n = end - countCRs(in.data(), end);
        }
        delivered += n;
    }
    ::close(fd);
    return delivered;
}

}  // namespace

int main(int argc, char** argv) {
    const bool sync = argc == 5;
    if (argc != 5 && !(argc == 6 && std::string_view(argv[5]) == "--no-sync")) {
        std::fprintf(stderr,
                     "usage: ottomix_bench_floor encrypt|decrypt --text|--binary INPUT OUTPUT "
                     "[--no-sync]\n");
        return 2;
    }
    const std::string_view direction = argv[1], mode = argv[2];
    if ((direction != "encrypt" && direction != "decrypt") ||
        (mode != "--text" && mode != "--binary")) {
        std::fprintf(stderr, "ottomix_bench_floor: bad direction or mode\n");
        return 2;
    }
    const bool encrypt = direction == "encrypt";
    const bool text = mode == "--text";
    const char* input = argv[3];
    const char* output = argv[4];

    std::vector<std::uint8_t> in(kBlock);
    std::vector<std::uint8_t> out(2 * kBlock);  // every byte may become CR LF

    const std::uint64_t counted = countPass(input, text, in);

    const int ifd = openInput(input);
    const int ofd = ::open(output, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (ofd < 0) die("cannot create", output);

    std::uint64_t delivered = 0;
    bool odd = false;  // the next text byte's key is 3, else 2
    bool atEnd = false;
    while (!atEnd) {
        const std::size_t n = readSome(ifd, in, input);
        if (n == 0) break;
        // Plain pointers: a byte store through a vector's operator[] could
        // alias the vectors themselves, which keeps the compiler from
        // vectorising or even from keeping the pointers in registers.
        const std::uint8_t* src = in.data();
        std::uint8_t* dst = out.data();
        std::size_t o = 0;
        if (!text) {
            const std::uint8_t shift = encrypt ? 1 : 0xFF;  // + 0xFF is - 1 mod 256
            for (std::size_t i = 0; i < n; ++i) dst[i] = static_cast<std::uint8_t>(src[i] + shift);
            o = n;
            delivered += n;
        } else {
            const std::size_t end = upToMark(in, n, atEnd);
            for (std::size_t i = 0; i < end; ++i) {
                const std::uint8_t b = src[i];
                if (b == kCR) continue;
                const std::uint8_t key = odd ? 3 : 2;
                odd = !odd;
                ++delivered;
                const auto c = static_cast<std::uint8_t>(encrypt ? b - key : b + key);
                // LF goes out as CR LF: the CR is written, then kept only
                // when c is an LF.
                dst[o] = kCR;
                o += c == kLF;
                dst[o++] = c;
            }
        }
        writeAll(ofd, out.data(), o, output);
    }
    ::close(ifd);
    if (delivered != counted) {
        std::fprintf(stderr, "ottomix_bench_floor: %s changed between the passes\n", input);
        return 1;
    }
    if (sync && ::fdatasync(ofd) != 0) die("cannot sync", output);
    if (::close(ofd) != 0) die("cannot close", output);
    return 0;
}
