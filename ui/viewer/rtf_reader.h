// A small reader of RTF documents for the viewer: the text with the
// formatting a reader of the file needs, nothing of the document's machinery.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QTextCharFormat>
#include <QTextCursor>
#include <string>
#include <utility>
#include <vector>

class QTextDocument;

namespace ottomix {

// True when the bytes start with the RTF signature "{\rtf".
bool looksLikeRtf(const QByteArray& data);

// What made readRtf() leave out the rest of a document.
enum class RtfCut { None, Lines, Runs };

// Fills `doc` (emptied first) with the text of an RTF document: paragraphs,
// line breaks, tabs, bold, italic, underline, font sizes, text and highlight
// colours, alignment, \'hh (Windows-1252) and \uN escapes. Font tables,
// colour tables, style sheets, pictures, document info and {\*...} groups are
// skipped. Malformed input is read as far as it makes sense; nothing throws.
//
// Text past `maxLines` lines, or past `maxRuns` runs of text in one format,
// is left out, and the result says which limit it was. Every paragraph and
// every line break (\line, and characters such as \'0a, \u8232 and \u8233
// that QTextDocument breaks at) counts as a line.
RtfCut readRtf(const QByteArray& data, QTextDocument& doc, qint64 maxLines, qint64 maxRuns);

// Reads one document into a text cursor's document, as readRtf() describes.
class RtfReader {
  public:
    RtfReader(const QByteArray& data, QTextDocument& doc, qint64 maxLines, qint64 maxRuns);

    void run();
    // Whether, and why, text past a limit was left out.
    RtfCut cut() const { return cut_; }

  private:
    enum class Destination { Text, ColorTable, Skip };

    struct Format {
        bool bold = false;
        bool italic = false;
        bool underline = false;
        int halfPoints = 0;  // 0: the viewer's own size
        int color = 0;
        int highlight = 0;
        bool operator==(const Format&) const = default;
    };

    struct State {
        Format format;
        Qt::Alignment align = Qt::AlignLeft;
        int uc = 1;  // characters to skip after \uN
        Destination destination = Destination::Text;
    };

    void readControl();
    void symbol(char c);
    void word(const std::string& w, bool hasParam, int p);
    void byte(unsigned char b);
    void append(char16_t ch);
    void addToRun(char16_t ch);
    void applyAlignment();
    void flush();
    // Counts the end of a line; false when no line may follow.
    bool endLine();
    void paragraph();
    void lineBreak();
    void stop(RtfCut why);
    QColor color(int index) const;
    const QTextCharFormat& charFormat(const Format& f);
    QTextCharFormat makeCharFormat(const Format& f) const;

    const QByteArray& input_;
    qsizetype pos_ = 0;
    bool done_ = false;
    QTextCursor cursor_;
    State state_;
    std::vector<State> stack_;
    int pendingSkip_ = 0;
    std::vector<QColor> colors_;
    std::vector<std::pair<Format, QTextCharFormat>> charFormats_;  // made so far
    int red_ = -1, green_ = -1, blue_ = -1;
    QString run_;
    Format runFormat_;
    Qt::Alignment blockAlign_ = Qt::AlignLeft;  // of the block the cursor is in
    qsizetype paragraphLength_ = 0;
    qint64 maxLines_;
    qint64 lines_ = 0;  // paragraphs and lines ended so far
    qint64 maxRuns_;
    qint64 runs_ = 0;  // runs of text inserted so far
    RtfCut cut_ = RtfCut::None;
};

}  // namespace ottomix
