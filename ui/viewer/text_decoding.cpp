#include "ui/viewer/text_decoding.h"

#include <QStringDecoder>

namespace ottomix {

namespace {

// 0x80..0x9F of Windows-1252; 0 marks the five unassigned codes.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Length of `data` without an incomplete UTF-8 sequence at its end (the cut
// of a long file may fall inside one).
qsizetype withoutBrokenUtf8Tail(const QByteArray& data) {
    const qsizetype n = data.size();
    qsizetype i = n;
    int continuation = 0;
    while (i > 0 && continuation < 3 && (static_cast<unsigned char>(data[i - 1]) & 0xC0) == 0x80) {
        --i;
        ++continuation;
    }
    if (i == 0) return n;
    const auto lead = static_cast<unsigned char>(data[i - 1]);
    int need = 0;
    if ((lead & 0xE0) == 0xC0)
        need = 1;
    else if ((lead & 0xF0) == 0xE0)
        need = 2;
    else if ((lead & 0xF8) == 0xF0)
        need = 3;
    else
        return n;
    return continuation < need ? i - 1 : n;
}

// CR LF, lone CR, lone LF and the line and paragraph separators each become
// '\n', the frame markers U+FFFD; lines longer than kMaxParagraph are broken
// after their last space (or anywhere when none).
QString breakLines(const QString& in) {
    const qsizetype n = in.size();
    // Each break put in follows kMaxParagraph characters; the rest only shrinks.
    QString out(n + n / kMaxParagraph + 1, Qt::Uninitialized);
    const auto* src = reinterpret_cast<const char16_t*>(in.constData());
    char16_t* const begin = reinterpret_cast<char16_t*>(out.data());
    char16_t* p = begin;
    char16_t* lineStart = begin;
    char16_t* lastSpace = nullptr;
    for (qsizetype i = 0; i < n; ++i) {
        char16_t c = withoutFrameMarker(src[i]);
        if (c == u'\r') {
            c = u'\n';
            if (i + 1 < n && src[i + 1] == u'\n') ++i;
        } else if (c == kLineSeparator || c == kParagraphSeparator) {
            c = u'\n';
        }
        if (c == u'\n') {
            *p++ = c;
            lineStart = p;
            lastSpace = nullptr;
            continue;
        }
        if (p - lineStart >= kMaxParagraph) {
            if (lastSpace) {
                *lastSpace = u'\n';
                lineStart = lastSpace + 1;
            } else {
                *p++ = u'\n';
                lineStart = p;
            }
            lastSpace = nullptr;
        }
        if (c == u' ') lastSpace = p;
        *p++ = c;
    }
    out.truncate(p - begin);
    return out;
}

// The first `utf8Length` bytes as UTF-8 when they are valid UTF-8, else
// all of `data` as Windows-1252.
QString utf8OrWindows1252(const QByteArray& data, qsizetype utf8Length) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(data).first(utf8Length));
    if (utf8.hasError()) text = decodeWindows1252(data);
    return text;
}

}  // namespace

char16_t windows1252ToUnicode(unsigned char byte) {
    if (byte < 0x80 || byte > 0x9F) return byte;
    const char16_t u = kCp1252High[byte - 0x80];
    return u != 0 ? u : byte;
}

QString decodeWindows1252(const QByteArray& data) {
    QString out(data.size(), Qt::Uninitialized);
    QChar* p = out.data();
    for (const char c : data) *p++ = QChar(windows1252ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

QString decodePlainText(const QByteArray& data, bool cut) {
    // Windows "Unicode" text: UTF-16 with a byte order mark, which is not shown.
    const bool littleEndian = data.startsWith("\xFF\xFE");
    if (littleEndian || data.startsWith("\xFE\xFF")) {
        QByteArrayView units = QByteArrayView(data).sliced(2);
        if (units.size() % 2 != 0) units.chop(1);  // a cut inside a unit
        QStringDecoder utf16(littleEndian ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                             QStringConverter::Flag::Stateless);
        QString text = utf16.decode(units);
        // A cut between the two halves of a surrogate pair.
        if (cut && !text.isEmpty() && text.back().isHighSurrogate()) text.chop(1);
        return breakLines(text);
    }
    return breakLines(utf8OrWindows1252(data, cut ? withoutBrokenUtf8Tail(data) : data.size()));
}

}  // namespace ottomix
