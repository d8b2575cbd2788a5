#include "ui/text_viewer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QScrollBar>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <cerrno>
#include <string_view>
#include <vector>

namespace ottomix {

namespace {

// Laying out one paragraph costs more than linear time in its length (a
// 4 MiB line without spaces takes minutes), so longer ones are broken up.
// The viewer wraps lines at its width anyway; only where a wrap falls in
// such a line changes.
constexpr qsizetype kMaxParagraph = 1024;

// 0x80..0x9F of Windows-1252; 0 marks the five unassigned codes.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t Cp1252(unsigned char b) {
    if (b < 0x80 || b > 0x9F) return b;
    const char16_t u = kCp1252High[b - 0x80];
    return u != 0 ? u : b;
}

// ---------------------------------------------------------------- RTF reader

class RtfReader {
  public:
    RtfReader(const QByteArray& data, QTextDocument& doc, qint64 max_lines)
        : in_(data), cursor_(&doc), max_lines_(max_lines) {}

    // Whether text past the last paragraph allowed was left out.
    bool cut() const { return cut_; }

    void Run() {
        const qsizetype n = in_.size();
        while (pos_ < n && !done_) {
            const char c = in_[pos_++];
            switch (c) {
                case '{':
                    pending_skip_ = 0;
                    stack_.push_back(st_);
                    break;
                case '}':
                    pending_skip_ = 0;
                    if (stack_.empty()) {
                        done_ = true;
                        break;
                    }
                    st_ = stack_.back();
                    stack_.pop_back();
                    if (stack_.empty()) done_ = true;  // the document's own group ended
                    break;
                case '\\':
                    Control();
                    break;
                case '\r':
                case '\n':
                    break;  // line ends in RTF source are not text
                default:
                    Byte(static_cast<unsigned char>(c));
                    break;
            }
        }
        Flush();
    }

  private:
    enum class Dest { Text, ColorTable, Skip };

    struct Format {
        bool bold = false;
        bool italic = false;
        bool underline = false;
        int half_points = 0;  // 0: the viewer's own size
        int color = 0;
        int highlight = 0;
        bool operator==(const Format&) const = default;
    };

    struct State {
        Format format;
        Qt::Alignment align = Qt::AlignLeft;
        int uc = 1;  // characters to skip after \uN
        Dest dest = Dest::Text;
    };

