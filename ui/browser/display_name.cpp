#include "ui/browser/display_name.h"

namespace ottomix {

namespace {

// Length of the well-formed UTF-8 sequence at `s`, or 0.
size_t utf8SequenceLength(const unsigned char* s, size_t available) {
    const unsigned char c = s[0];
    if (c < 0x80) return 1;
    size_t length;
    unsigned code;
    if ((c & 0xE0) == 0xC0) {
        length = 2;
        code = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        length = 3;
        code = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        length = 4;
        code = c & 0x07;
    } else {
        return 0;
    }
    if (length > available) return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((s[k] & 0xC0) != 0x80) return 0;
        code = (code << 6) | (s[k] & 0x3F);
    }
    static const unsigned kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kLeast[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

}  // namespace

QString displayName(const std::string& bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t size = bytes.size();
    size_t i = 0;
    while (i < size) {
        const size_t length = utf8SequenceLength(data + i, size - i);
        if (length == 0) break;
        i += length;
    }
    if (i == size) return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(size));
    QString out = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(i));
    while (i < size) {
        const size_t length = utf8SequenceLength(data + i, size - i);
        if (length == 0) {
            out += QStringLiteral("\\x%1").arg(data[i], 2, 16, QLatin1Char('0'));
            ++i;
        } else {
            out += QString::fromUtf8(bytes.data() + i, static_cast<qsizetype>(length));
            i += length;
        }
    }
    return out;
}

}  // namespace ottomix
