// Bytes of a file to the text the viewer shows: Windows-1252, and plain text
// in the encodings Windows text comes in.
#pragma once

#include <QByteArray>
#include <QString>

namespace ottomix {

// Laying out one paragraph costs more than linear time in its length (a
// 4 MiB line without spaces takes minutes), so the viewer's text never has
// longer ones: they are broken up. The viewer wraps lines at its width
// anyway; only where a wrap falls in such a line changes.
inline constexpr qsizetype kMaxParagraph = 1024;

// Besides '\n' and '\r', QTextDocument starts a block of its own at the
// paragraph separator and at the two noncharacters it marks frames with, and
// a new line inside the block at the line separator. The viewer counts every
// block and line towards its limit, so none of them may slip in uncounted.
inline constexpr char16_t kLineSeparator = 0x2028;
inline constexpr char16_t kParagraphSeparator = 0x2029;
inline constexpr char16_t kFrameStart = 0xFDD0;
inline constexpr char16_t kFrameEnd = 0xFDD1;

// `c`, or U+FFFD for the frame markers, which are no text of a file's own.
constexpr char16_t withoutFrameMarker(char16_t c) {
    return c == kFrameStart || c == kFrameEnd ? char16_t{0xFFFD} : c;
}

// One Windows-1252 byte as Unicode; the five unassigned codes map to themselves.
char16_t windows1252ToUnicode(unsigned char byte);

// Windows-1252 to Unicode.
QString decodeWindows1252(const QByteArray& data);

// Plain text: UTF-16 (little or big endian) after its byte order mark, else
// UTF-8 (with or without a byte order mark) when the bytes are valid UTF-8,
// else Windows-1252; a byte order mark is not shown; a
// CR LF pair, a lone CR, a lone LF and the line and paragraph separators each
// become one line break ('\n'), the frame markers U+FFFD, and lines longer
// than kMaxParagraph are broken after their last space (or anywhere when
// there is none). `cut`: the bytes are the beginning of a longer
// file, and a UTF-8 sequence the cut broke at their end is left out rather than
// counted against UTF-8.
QString decodePlainText(const QByteArray& data, bool cut = false);

}  // namespace ottomix