    static bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
    static int Hex(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    void Control() {
        const qsizetype n = in_.size();
        if (pos_ >= n) return;
        const char c = in_[pos_];
        if (!IsLetter(c)) {
            ++pos_;
            Symbol(c);
            return;
        }
        std::string word;
        while (pos_ < n && IsLetter(in_[pos_])) {
            if (word.size() < 32) word += in_[pos_];
            ++pos_;
        }
        bool has_param = false;
        bool negative = false;
        long long param = 0;
        if (pos_ + 1 < n && in_[pos_] == '-' && IsDigit(in_[pos_ + 1])) {
            negative = true;
            ++pos_;
        }
        while (pos_ < n && IsDigit(in_[pos_])) {
            has_param = true;
            if (param < 1'000'000'000) param = param * 10 + (in_[pos_] - '0');
            ++pos_;
        }
        if (pos_ < n && in_[pos_] == ' ') ++pos_;  // the delimiter belongs to the word
        Word(word, has_param, static_cast<int>(negative ? -param : param));
    }

    void Symbol(char c) {
        if (c == '\'') {
            int value = -1;
            if (pos_ + 1 < in_.size()) {
                const int hi = Hex(in_[pos_]);
                const int lo = Hex(in_[pos_ + 1]);
                if (hi >= 0 && lo >= 0) {
                    value = hi * 16 + lo;
                    pos_ += 2;
                }
            }
            if (pending_skip_ > 0) {
                --pending_skip_;
                return;
            }
            if (value >= 0 && st_.dest == Dest::Text)
                Append(Cp1252(static_cast<unsigned char>(value)));
            return;
        }
        if (c == '*') {
            st_.dest = Dest::Skip;  // an optional destination: none of them is shown
            return;
        }
        if (pending_skip_ > 0) {
            --pending_skip_;
            return;
        }
        if (st_.dest != Dest::Text) return;
        switch (c) {
            case '\\':
            case '{':
            case '}':
                Append(static_cast<char16_t>(c));
                break;
            case '~':
                Append(0x00A0);
                break;
            case '_':
                Append(0x2011);
                break;
            case '\r':
            case '\n':
                Paragraph();
                break;
            default:
                break;  // \- (optional hyphen), \| and \: show nothing
        }
    }

    void Word(const std::string& w, bool has_param, int p) {
        if (w == "bin") {  // raw binary data follows; never text
            if (has_param && p > 0) pos_ = std::min<qsizetype>(in_.size(), pos_ + p);
            return;
        }
        if (pending_skip_ > 0) {
            --pending_skip_;
            return;
        }
        if (IsSkippedDestination(w)) {
            st_.dest = Dest::Skip;
            return;
        }
        if (w == "colortbl") {
            st_.dest = Dest::ColorTable;
            red_ = green_ = blue_ = -1;
            return;
        }
        if (st_.dest == Dest::ColorTable) {
            const int v = std::clamp(p, 0, 255);
            if (w == "red") red_ = v;
            if (w == "green") green_ = v;
            if (w == "blue") blue_ = v;
            return;
        }
        if (st_.dest != Dest::Text) return;

        const bool on = !has_param || p != 0;
        Format& f = st_.format;
        if (w == "par" || w == "sect" || w == "page" || w == "row") {
            Paragraph();
        } else if (w == "line") {
            Append(0x2028);
        } else if (w == "tab" || w == "cell") {
            Append(u'\t');
        } else if (w == "b") {
            f.bold = on;
        } else if (w == "i") {
            f.italic = on;
        } else if (w == "ul" || w == "uld" || w == "uldb" || w == "ulw" || w == "uldash" ||
                   w == "ulwave" || w == "ulth") {
            f.underline = on;
        } else if (w == "ulnone") {
            f.underline = false;
        } else if (w == "fs") {
            f.half_points = has_param ? std::clamp(p, 2, 400) : 24;
        } else if (w == "cf") {
            f.color = std::max(p, 0);
        } else if (w == "highlight" || w == "cb") {
            f.highlight = std::max(p, 0);
        } else if (w == "plain") {
            f = Format{};
        } else if (w == "pard") {
            st_.align = Qt::AlignLeft;
        } else if (w == "ql") {
            st_.align = Qt::AlignLeft;
        } else if (w == "qr") {
            st_.align = Qt::AlignRight;
        } else if (w == "qc") {
            st_.align = Qt::AlignHCenter;
        } else if (w == "qj") {
            st_.align = Qt::AlignJustify;
        } else if (w == "uc") {
            st_.uc = std::clamp(p, 0, 16);
        } else if (w == "u") {
            Append(static_cast<char16_t>(p < 0 ? p + 65536 : p));
            pending_skip_ = st_.uc;
        } else if (w == "emdash") {
            Append(0x2014);
        } else if (w == "endash") {
            Append(0x2013);
        } else if (w == "bullet") {
            Append(0x2022);
        } else if (w == "lquote") {
            Append(0x2018);
        } else if (w == "rquote") {
            Append(0x2019);
        } else if (w == "ldblquote") {
            Append(0x201C);
        } else if (w == "rdblquote") {
            Append(0x201D);
        } else if (w == "emspace" || w == "enspace" || w == "qmspace") {
            Append(u' ');
        }
    }

    static bool IsSkippedDestination(const std::string& w) {
        static constexpr std::string_view kSkipped[] = {"fonttbl",
                                                        "stylesheet",
                                                        "pict",
                                                        "info",
                                                        "header",
                                                        "headerl",
                                                        "headerr",
                                                        "headerf",
                                                        "footer",
                                                        "footerl",
                                                        "footerr",
                                                        "footerf",
                                                        "footnote",
                                                        "object",
                                                        "listtable",
                                                        "listoverridetable",
                                                        "revtbl",
                                                        "rsidtbl",
                                                        "filetbl",
                                                        "xmlnstbl",
                                                        "fldinst",
                                                        "themedata",
                                                        "colorschememapping",
                                                        "datastore",
                                                        "latentstyles",
                                                        "generator",
                                                        "nonshppict",
                                                        "private"};
        return std::find(std::begin(kSkipped), std::end(kSkipped), w) != std::end(kSkipped);
    }

    void Byte(unsigned char b) {
        if (pending_skip_ > 0) {
            --pending_skip_;
            return;
        }
        if (st_.dest == Dest::Text) {
            Append(Cp1252(b));
        } else if (st_.dest == Dest::ColorTable && b == ';') {
            colors_.push_back(
                red_ < 0 && green_ < 0 && blue_ < 0
                    ? QColor()  // the "automatic" entry
                    : QColor(std::max(red_, 0), std::max(green_, 0), std::max(blue_, 0)));
            red_ = green_ = blue_ = -1;
        }
    }

    void Append(char16_t ch) {
        if (paragraph_length_ >= kMaxParagraph) Paragraph();
        if (lines_ >= max_lines_) {  // text beyond the last paragraph shown
            cut_ = true;
            done_ = true;
            return;
        }
        if (!run_.isEmpty() && !(run_format_ == st_.format)) Flush();
        run_format_ = st_.format;
        run_ += QChar(ch);
        ++paragraph_length_;
    }

    void ApplyAlignment() {
        QTextBlockFormat block = cursor_.blockFormat();
        if (block.alignment() == st_.align) return;
        block.setAlignment(st_.align);
        cursor_.setBlockFormat(block);
    }

    void Flush() {
        if (run_.isEmpty()) return;
        ApplyAlignment();
        cursor_.insertText(run_, CharFormat(run_format_));
        run_.clear();
    }

    void Paragraph() {
        paragraph_length_ = 0;
        Flush();
        // The last paragraph allowed has ended: no block for what follows.
        if (++lines_ >= max_lines_) return;
        ApplyAlignment();
        cursor_.insertBlock(cursor_.blockFormat(), CharFormat(st_.format));
    }

    QColor Color(int index) const {
        return index < static_cast<int>(colors_.size()) ? colors_[index] : QColor();
    }

    QTextCharFormat CharFormat(const Format& f) const {
        QTextCharFormat cf;
        cf.setFontWeight(f.bold ? QFont::Bold : QFont::Normal);
        cf.setFontItalic(f.italic);
        cf.setFontUnderline(f.underline);
        if (f.half_points > 0) cf.setFontPointSize(f.half_points / 2.0);
        if (const QColor c = Color(f.color); c.isValid()) cf.setForeground(c);
        if (f.highlight > 0) {
            if (const QColor c = Color(f.highlight); c.isValid()) cf.setBackground(c);
        }
        return cf;
    }

    const QByteArray& in_;
    qsizetype pos_ = 0;
    bool done_ = false;
    QTextCursor cursor_;
    State st_;
    std::vector<State> stack_;
    int pending_skip_ = 0;
    std::vector<QColor> colors_;
    int red_ = -1, green_ = -1, blue_ = -1;
    QString run_;
    Format run_format_;
    qsizetype paragraph_length_ = 0;
    qint64 max_lines_;
    qint64 lines_ = 0;  // paragraphs ended so far
    bool cut_ = false;
};

// Length of `data` without an incomplete UTF-8 sequence at its end (the cut
// of a long file may fall inside one).
qsizetype WithoutBrokenUtf8Tail(const QByteArray& data) {
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

// CR LF, lone CR and lone LF each become '\n'; lines longer than
// kMaxParagraph are broken after their last space (or anywhere when none).
QString BreakLines(const QString& in) {
    QString out;
    out.reserve(in.size() + in.size() / kMaxParagraph + 1);
    qsizetype line_start = 0;  // in `out`
    qsizetype last_space = -1;
    const qsizetype n = in.size();
    for (qsizetype i = 0; i < n; ++i) {
        QChar c = in[i];
        if (c == u'\r') {
            c = u'\n';
            if (i + 1 < n && in[i + 1] == u'\n') ++i;
        }
        if (c == u'\n') {
            out += c;
            line_start = out.size();
            last_space = -1;
            continue;
        }
        if (out.size() - line_start >= kMaxParagraph) {
            if (last_space >= line_start) {
                out[last_space] = u'\n';
                line_start = last_space + 1;
            } else {
                out += u'\n';
                line_start = out.size();
            }
            last_space = -1;
        }
        if (c == u' ') last_space = out.size();
        out += c;
    }
    return out;
}

// The first `utf8_length` bytes as UTF-8 when they are valid UTF-8, else
// all of `data` as Windows-1252.
QString Utf8OrWindows1252(const QByteArray& data, qsizetype utf8_length) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(data).first(utf8_length));
    if (utf8.hasError()) text = DecodeWindows1252(data);
    return text;
}

// Reads at most limit + 1 bytes, so the caller can tell a cut file.
QByteArray ReadFile(const std::string& name, qint64 limit) {
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) throw ViewerError("Cannot open file " + name);
    struct stat st {};
    // A directory, pipe or device is nothing the viewer can show.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw ViewerError("Failed to Load Stream");
    }
    QByteArray data;
    data.resize(static_cast<qsizetype>(std::min<qint64>(st.st_size, limit) + 1));
    qsizetype got = 0;
    while (got < data.size()) {
        const ssize_t r = ::read(fd, data.data() + got, static_cast<size_t>(data.size() - got));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) {
            ::close(fd);
            throw ViewerError("Failed to Load Stream");
        }
        if (r == 0) break;
        got += r;
        // The file grew since fstat: read on, up to the limit.
        if (got == data.size() && got <= limit) data.resize(std::min<qint64>(limit + 1, got * 2));
    }
    ::close(fd);
    data.truncate(got);
    return data;
}

}  // namespace

