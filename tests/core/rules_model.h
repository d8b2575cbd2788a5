// A deliberately plain model of the text rules and the cipher, written
// without buffers or chunks, against which the real streams and job are
// compared byte for byte.
#pragma once

#include <cstdint>
#include <vector>

namespace ottomix::test {

struct ModelRead {
    std::vector<std::uint8_t> delivered;
    std::vector<std::int64_t> positions;  // file offset of each delivered byte
    std::int64_t firstLoneCr = -1;        // file offset of the first lone CR
    std::uint64_t crDropped = 0;
    std::uint64_t loneCr = 0;      // CRs not directly followed by LF
    std::uint64_t afterMark = 0;   // bytes from the first Ctrl-Z on
    std::int64_t markOffset = -1;  // file offset of that Ctrl-Z
};

// What a reader delivers from a file holding `raw`.
inline ModelRead modelReadFile(const std::vector<std::uint8_t>& raw, bool text) {
    ModelRead m;
    if (!text) {
        m.delivered = raw;
        for (std::size_t i = 0; i < raw.size(); ++i)
            m.positions.push_back(static_cast<std::int64_t>(i));
        return m;
    }
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == 0x1A) {
            m.markOffset = static_cast<std::int64_t>(i);
            m.afterMark = raw.size() - i;
            break;
        }
        if (raw[i] == 0x0D) {
            ++m.crDropped;
            if (i + 1 == raw.size() || raw[i + 1] != 0x0A) {
                if (m.loneCr++ == 0) m.firstLoneCr = static_cast<std::int64_t>(i);
            }
        } else {
            m.delivered.push_back(raw[i]);
            m.positions.push_back(static_cast<std::int64_t>(i));
        }
    }
    return m;
}

// The file a writer leaves after being handed `values` and closed.
inline std::vector<std::uint8_t> modelWriteFile(const std::vector<int>& values, bool text) {
    std::vector<std::uint8_t> file;
    for (const int v : values) {
        const auto b = static_cast<std::uint8_t>(((v % 256) + 256) % 256);
        if (text && b == 0x0A) file.push_back(0x0D);
        file.push_back(b);
    }
    return file;
}

struct ModelJob {
    ModelRead read;
    std::vector<int> written;  // the values handed to the writer
    std::vector<std::uint8_t> file;
    std::uint64_t unsafe = 0;  // written 0x0D / 0x1A values (text only)
    std::int64_t firstUnsafe = -1;
};

inline ModelJob modelCipher(const std::vector<std::uint8_t>& raw, bool text, bool encrypt) {
    ModelJob m;
    m.read = modelReadFile(raw, text);
    for (std::size_t i = 0; i < m.read.delivered.size(); ++i) {
        const int b = m.read.delivered[i];
        const int k = text ? (i % 2 == 0 ? 2 : 3) : 1;
        const bool down = text ? encrypt : !encrypt;
        const int v = down ? b - k : b + k;
        m.written.push_back(v);
        const int stored = (v + 256) % 256;
        if (text && (stored == 0x0D || stored == 0x1A)) {
            if (m.firstUnsafe < 0) m.firstUnsafe = static_cast<std::int64_t>(i);
            ++m.unsafe;
        }
    }
    m.file = modelWriteFile(m.written, text);
    return m;
}

}  // namespace ottomix::test
