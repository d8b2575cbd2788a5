// Bytes of a file to the text the viewer shows: Windows-1252, and plain text
// that is UTF-8 or else Windows-1252.
#pragma once

#include <QByteArray>
#include <QString>

namespace ottomix {

// Laying out one paragraph costs more than linear time in its length (a
// 4 MiB line without spaces takes minutes), so the viewer's text never has
// longer ones: they are broken up. The viewer wraps lines at its width
// anyway; only where a wrap falls in such a line changes.
inline constexpr qsizetype kMaxParagraph = 1024;

// One Windows-1252 byte as Unicode; the five unassigned codes map to themselves.
char16_t windows1252ToUnicode(unsigned char byte);

// Windows-1252 to Unicode.
QString decodeWindows1252(const QByteArray& data);

// Plain text: UTF-8 when the bytes are valid UTF-8, else Windows-1252; a
// CR LF pair, a lone CR and a lone LF each become one line break ('\n'), and
// lines longer than kMaxParagraph are broken after their last space (or
// anywhere when there is none). `cut`: the bytes are the beginning of a longer
// file, and a UTF-8 sequence the cut broke at their end is left out rather than
// counted against UTF-8.
QString decodePlainText(const QByteArray& data, bool cut = false);

}  // namespace ottomix