bool LooksLikeRtf(const QByteArray& data) {
    return data.startsWith("{\\rtf");
}

bool ReadRtf(const QByteArray& data, QTextDocument& doc, qint64 max_lines) {
    doc.clear();
    RtfReader reader(data, doc, max_lines);
    reader.Run();
    return reader.cut();
}

QString DecodeWindows1252(const QByteArray& data) {
    QString out(data.size(), Qt::Uninitialized);
    QChar* p = out.data();
    for (const char c : data) *p++ = QChar(Cp1252(static_cast<unsigned char>(c)));
    return out;
}

QString DecodePlainText(const QByteArray& data) {
    return BreakLines(Utf8OrWindows1252(data, data.size()));
}

TextViewer::TextViewer(QWidget* parent) : QTextEdit(parent) {
    setReadOnly(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setAcceptRichText(false);
    document()->setUndoRedoEnabled(false);
}

void TextViewer::loadFromFile(const std::string& name) {
    QByteArray data = ReadFile(name, limit_);
    const bool bytes_cut = data.size() > limit_;
    if (bytes_cut) data.truncate(static_cast<qsizetype>(limit_));

    // Built aside and swapped in, so a failure leaves the old content shown.
    auto* doc = new QTextDocument(this);
    doc->setUndoRedoEnabled(false);
    doc->setDefaultFont(font());
    bool lines_cut = false;
    if (LooksLikeRtf(data)) {
        lines_cut = ReadRtf(data, *doc, lineLimit_);
    } else {
        // A cut file is UTF-8 when it is up to the sequence the cut broke.
        QString text = BreakLines(
            Utf8OrWindows1252(data, bytes_cut ? WithoutBrokenUtf8Tail(data) : data.size()));
        // The end of the last line allowed; anything after it is left out.
        qsizetype end = -1;
        for (qint64 line = 0; line < lineLimit_; ++line) {
            end = text.indexOf(u'\n', end + 1);
            if (end < 0) break;
        }
        if (lineLimit_ <= 0 || (end >= 0 && end + 1 < text.size())) {
            text.truncate(std::max<qsizetype>(end, 0));
            lines_cut = true;
        }
        doc->setPlainText(text);
    }
    const bool cut = bytes_cut || lines_cut;
    if (cut) {
        QTextCursor c(doc);
        c.movePosition(QTextCursor::End);
        QTextCharFormat note;
        note.setFontItalic(true);
        note.setFontWeight(QFont::Bold);
        note.setForeground(QColor(0x80, 0x00, 0x00));
        QTextBlockFormat block;
        block.setTopMargin(6);
        c.insertBlock(block, note);
        const QString size = limit_ % (1024 * 1024) == 0
                                 ? QStringLiteral("%1 MiB").arg(limit_ / (1024 * 1024))
                                 : QStringLiteral("%1 KiB").arg(limit_ / 1024);
        const QString what = lines_cut ? QStringLiteral("has more than %1 lines").arg(lineLimit_)
                                       : QStringLiteral("is longer than %1").arg(size);
        c.insertText(QStringLiteral("[The file %1: only its beginning is shown.]").arg(what), note);
    }
    setDocument(doc);  // deletes the previous document when it is ours
    truncated_ = cut;
    moveCursor(QTextCursor::Start);
    verticalScrollBar()->setValue(0);
}

}  // namespace ottomix
