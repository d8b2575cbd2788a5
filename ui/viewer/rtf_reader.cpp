#include "ui/viewer/rtf_reader.h"

#include <QTextBlockFormat>
#include <QTextDocument>
#include <algorithm>
#include <iterator>
#include <string_view>

#include "ui/viewer/text_decoding.h"

namespace ottomix {

namespace {

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool isSkippedDestination(const std::string& w) {
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

}  // namespace

bool looksLikeRtf(const QByteArray& data) {
    return data.startsWith("{\\rtf");
}

RtfCut readRtf(const QByteArray& data, QTextDocument& doc, qint64 maxLines, qint64 maxRuns) {
    doc.clear();
    RtfReader reader(data, doc, maxLines, maxRuns);
    reader.run();
    return reader.cut();
}

RtfReader::RtfReader(const QByteArray& data, QTextDocument& doc, qint64 maxLines, qint64 maxRuns)
    : input_(data), cursor_(&doc), maxLines_(maxLines), maxRuns_(maxRuns) {}

void RtfReader::run() {
    // One edit of the document rather than one per run of text: several
    // times faster.
    cursor_.beginEditBlock();
    const qsizetype n = input_.size();
    while (pos_ < n && !done_) {
        const char c = input_[pos_++];
        switch (c) {
            case '{':
                pendingSkip_ = 0;
                stack_.push_back(state_);
                break;
            case '}':
                pendingSkip_ = 0;
                if (stack_.empty()) {
                    done_ = true;
                    break;
                }
                state_ = stack_.back();
                stack_.pop_back();
                if (stack_.empty()) done_ = true;  // the document's own group ended
                break;
            case '\\':
                readControl();
                break;
            case '\r':
            case '\n':
                break;  // line ends in RTF source are not text
            default:
                byte(static_cast<unsigned char>(c));
                break;
        }
    }
    flush();
    cursor_.endEditBlock();
}

void RtfReader::readControl() {
    const qsizetype n = input_.size();
    if (pos_ >= n) return;
    const char c = input_[pos_];
    if (!isLetter(c)) {
        ++pos_;
        symbol(c);
        return;
    }
    std::string w;
    while (pos_ < n && isLetter(input_[pos_])) {
        if (w.size() < 32) w += input_[pos_];
        ++pos_;
    }
    bool hasParam = false;
    bool negative = false;
    long long param = 0;
    if (pos_ + 1 < n && input_[pos_] == '-' && isDigit(input_[pos_ + 1])) {
        negative = true;
        ++pos_;
    }
    while (pos_ < n && isDigit(input_[pos_])) {
        hasParam = true;
        if (param < 1'000'000'000) param = param * 10 + (input_[pos_] - '0');
        ++pos_;
    }
    if (pos_ < n && input_[pos_] == ' ') ++pos_;  // the delimiter belongs to the word
    word(w, hasParam, static_cast<int>(negative ? -param : param));
}

void RtfReader::symbol(char c) {
    if (c == '\'') {
        int value = -1;
        if (pos_ + 1 < input_.size()) {
            const int hi = hexValue(input_[pos_]);
            const int lo = hexValue(input_[pos_ + 1]);
            if (hi >= 0 && lo >= 0) {
                value = hi * 16 + lo;
                pos_ += 2;
            }
        }
        if (pendingSkip_ > 0) {
            --pendingSkip_;
            return;
        }
        if (value >= 0 && state_.destination == Destination::Text)
            append(windows1252ToUnicode(static_cast<unsigned char>(value)));
        return;
    }
    if (c == '*') {
        state_.destination = Destination::Skip;  // an optional destination: none of them is shown
        return;
    }
    if (pendingSkip_ > 0) {
        --pendingSkip_;
        return;
    }
    if (state_.destination != Destination::Text) return;
    switch (c) {
        case '\\':
        case '{':
        case '}':
            append(static_cast<char16_t>(c));
            break;
        case '~':
            append(0x00A0);
            break;
        case '_':
            append(0x2011);
            break;
        case '\r':
        case '\n':
            paragraph();
            break;
        default:
            break;  // \- (optional hyphen), \| and \: show nothing
    }
}

void RtfReader::word(const std::string& w, bool hasParam, int p) {
    if (w == "bin") {  // raw binary data follows; never text
        if (hasParam && p > 0) pos_ = std::min<qsizetype>(input_.size(), pos_ + p);
        return;
    }
    if (pendingSkip_ > 0) {
        --pendingSkip_;
        return;
    }
    if (isSkippedDestination(w)) {
        state_.destination = Destination::Skip;
        return;
    }
    if (w == "colortbl") {
        state_.destination = Destination::ColorTable;
        red_ = green_ = blue_ = -1;
        return;
    }
    if (state_.destination == Destination::ColorTable) {
        const int v = std::clamp(p, 0, 255);
        if (w == "red") red_ = v;
        if (w == "green") green_ = v;
        if (w == "blue") blue_ = v;
        return;
    }
    if (state_.destination != Destination::Text) return;

    const bool on = !hasParam || p != 0;
    Format& f = state_.format;
    if (w == "par" || w == "sect" || w == "page" || w == "row") {
        paragraph();
    } else if (w == "line") {
        append(0x2028);
    } else if (w == "tab" || w == "cell") {
        append(u'\t');
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
        f.halfPoints = hasParam ? std::clamp(p, 2, 400) : 24;
    } else if (w == "cf") {
        f.color = std::max(p, 0);
    } else if (w == "highlight" || w == "cb") {
        f.highlight = std::max(p, 0);
    } else if (w == "plain") {
        f = Format{};
    } else if (w == "pard" || w == "ql") {
        state_.align = Qt::AlignLeft;
    } else if (w == "qr") {
        state_.align = Qt::AlignRight;
    } else if (w == "qc") {
        state_.align = Qt::AlignHCenter;
    } else if (w == "qj") {
        state_.align = Qt::AlignJustify;
    } else if (w == "uc") {
        state_.uc = std::clamp(p, 0, 16);
    } else if (w == "u") {
        append(static_cast<char16_t>(p < 0 ? p + 65536 : p));
        pendingSkip_ = state_.uc;
    } else if (w == "emdash") {
        append(0x2014);
    } else if (w == "endash") {
        append(0x2013);
    } else if (w == "bullet") {
        append(0x2022);
    } else if (w == "lquote") {
        append(0x2018);
    } else if (w == "rquote") {
        append(0x2019);
    } else if (w == "ldblquote") {
        append(0x201C);
    } else if (w == "rdblquote") {
        append(0x201D);
    } else if (w == "emspace" || w == "enspace" || w == "qmspace") {
        append(u' ');
    }
}

void RtfReader::byte(unsigned char b) {
    if (pendingSkip_ > 0) {
        --pendingSkip_;
        return;
    }
    if (state_.destination == Destination::Text) {
        append(windows1252ToUnicode(b));
    } else if (state_.destination == Destination::ColorTable && b == ';') {
        colors_.push_back(red_ < 0 && green_ < 0 && blue_ < 0
                              ? QColor()  // the "automatic" entry
                              : QColor(std::max(red_, 0), std::max(green_, 0), std::max(blue_, 0)));
        charFormats_.clear();  // they may name this colour
        red_ = green_ = blue_ = -1;
    }
}

void RtfReader::append(char16_t ch) {
    // QTextDocument starts a block at these, or a line inside one: they are
    // lines as much as \par and \line are, and count against the limit.
    switch (ch) {
        case u'\n':
        case u'\r':
        case kParagraphSeparator:
            paragraph();
            return;
        case kLineSeparator:
            lineBreak();
            return;
        default:
            ch = withoutFrameMarker(ch);
            break;
    }
    if (paragraphLength_ >= kMaxParagraph) paragraph();
    if (lines_ >= maxLines_) {  // text beyond the last line allowed
        stop(RtfCut::Lines);
        return;
    }
    addToRun(ch);
}

void RtfReader::addToRun(char16_t ch) {
    if (!run_.isEmpty() && !(runFormat_ == state_.format)) {
        flush();
        if (done_) return;
    }
    runFormat_ = state_.format;
    run_ += QChar(ch);
    ++paragraphLength_;
}

void RtfReader::applyAlignment() {
    if (blockAlign_ == state_.align) return;
    QTextBlockFormat block = cursor_.blockFormat();
    block.setAlignment(state_.align);
    cursor_.setBlockFormat(block);
    blockAlign_ = state_.align;
}

void RtfReader::flush() {
    if (run_.isEmpty()) return;
    // Each run is a fragment of the document, which costs a few microseconds
    // to insert and more to lay out, however short its text.
    if (runs_ >= maxRuns_) {
        stop(RtfCut::Runs);
        run_.resize(0);
        return;
    }
    ++runs_;
    applyAlignment();
    cursor_.insertText(run_, charFormat(runFormat_));
    run_.resize(0);  // keeps its capacity for the next run
}

void RtfReader::stop(RtfCut why) {
    if (cut_ == RtfCut::None) cut_ = why;
    done_ = true;
}

bool RtfReader::endLine() {
    if (done_) return false;
    if (lines_ >= maxLines_) {  // one more line, if only an empty one
        stop(RtfCut::Lines);
        return false;
    }
    // The last line allowed has ended: nothing for what follows.
    return ++lines_ < maxLines_;
}

void RtfReader::paragraph() {
    flush();
    paragraphLength_ = 0;
    if (!endLine()) return;
    applyAlignment();
    cursor_.insertBlock(cursor_.blockFormat(), charFormat(state_.format));
}

void RtfReader::lineBreak() {
    // A line of the paragraph, still laid out with it: it counts towards the
    // paragraph's length as a character.
    if (paragraphLength_ >= kMaxParagraph) paragraph();
    if (endLine()) addToRun(kLineSeparator);
}

QColor RtfReader::color(int index) const {
    return index < static_cast<int>(colors_.size()) ? colors_[index] : QColor();
}

const QTextCharFormat& RtfReader::charFormat(const Format& f) {
    // Few documents have more than a handful of formats, and making one
    // costs more than inserting its text.
    for (const auto& [format, cf] : charFormats_)
        if (format == f) return cf;
    if (charFormats_.size() >= 32) charFormats_.clear();
    return charFormats_.emplace_back(f, makeCharFormat(f)).second;
}

QTextCharFormat RtfReader::makeCharFormat(const Format& f) const {
    QTextCharFormat cf;
    cf.setFontWeight(f.bold ? QFont::Bold : QFont::Normal);
    cf.setFontItalic(f.italic);
    cf.setFontUnderline(f.underline);
    if (f.halfPoints > 0) cf.setFontPointSize(f.halfPoints / 2.0);
    if (const QColor c = color(f.color); c.isValid()) cf.setForeground(c);
    if (f.highlight > 0) {
        if (const QColor c = color(f.highlight); c.isValid()) cf.setBackground(c);
    }
    return cf;
}

}  // namespace ottomix
